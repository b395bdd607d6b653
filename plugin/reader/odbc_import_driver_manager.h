#ifndef PLUGIN_ODBC_IMPORT_DRIVER_MANAGER_H
#define PLUGIN_ODBC_IMPORT_DRIVER_MANAGER_H

#include <QSqlDatabase>
#include <QStringList>

namespace plugin {

/**
 * Every call the plug-in makes to the ODBC driver manager itself, beside what Qt's ODBC driver does:
 * what unixODBC has configured (odbc.ini, odbcinst.ini), and what the connection's own handle, the
 * one QODBC exposes, can tell that Qt does not ask.
 */
class odbc_import_driver_manager
{
public:
   /** Names of the data sources, user's and system's, sorted. */
   static QStringList getDataSources();
   /** Names of the installed drivers, sorted. */
   static QStringList getDrivers();
   /** What the data-source field offers: every data source by its name, every driver as "Driver={name};". */
   static QStringList getCompletions();
   /** A data source's own setting in odbc.ini (the user's, then the system's), empty when it sets none. */
   static QString getDataSourceSetting(const QString& sDataSource, const QString& sKey);

   /** The connection's own ODBC handle (an SQLHDBC), null when the connection is no open QODBC one. */
   static void* getConnectionHandle(const QSqlDatabase& database);
   /** The server's own name for its engine (SQL_DBMS_NAME); empty when the connection is no open QODBC one. */
   static QString getDbmsName(const QSqlDatabase& database);
   /** The connection's current catalogue, empty where the driver has no catalogues. */
   static QString getCurrentCatalog(const QSqlDatabase& database);
   /** Names of the tables (or views) of one catalogue; false when the driver cannot list them. */
   static bool listCatalog(const QSqlDatabase& database, const QString& sCatalog, bool bViews, QStringList& lstNames);
   /** Whether the driver knows the connection to the server is gone (SQL_ATTR_CONNECTION_DEAD), or says so in sError. */
   static bool isConnectionLost(const QSqlDatabase& database, const QString& sError = QString());
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_DRIVER_MANAGER_H
