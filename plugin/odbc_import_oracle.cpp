#include "odbc_import_oracle.h"

#include "odbc_import_column_type.h"

namespace plugin {

namespace sql {

// Oracle rejects a statement that ends with ";" (ORA-00911): no text here has one.

// Left out: the owners of the dictionary and of Oracle's own components, tables in SYSAUX, and the segments
// ALL_TABLES lists for Oracle's own use (an index-organized table's overflow and mapping tables, nested-table
// storage, domain-index tables). Partitioned, temporary and index-organized tables have no tablespace: kept.
const char* const k_tables =
   "SELECT table_name, tablespace_name, owner FROM sys.all_tables WHERE owner != 'SYS' AND owner != 'SYSTEM' "
   "AND (tablespace_name IS NULL OR tablespace_name != 'SYSAUX') AND owner != 'OUTLN' AND owner != 'XDB' "
   "AND owner NOT LIKE '%SYS%' AND owner NOT LIKE 'APEX%' "
   "AND (iot_type IS NULL OR iot_type NOT IN ('IOT_OVERFLOW', 'IOT_MAPPING')) AND nested = 'NO' AND secondary = 'N'";

const char* const k_views =
   "SELECT view_name, owner FROM sys.all_views WHERE owner != 'SYS' AND owner != 'SYSTEM' AND owner != 'OUTLN' AND owner != 'XDB' "
   "AND owner NOT LIKE '%SYS%' AND owner NOT LIKE 'APEX%'";

const char* const k_primary_key =
   "SELECT cols.table_name AS table_name, cols.column_name AS column_name, cons.owner AS owner FROM sys.all_constraints cons, sys.all_cons_columns cols "
   "WHERE cons.owner = :table_namespace AND cols.table_name = :table_name AND cons.constraint_type = 'P' "
   "AND cons.constraint_name = cols.constraint_name AND cons.owner = cols.owner";

// Constraint names are unique per owner only: the referenced constraint is found by owner and name.
const char* const k_relations =
   "SELECT cols.table_name AS table_name, cols.column_name AS column_name, cols.owner AS owner, ref.table_name AS ref_table_name, "
   "ref.column_name AS ref_column_name, ref.owner AS ref_owner, cols.constraint_name AS constraint_name "
   "FROM sys.all_constraints cons,sys.all_cons_columns cols,sys.all_cons_columns ref "
   "WHERE cols.owner = :table_namespace AND cols.table_name = :table_name AND cons.constraint_type = 'R' "
   "AND cons.constraint_name = cols.constraint_name AND cons.r_constraint_name = ref.constraint_name AND ref.owner = cons.r_owner "
   "AND cols.position = ref.position AND cons.owner = cols.owner";

// ALL_TAB_COLS's user-generated rows are ALL_TAB_COLUMNS's, with VIRTUAL_COLUMN besides: a virtual
// column keeps its expression in DATA_DEFAULT, which is no default. DATA_DEFAULT, a LONG, comes last.
const char* const k_columns =
   "SELECT column_name, data_type, nullable, virtual_column, data_default FROM sys.all_tab_cols "
   "WHERE owner = :table_namespace AND table_name = :table_name AND user_generated = 'YES' ORDER BY column_id";

} // namespace sql

vx::VxSqlQuery odbc_import_oracle::tablesQuery() const { return vx::VxSqlQuery(sql::k_tables); }

bool odbc_import_oracle::readTableRow(const vx::VxSqlQuery& query, long row, table_row& table) const
{
   table.name = text(query, row, "TABLE_NAME");
   table.rawNamespace = text(query, row, "OWNER");
   table.nameSpace = table.rawNamespace;
   return true;
}

vx::VxSqlQuery odbc_import_oracle::viewsQuery() const { return vx::VxSqlQuery(sql::k_views); }

bool odbc_import_oracle::readViewRow(const vx::VxSqlQuery& query, long row, table_row& table) const
{
   table.name = text(query, row, "VIEW_NAME");
   table.rawNamespace = text(query, row, "OWNER");
   table.nameSpace = table.rawNamespace;
   table.isView = true;
   return true;
}

vx::VxSqlQuery odbc_import_oracle::primaryKeyQuery(const table_row& table) const { return boundQuery(sql::k_primary_key, table); }

QString odbc_import_oracle::readPrimaryKeyColumn(const vx::VxSqlQuery& query, long row) const { return text(query, row, "COLUMN_NAME"); }

vx::VxSqlQuery odbc_import_oracle::relationsQuery(const table_row& table) const { return boundQuery(sql::k_relations, table); }

odbc_import_catalog::relation_row odbc_import_oracle::readRelationRow(const vx::VxSqlQuery& query, long row) const
{
   relation_row relation;
   relation.column = text(query, row, "COLUMN_NAME");
   relation.targetTable = text(query, row, "REF_TABLE_NAME");
   relation.targetNamespace = text(query, row, "REF_OWNER");
   relation.targetColumn = text(query, row, "REF_COLUMN_NAME");
   relation.constraintName = text(query, row, "CONSTRAINT_NAME");
   relation.keyText = relation.constraintName;
   return relation;
}

vx::VxSqlQuery odbc_import_oracle::columnsQuery(const table_row& table) const { return boundQuery(sql::k_columns, table); }

odbc_import_catalog::column_row odbc_import_oracle::readColumnRow(const vx::VxSqlQuery& query, long row, const QStringList& lstPrimaryKey) const
{
   column_row column;
   column.name = text(query, row, "COLUMN_NAME");
   column.sqlType = text(query, row, "DATA_TYPE");
   if (text(query, row, "VIRTUAL_COLUMN").compare("YES", Qt::CaseInsensitive) != 0) { column.defaultValue = text(query, row, "DATA_DEFAULT"); }
   column.notNull = isNo(text(query, row, "NULLABLE"), "N");
   column.isPrimaryKey = lstPrimaryKey.contains(column.name);
   return column;
}

QVariant odbc_import_oracle::getColumnType(const QString& sSqlType) const { return odbc_import_column_type::fromShared(sSqlType); }

} // namespace plugin
