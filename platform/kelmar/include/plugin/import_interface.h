#ifndef PLUGIN_IMPORT_INTERFACE_H
#define PLUGIN_IMPORT_INTERFACE_H

#include <memory>

#include <QIcon>
#include <QSqlError>
#include <QtPlugin>

#include <vx/VxBool.h>

#include "base_interface.h"
#include "generic_importer.h"

class QWidget;

namespace model { class project; }

namespace plugin {

/** An import plug-in: it feeds the generic importer that the host gives it. */
class import_interface : public base_interface
{
   Q_OBJECT

public:
   import_interface() = default;
   ~import_interface() override = default;

   virtual QString getGuid() const = 0;
   virtual QString getName() const = 0;
   virtual QString getShortDesc() const = 0;
   virtual QString getDescription() const = 0;
   virtual QString getVersion() const = 0;
   virtual QString getCommandLineInfos() const = 0;
   virtual QIcon getIcon() const = 0;
   virtual QIcon getIconSettings() const = 0;
   virtual bool hasSettings() const = 0;
   virtual bool showSettings() = 0;
   virtual QSqlError loadSettings() = 0;
   virtual QSqlError saveSettings() = 0;
   virtual void clearSettings() = 0;
   virtual QWidget* getPreviewWidget() = 0;
   virtual void terminate() = 0;
   virtual vx::VxBool importProject(model::project& project) = 0;
   /** The code of an importProject() failure that is the command line's fault (a value the plug-in cannot take). */
   static constexpr qint32 k_iCommandLineError = 2;

   std::shared_ptr<generic_importer> getGenericImporter() const { return m_pGenericImporter; }
   /** Called by the host when it loads the plug-in. */
   void setGenericImporter(const std::shared_ptr<generic_importer>& p) { m_pGenericImporter = p; }

protected:
   std::shared_ptr<generic_importer> m_pGenericImporter;
};

} // namespace plugin

Q_DECLARE_INTERFACE(plugin::import_interface, "KelOdbcImport")

#endif // PLUGIN_IMPORT_INTERFACE_H
