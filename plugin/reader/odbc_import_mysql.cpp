#include "odbc_import_mysql.h"

#include <vx/VxDao.h>

#include "odbc_import_engine.h"

namespace plugin {

namespace sql {

// The server's version comes along: whether it quotes string defaults depends on it.
const char* const k_current_database = "SELECT DATABASE(), VERSION();";

// MariaDB reports a system-versioned table ("WITH SYSTEM VERSIONING") as "SYSTEM VERSIONED": it is a table too.
const char* const k_tables =
   "SELECT table_name, table_schema, table_type, table_comment FROM information_schema.tables "
   "WHERE (table_type = 'BASE TABLE' OR table_type = 'SYSTEM VERSIONED' OR table_type = 'VIEW') AND table_schema = DATABASE();";


const char* const k_relations =
   "SELECT table_name, column_name, constraint_name, referenced_table_schema, referenced_table_name, referenced_column_name FROM information_schema.key_column_usage "
   "WHERE constraint_name <> 'PRIMARY' AND referenced_table_name IS NOT NULL AND table_schema = :table_namespace AND table_name = :table_name "
   "ORDER BY constraint_name, ordinal_position;";

const char* const k_columns =
   "SELECT column_name, data_type, column_type, column_comment, column_default, is_nullable, column_key FROM information_schema.columns "
   "WHERE table_schema = :table_namespace AND table_name = :table_name ORDER BY ordinal_position;";

// The catalogue-wide queries, each replacing its per-table query above for every table of the current
// database at once; rows name their table, those of one table come in the per-table query's order. The
// database is named by the server (DATABASE()), not bound: a query that runs once is not prepared.

// Replaces k_relations.
const char* const k_all_relations =
   "SELECT table_name, column_name, constraint_name, referenced_table_schema, referenced_table_name, referenced_column_name FROM information_schema.key_column_usage "
   "WHERE constraint_name <> 'PRIMARY' AND referenced_table_name IS NOT NULL AND table_schema = DATABASE() "
   "ORDER BY constraint_name, ordinal_position;";

// Replaces k_columns.
const char* const k_all_columns =
   "SELECT table_name, column_name, column_type, column_comment, column_default, is_nullable, column_key FROM information_schema.columns "
   "WHERE table_schema = DATABASE() ORDER BY ordinal_position;";

} // namespace sql

namespace {

// MariaDB quotes a string default from 10.2.7 on ('NULL' is then the string, NULL no default); MySQL
// and older MariaDB write a string default bare, so that the text NULL may be the string.
bool quotesDefaults(QString sVersion)
{
   if (! sVersion.contains("MariaDB", Qt::CaseInsensitive)) { return false; }
   // a replication-era prefix some servers still put before the real version
   if (sVersion.startsWith("5.5.5-")) { sVersion = sVersion.mid(6); }
   const QStringList lst = sVersion.section('-', 0, 0).split('.');
   const int iVersion = lst.value(0).toInt() * 10000 + lst.value(1).toInt() * 100 + lst.value(2).toInt();
   return (iVersion >= 100207);
}

} // namespace

vx::VxBool odbc_import_mysql::readPreamble()
{
   vx::VxSqlQuery query(sql::k_current_database);
   const QSqlError error = vx::dao::call_query_without_prepare(query, m_pDatabase);
   if (error.isValid()) { return vx::VxBool(false, 0, "An error occurred getting current database :\n" + error.text()); }
   // no row and NULL both mean that the connection has no database selected
   m_sCurrentDatabase = query.getSqlResultAt(0, 0L).toString();
   if (m_sCurrentDatabase.isEmpty()) { return vx::VxBool(false, 0, "Unable to get current database name"); }
   m_bQuotedDefaults = quotesDefaults(query.getSqlResultAt(0, 1L).toString());
   return vx::VxBool(true);
}

vx::VxSqlQuery odbc_import_mysql::tablesQuery() const { return vx::VxSqlQuery(sql::k_tables); }

bool odbc_import_mysql::readTableRow(const odbc_import_catalog_result& query, long row, table_row& table) const
{
   table.name = text(query, row, "table_name");
   table.rawNamespace = m_sCurrentDatabase;
   table.isView = (text(query, row, "table_type").compare("VIEW", Qt::CaseInsensitive) == 0);
   // a view has no comment of its own: information_schema shows the text "VIEW" in its place
   const QString sComment = text(query, row, "table_comment");
   table.description = ((table.isView && (sComment == QLatin1String("VIEW"))) ? QString() : sComment);
   return true;
}

// the columns query marks the key columns ("PRI"): there is no primary-key query, one round trip less
vx::VxSqlQuery odbc_import_mysql::primaryKeyQuery(const table_row&) const { return vx::VxSqlQuery(); }

QString odbc_import_mysql::readPrimaryKeyColumn(const odbc_import_catalog_result&, long) const { return QString(); }

vx::VxSqlQuery odbc_import_mysql::relationsQuery(const table_row& table) const { return boundQuery(sql::k_relations, table); }

odbc_import_catalog::relation_row odbc_import_mysql::readRelationRow(const odbc_import_catalog_result& query, long row) const
{
   relation_row relation;
   relation.column = text(query, row, "column_name");
   relation.targetTable = text(query, row, "referenced_table_name");
   // a key into another database of the server targets that database's table, never this one's namesake
   const QString sTargetDatabase = text(query, row, "referenced_table_schema");
   relation.targetNamespace = ((sTargetDatabase == m_sCurrentDatabase) ? QString() : sTargetDatabase);
   relation.targetColumn = text(query, row, "referenced_column_name");
   relation.constraintName = text(query, row, "constraint_name");
   relation.keyText = relation.constraintName;
   return relation;
}

vx::VxSqlQuery odbc_import_mysql::columnsQuery(const table_row& table) const { return boundQuery(sql::k_columns, table); }

odbc_import_catalog::column_row odbc_import_mysql::readColumnRow(const odbc_import_catalog_result& query, long row, const QStringList&) const
{
   column_row column;
   column.name = text(query, row, "column_name");
   column.sqlType = text(query, row, "column_type");
   column.description = text(query, row, "column_comment");
   // MariaDB 10.2.7 and later write the bare text NULL for "no default" of a nullable column, and quote
   // every literal (the string 'NULL' included): there the bare text is no default. Elsewhere it is the
   // string. Other defaults stay as the server writes them.
   column.defaultValue = text(query, row, "column_default");
   if (m_bQuotedDefaults && (column.defaultValue == QLatin1String("NULL"))) { column.defaultValue.clear(); }
   const QString sNullable = text(query, row, "is_nullable");
   column.notNull = ((sNullable.compare("NO", Qt::CaseInsensitive) == 0) || (sNullable == "0"));
   column.isPrimaryKey = (text(query, row, "column_key") == QLatin1String("PRI"));
   return column;
}

vx::VxSqlQuery odbc_import_mysql::allRelationsQuery() const { return vx::VxSqlQuery(sql::k_all_relations); }

vx::VxSqlQuery odbc_import_mysql::allColumnsQuery() const { return vx::VxSqlQuery(sql::k_all_columns); }

QPair<QString, QString> odbc_import_mysql::rowTable(const odbc_import_catalog_result& query, long row) const
{
   return qMakePair(m_sCurrentDatabase, text(query, row, "table_name"));
}

QVariant odbc_import_mysql::getColumnType(const QString& sSqlType) const { return odbc_import_engine::get(odbc_import_engine::engine_mysql).columnType(sSqlType); }

} // namespace plugin
