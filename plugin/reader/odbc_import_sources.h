#ifndef PLUGIN_ODBC_IMPORT_SOURCES_H
#define PLUGIN_ODBC_IMPORT_SOURCES_H

#include <QStringList>

namespace plugin {

/** What the ODBC driver manager has configured: its data sources (odbc.ini) and its drivers (odbcinst.ini). */
class odbc_import_sources
{
public:
   /** Names of the data sources, user's and system's, sorted. */
   static QStringList getDataSources();
   /** Names of the installed drivers, sorted. */
   static QStringList getDrivers();
   /** What the data-source field offers: every data source by its name, every driver as "Driver={name};". */
   static QStringList getCompletions();
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_SOURCES_H
