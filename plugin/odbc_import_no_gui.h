#ifndef PLUGIN_ODBC_IMPORT_NO_GUI_H
#define PLUGIN_ODBC_IMPORT_NO_GUI_H

#include <vx/VxBool.h>

namespace plugin {

class odbc_import;

/** Headless import: the host's "--KelOdbcImport_*" command-line options stand for the dialog. */
class odbc_import_no_gui
{
public:
   /** Connects, reads and filters the catalogue and configures the generic importer (it does not import). */
   static vx::VxBool fillGenericImporter(plugin::odbc_import* plugin);
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_NO_GUI_H
