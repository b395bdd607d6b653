#include "odbc_import_mssqlserver.h"

#include "odbc_import_engine.h"

namespace plugin {

namespace sql {

// INFORMATION_SCHEMA names are written in upper case: a database of case-sensitive collation resolves
// object and column names under it (the sys views are lower case). The aliases name what is read.
// dbo.sysdiagrams is where the management tools keep their database diagrams: no table of the model.
const char* const k_tables =
   "SELECT TABLE_NAME AS table_name, TABLE_SCHEMA AS table_schema, TABLE_TYPE AS table_type FROM INFORMATION_SCHEMA.TABLES "
   "WHERE (TABLE_TYPE = 'BASE TABLE' OR TABLE_TYPE = 'VIEW') AND NOT (TABLE_SCHEMA = 'dbo' AND TABLE_NAME = 'sysdiagrams');";

// Each part of the constraint's name quoted: a dot, a blank or a bracket in a name would break OBJECT_ID's parse.
const char* const k_primary_key =
   "SELECT COLUMN_NAME AS column_name FROM INFORMATION_SCHEMA.KEY_COLUMN_USAGE "
   "WHERE OBJECTPROPERTY(OBJECT_ID(QUOTENAME(CONSTRAINT_CATALOG) + '.' + QUOTENAME(CONSTRAINT_SCHEMA) + '.' + QUOTENAME(CONSTRAINT_NAME)), 'IsPrimaryKey') = 1 "
   "AND TABLE_SCHEMA = :table_namespace AND TABLE_NAME = :table_name;";

const char* const k_relations =
   "SELECT fk.name AS fk_name, tp.name AS table_name, sp.name AS table_schema, cp.name AS column_name, tr.name AS ref_table_name, "
   "sr.name AS ref_table_schema, cr.name AS ref_column_name FROM sys.foreign_keys fk "
   "INNER JOIN sys.tables tp ON fk.parent_object_id = tp.object_id INNER JOIN sys.tables tr ON fk.referenced_object_id = tr.object_id "
   "INNER JOIN sys.schemas sp ON tp.schema_id = sp.schema_id INNER JOIN sys.foreign_key_columns fkc ON fkc.constraint_object_id = fk.object_id "
   "INNER JOIN sys.columns cp ON fkc.parent_column_id = cp.column_id AND fkc.parent_object_id = cp.object_id "
   "INNER JOIN sys.columns cr ON fkc.referenced_column_id = cr.column_id AND fkc.referenced_object_id = cr.object_id "
   "INNER JOIN sys.schemas sr ON tr.schema_id = sr.schema_id WHERE sp.name = :table_namespace AND tp.name = :table_name "
   "ORDER BY fk.name, fkc.constraint_column_id;";

const char* const k_columns =
   "SELECT COLUMN_NAME AS column_name, DATA_TYPE AS data_type, COLUMN_DEFAULT AS column_default, IS_NULLABLE AS is_nullable "
   "FROM INFORMATION_SCHEMA.COLUMNS WHERE TABLE_SCHEMA = :table_namespace AND TABLE_NAME = :table_name ORDER BY ORDINAL_POSITION;";

// The catalogue-wide queries, each replacing its per-table query above for every table of the database
// at once; rows name their table, those of one table come in the per-table query's order.

// Replaces k_primary_key.
const char* const k_all_primary_keys =
   "SELECT TABLE_SCHEMA AS table_namespace, TABLE_NAME AS table_name, COLUMN_NAME AS column_name FROM INFORMATION_SCHEMA.KEY_COLUMN_USAGE "
   "WHERE OBJECTPROPERTY(OBJECT_ID(QUOTENAME(CONSTRAINT_CATALOG) + '.' + QUOTENAME(CONSTRAINT_SCHEMA) + '.' + QUOTENAME(CONSTRAINT_NAME)), 'IsPrimaryKey') = 1;";

// Replaces k_relations.
const char* const k_all_relations =
   "SELECT fk.name AS fk_name, tp.name AS table_name, sp.name AS table_namespace, cp.name AS column_name, tr.name AS ref_table_name, "
   "sr.name AS ref_table_schema, cr.name AS ref_column_name FROM sys.foreign_keys fk "
   "INNER JOIN sys.tables tp ON fk.parent_object_id = tp.object_id INNER JOIN sys.tables tr ON fk.referenced_object_id = tr.object_id "
   "INNER JOIN sys.schemas sp ON tp.schema_id = sp.schema_id INNER JOIN sys.foreign_key_columns fkc ON fkc.constraint_object_id = fk.object_id "
   "INNER JOIN sys.columns cp ON fkc.parent_column_id = cp.column_id AND fkc.parent_object_id = cp.object_id "
   "INNER JOIN sys.columns cr ON fkc.referenced_column_id = cr.column_id AND fkc.referenced_object_id = cr.object_id "
   "INNER JOIN sys.schemas sr ON tr.schema_id = sr.schema_id ORDER BY fk.name, fkc.constraint_column_id;";

// Replaces k_columns.
const char* const k_all_columns =
   "SELECT TABLE_SCHEMA AS table_namespace, TABLE_NAME AS table_name, COLUMN_NAME AS column_name, DATA_TYPE AS data_type, "
   "COLUMN_DEFAULT AS column_default, IS_NULLABLE AS is_nullable FROM INFORMATION_SCHEMA.COLUMNS ORDER BY ORDINAL_POSITION;";

} // namespace sql

namespace {

// "dbo" (any case) is the default schema: the empty namespace.
QString namespaceOf(const QString& sRawNamespace)
{
   return ((sRawNamespace.compare("dbo", Qt::CaseInsensitive) == 0) ? QString() : sRawNamespace);
}

} // namespace

vx::VxSqlQuery odbc_import_mssqlserver::tablesQuery() const { return vx::VxSqlQuery(sql::k_tables); }

bool odbc_import_mssqlserver::readTableRow(const odbc_import_catalog_result& query, long row, table_row& table) const
{
   table.name = text(query, row, "table_name");
   table.rawNamespace = text(query, row, "table_schema");
   table.nameSpace = namespaceOf(table.rawNamespace);
   table.isView = (text(query, row, "table_type").compare("VIEW", Qt::CaseInsensitive) == 0);
   return true;
}

vx::VxSqlQuery odbc_import_mssqlserver::primaryKeyQuery(const table_row& table) const { return boundQuery(sql::k_primary_key, table); }

QString odbc_import_mssqlserver::readPrimaryKeyColumn(const odbc_import_catalog_result& query, long row) const { return text(query, row, "column_name"); }

vx::VxSqlQuery odbc_import_mssqlserver::relationsQuery(const table_row& table) const { return boundQuery(sql::k_relations, table); }

odbc_import_catalog::relation_row odbc_import_mssqlserver::readRelationRow(const odbc_import_catalog_result& query, long row) const
{
   relation_row relation;
   relation.column = text(query, row, "column_name");
   relation.targetTable = text(query, row, "ref_table_name");
   relation.targetNamespace = namespaceOf(text(query, row, "ref_table_schema"));
   relation.targetColumn = text(query, row, "ref_column_name");
   relation.constraintName = text(query, row, "fk_name");
   relation.keyText = relation.constraintName;
   return relation;
}

vx::VxSqlQuery odbc_import_mssqlserver::columnsQuery(const table_row& table) const { return boundQuery(sql::k_columns, table); }

odbc_import_catalog::column_row odbc_import_mssqlserver::readColumnRow(const odbc_import_catalog_result& query, long row, const QStringList& lstPrimaryKey) const
{
   column_row column;
   column.name = text(query, row, "column_name");
   column.sqlType = text(query, row, "data_type");
   column.defaultValue = text(query, row, "column_default");
   column.notNull = isNo(text(query, row, "is_nullable"), "NO");
   column.isPrimaryKey = lstPrimaryKey.contains(column.name);
   return column;
}

vx::VxSqlQuery odbc_import_mssqlserver::allPrimaryKeysQuery() const { return vx::VxSqlQuery(sql::k_all_primary_keys); }

vx::VxSqlQuery odbc_import_mssqlserver::allRelationsQuery() const { return vx::VxSqlQuery(sql::k_all_relations); }

vx::VxSqlQuery odbc_import_mssqlserver::allColumnsQuery() const { return vx::VxSqlQuery(sql::k_all_columns); }

QVariant odbc_import_mssqlserver::getColumnType(const QString& sSqlType) const { return odbc_import_engine::get(odbc_import_engine::engine_mssqlserver).columnType(sSqlType); }

} // namespace plugin
