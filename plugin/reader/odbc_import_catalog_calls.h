#ifndef PLUGIN_ODBC_IMPORT_CATALOG_CALLS_H
#define PLUGIN_ODBC_IMPORT_CATALOG_CALLS_H

#include <functional>

#include <QSqlDatabase>
#include <QStringList>
#include <QVector>

namespace plugin {

/** Columns of the catalogue functions' results (0-based) that the readers use. */
namespace odbc_import_result_columns {
enum { tables_catalog = 0, tables_schema = 1, tables_name = 2, tables_type = 3, tables_remarks = 4 };
enum { columns_schema = 1, columns_table = 2, columns_name = 3, columns_data_type = 4, columns_type_name = 5, columns_size = 6, columns_decimal_digits = 8,
       columns_nullable = 10, columns_remarks = 11, columns_default = 12, columns_is_nullable = 17 };
enum { primary_keys_table = 2, primary_keys_column = 3, primary_keys_sequence = 4 };
enum { foreign_keys_target_catalog = 0, foreign_keys_target_schema = 1, foreign_keys_target_table = 2, foreign_keys_target_column = 3, foreign_keys_table = 6,
       foreign_keys_column = 7, foreign_keys_sequence = 8, foreign_keys_name = 11 };
} // namespace odbc_import_result_columns

/**
 * ODBC's own catalogue functions (SQLTables, SQLColumns, SQLPrimaryKeys, SQLForeignKeys) on the connection's
 * handle, each asked of the driver only when SQLGetFunctions says it has it. Names are passed as the names
 * they are: where an argument is a search pattern, "_" and "%" are escaped with the driver's escape. Every
 * call runs on a statement of its own. Its rows come in sets where the driver can (odbc_import_fetch); else
 * every column of a row is read in order into generous buffers: some drivers (MDBTools) write past what they
 * are given, or keep a closed result's state on the statement.
 */
class odbc_import_catalog_calls
{
public:
   enum enum_function { function_tables, function_columns, function_primary_keys, function_foreign_keys, function_count };
   /** One result row: the texts of its columns from the first on, a NULL value as a null text. */
   typedef QStringList type_row;

   explicit odbc_import_catalog_calls(const QSqlDatabase& database);

   /** False when the connection is no open QODBC one: then no function can be called. */
   bool isOpen() const { return (m_hDbc != nullptr); }
   bool has(enum_function eFunction) const { return m_bHas[eFunction]; }
   static const char* functionName(enum_function eFunction);
   /** The connection's current catalogue (MariaDB's database), empty where the driver has none. */
   const QString& getCurrentCatalog() const { return m_sCurrentCatalog; }
   /** What the driver calls its engine (SQL_DBMS_NAME). */
   const QString& getDbmsName() const { return m_sDbmsName; }

   /** Each fills lstRows with the result's rows (up to its standard columns) and returns an empty text, or the driver's error. */
   QString tables(const QString& sCatalog, QVector<type_row>& lstRows) const;
   /** sTable null: the columns of every table of the schema, in one call. Only the columns odbc_import_result_columns names are read
       where rows come in sets (the others' texts are null): each value costs a conversion in the driver. */
   QString columns(const QString& sCatalog, const QString& sSchema, const QString& sTable, QVector<type_row>& lstRows) const;
   QString primaryKeys(const QString& sCatalog, const QString& sSchema, const QString& sTable, QVector<type_row>& lstRows) const;
   QString foreignKeys(const QString& sCatalog, const QString& sSchema, const QString& sTable, QVector<type_row>& lstRows) const;

private:
   /** A name as a search pattern that matches it alone. */
   QString pattern(const QString& sName) const;
   /** Runs a catalogue function on a statement of its own and reads iColumns columns of every row. */
   QString run(const std::function<short(void*)>& call, int iColumns, QVector<type_row>& lstRows, quint64 uSkipped = 0) const;

   QSqlDatabase m_database;
   void* m_hDbc = nullptr;
   bool m_bFetchRowSets = false;
   bool m_bHas[function_count] = { false, false, false, false };
   QString m_sEscape;
   QString m_sCurrentCatalog;
   QString m_sDbmsName;
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_CATALOG_CALLS_H
