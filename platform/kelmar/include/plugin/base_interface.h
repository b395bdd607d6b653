#ifndef PLUGIN_BASE_INTERFACE_H
#define PLUGIN_BASE_INTERFACE_H

#include <QObject>
#include <QString>

namespace plugin {

/** What every plug-in can tell the host while it works. */
class base_interface : public QObject
{
   Q_OBJECT

public:
   explicit base_interface(QObject* parent = nullptr) : QObject(parent) { ; }
   ~base_interface() override = default;

Q_SIGNALS:
   void onMessage(const QString& sMessage, int iType, int iTimeout);
   void onReloadProject();
   void onOrganizeLayout();
};

} // namespace plugin

#endif // PLUGIN_BASE_INTERFACE_H
