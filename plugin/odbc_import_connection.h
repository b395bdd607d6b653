#ifndef PLUGIN_ODBC_IMPORT_CONNECTION_H
#define PLUGIN_ODBC_IMPORT_CONNECTION_H

#include <QString>

namespace context { class ctx_custom; }

namespace plugin {

/** How the plug-in reaches a database: one place for the headless import and the settings dialog. */
class odbc_import_connection
{
public:
   /** Clears the plug-in's connection context and fills it for QODBC with this data source and account, for an engine type (0 to 5). */
   static void fillContext(context::ctx_custom* pContext, int iDatabaseType, const QString& sDsn, const QString& sLogin, const QString& sPassword);
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_CONNECTION_H
