#ifndef PLUGIN_ODBC_IMPORT_ENGINE_H
#define PLUGIN_ODBC_IMPORT_ENGINE_H

#include <memory>

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace plugin {

class odbc_import_process;

/**
 * The database engines the plug-in reads, one row each: the reader factory, the connection, the
 * dialog's combo, its stored setting and the command-line help all read this table. A new engine is
 * a reader and a row.
 */
class odbc_import_engine
{
public:
   /** The numbers users give on the command line and the dialog keeps as item data: never renumber. */
   enum enum_engine { engine_generic = 0, engine_postgresql = 1, engine_mysql = 2, engine_oracle = 3, engine_mssqlserver = 4, engine_sqlite = 5 };

   struct row
   {
      enum_engine engine;
      /** Shown in the dialog and stored with its settings by this text: not translated. */
      const char* text;
      /** Its name in the command-line help. */
      const char* helpName;
      /** Lower-case parts of the Driver= names (or driver library files) of its ODBC drivers. */
      QStringList driverNames;
      /** Names its ODBC drivers report as SQL_DBMS_NAME, lower case. */
      QStringList dbmsNames;
      std::unique_ptr<odbc_import_process> (*createReader)(QSqlDatabase* pDatabase);
      /** Connection-string keywords its drivers need ("KEY=value"), given the login and read timeouts in seconds. */
      QStringList (*driverKeywords)(int iLoginTimeout, int iReadTimeout);
      /** The Qt value type of a column from its SQL type name; null where the driver reports the type itself. */
      QVariant (*columnType)(const QString& sSqlType);
   };

   /** Every row, in engine number order. */
   static const QVector<row>& rows();
   /** The row of an engine number; any other number reads as the generic engine. */
   static const row& get(int iEngine);
   /** The row whose drivers have this Driver= name (or library file), null when none does. */
   static const row* fromDriverName(const QString& sDriver);
   /** The row whose drivers report this DBMS name, null when none does. */
   static const row* fromDbmsName(const QString& sDbms);

   /** The reader of an engine number on an open database (generic for an unknown number). */
   static std::unique_ptr<odbc_import_process> createReader(int iEngine, QSqlDatabase* pDatabase);
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_ENGINE_H
