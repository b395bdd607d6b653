#ifndef PLUGIN_ODBC_IMPORT_H
#define PLUGIN_ODBC_IMPORT_H

#include <plugin/import_interface.h>

namespace plugin {

/** Imports entities into the opened project from a database reached through ODBC. */
class odbc_import : public import_interface
{
   Q_OBJECT
   Q_PLUGIN_METADATA(IID "KelOdbcImport" FILE "odbc_import.json")
   Q_INTERFACES(plugin::import_interface)

public:
   odbc_import() = default;
   ~odbc_import() override = default;

   QString getGuid() const override;
   QString getName() const override;
   QString getShortDesc() const override;
   QString getDescription() const override;
   QString getVersion() const override;
   QString getCommandLineInfos() const override;
   QIcon getIcon() const override;
   QIcon getIconSettings() const override;
   bool hasSettings() const override;
   bool showSettings() override;
   QSqlError loadSettings() override;
   QSqlError saveSettings() override;
   void clearSettings() override;
   QWidget* getPreviewWidget() override;
   void terminate() override;
   vx::VxBool importProject(model::project& project) override;
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_H
