#include "odbc_import_oracle.h"

#include <vx/VxDao.h>

#include "odbc_import_engine.h"

namespace plugin {

namespace sql {

// Oracle rejects a statement that ends with ";" (ORA-00911): no text here has one.

// The server's version, from the dictionary (every account may read it), not the driver's: the texts depend on it.
const char* const k_version = "SELECT version FROM sys.product_component_version WHERE product LIKE 'Oracle%'";

// Left out: the owners of the dictionary and of Oracle's own components, tables in SYSAUX, and the segments
// ALL_TABLES lists for Oracle's own use (an index-organized table's overflow and mapping tables, nested-table
// storage, domain-index tables), and the recycle bin's dropped tables (BIN$...). Partitioned, temporary and
// index-organized tables have no tablespace: kept.
const char* const k_tables =
   "SELECT table_name, tablespace_name, owner FROM sys.all_tables WHERE owner != 'SYS' AND owner != 'SYSTEM' "
   "AND (tablespace_name IS NULL OR tablespace_name != 'SYSAUX') AND owner != 'OUTLN' AND owner != 'XDB' "
   "AND owner NOT LIKE '%SYS%' AND owner NOT LIKE 'APEX%' "
   "AND (iot_type IS NULL OR iot_type NOT IN ('IOT_OVERFLOW', 'IOT_MAPPING')) AND nested = 'NO' AND secondary = 'N' AND dropped = 'NO'";

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
   "AND cols.position = ref.position AND cons.owner = cols.owner ORDER BY cols.constraint_name, cols.position";

// 12.1 and later: ALL_TAB_COLS's user-generated rows are ALL_TAB_COLUMNS's, with VIRTUAL_COLUMN besides: a
// virtual column keeps its expression in DATA_DEFAULT, which is no default. DATA_DEFAULT, a LONG, comes last.
const char* const k_columns =
   "SELECT column_name, data_type, nullable, virtual_column, data_default FROM sys.all_tab_cols "
   "WHERE owner = :table_namespace AND table_name = :table_name AND user_generated = 'YES' ORDER BY column_id";

// Before 12.1 ALL_TAB_COLS has no USER_GENERATED (ORA-00904): the columns of ALL_TAB_COLUMNS, with their
// virtual-column flag from ALL_TAB_COLS.
const char* const k_columns_v11 =
   "SELECT c.column_name AS column_name, c.data_type AS data_type, c.nullable AS nullable, x.virtual_column AS virtual_column, "
   "c.data_default AS data_default FROM sys.all_tab_columns c, sys.all_tab_cols x "
   "WHERE c.owner = :table_namespace AND c.table_name = :table_name AND x.owner = c.owner AND x.table_name = c.table_name "
   "AND x.column_name = c.column_name ORDER BY c.column_id";

// The catalogue-wide queries, each replacing its per-table query above for the tables of every owner the
// tables query reads (the same exclusions); rows name their table (table_namespace, table_name), those of
// one table come in the per-table query's order. Dictionary views answer each per-table query slowly: these
// are three queries in all.

// Replaces k_primary_key.
const char* const k_all_primary_keys =
   "SELECT cols.owner AS table_namespace, cols.table_name AS table_name, cols.column_name AS column_name "
   "FROM sys.all_constraints cons, sys.all_cons_columns cols WHERE cons.constraint_type = 'P' "
   "AND cons.constraint_name = cols.constraint_name AND cons.owner = cols.owner AND cons.owner != 'SYS' AND cons.owner != 'SYSTEM' "
   "AND cons.owner != 'OUTLN' AND cons.owner != 'XDB' AND cons.owner NOT LIKE '%SYS%' AND cons.owner NOT LIKE 'APEX%'";

// Replaces k_relations.
const char* const k_all_relations =
   "SELECT cols.owner AS table_namespace, cols.table_name AS table_name, cols.column_name AS column_name, ref.table_name AS ref_table_name, "
   "ref.column_name AS ref_column_name, ref.owner AS ref_owner, cols.constraint_name AS constraint_name "
   "FROM sys.all_constraints cons, sys.all_cons_columns cols, sys.all_cons_columns ref "
   "WHERE cons.constraint_type = 'R' AND cons.constraint_name = cols.constraint_name AND cons.r_constraint_name = ref.constraint_name "
   "AND ref.owner = cons.r_owner AND cols.position = ref.position AND cons.owner = cols.owner AND cols.owner != 'SYS' AND cols.owner != 'SYSTEM' "
   "AND cols.owner != 'OUTLN' AND cols.owner != 'XDB' AND cols.owner NOT LIKE '%SYS%' AND cols.owner NOT LIKE 'APEX%' "
   "ORDER BY cols.constraint_name, cols.position";

// Replaces k_columns (12.1 and later).
const char* const k_all_columns =
   "SELECT owner AS table_namespace, table_name, column_name, data_type, nullable, virtual_column, data_default FROM sys.all_tab_cols "
   "WHERE user_generated = 'YES' AND owner != 'SYS' AND owner != 'SYSTEM' AND owner != 'OUTLN' AND owner != 'XDB' "
   "AND owner NOT LIKE '%SYS%' AND owner NOT LIKE 'APEX%' ORDER BY column_id";

// Replaces k_columns_v11 (before 12.1).
const char* const k_all_columns_v11 =
   "SELECT c.owner AS table_namespace, c.table_name AS table_name, c.column_name AS column_name, c.data_type AS data_type, "
   "c.nullable AS nullable, x.virtual_column AS virtual_column, c.data_default AS data_default FROM sys.all_tab_columns c, sys.all_tab_cols x "
   "WHERE x.owner = c.owner AND x.table_name = c.table_name AND x.column_name = c.column_name AND c.owner != 'SYS' AND c.owner != 'SYSTEM' "
   "AND c.owner != 'OUTLN' AND c.owner != 'XDB' AND c.owner NOT LIKE '%SYS%' AND c.owner NOT LIKE 'APEX%' ORDER BY c.column_id";

} // namespace sql

namespace {

// 12.1, as major * 100 + minor
const qint32 k_iVersion12c = 1201;

} // namespace

vx::VxBool odbc_import_oracle::readPreamble()
{
   // "11.2.0.4.0"; unreadable: 0, whose texts every version has
   vx::VxSqlQuery query(sql::k_version);
   const QStringList lst = (vx::dao::call_query_without_prepare(query, m_pDatabase).isValid() ? QStringList() : query.getSqlResultAt(0, 0L).toString().split('.'));
   m_iServerVersion = lst.value(0).toInt() * 100 + lst.value(1).toInt();
   qDebug("[Kelmar] Oracle database version : %ld", static_cast<long>(m_iServerVersion));
   return vx::VxBool(true);
}

vx::VxSqlQuery odbc_import_oracle::tablesQuery() const { return vx::VxSqlQuery(sql::k_tables); }

bool odbc_import_oracle::readTableRow(const odbc_import_catalog_result& query, long row, table_row& table) const
{
   table.name = text(query, row, "TABLE_NAME");
   table.rawNamespace = text(query, row, "OWNER");
   table.nameSpace = table.rawNamespace;
   return true;
}

vx::VxSqlQuery odbc_import_oracle::viewsQuery() const { return vx::VxSqlQuery(sql::k_views); }

bool odbc_import_oracle::readViewRow(const odbc_import_catalog_result& query, long row, table_row& table) const
{
   table.name = text(query, row, "VIEW_NAME");
   table.rawNamespace = text(query, row, "OWNER");
   table.nameSpace = table.rawNamespace;
   table.isView = true;
   return true;
}

vx::VxSqlQuery odbc_import_oracle::primaryKeyQuery(const table_row& table) const { return boundQuery(sql::k_primary_key, table); }

QString odbc_import_oracle::readPrimaryKeyColumn(const odbc_import_catalog_result& query, long row) const { return text(query, row, "COLUMN_NAME"); }

vx::VxSqlQuery odbc_import_oracle::relationsQuery(const table_row& table) const { return boundQuery(sql::k_relations, table); }

odbc_import_catalog::relation_row odbc_import_oracle::readRelationRow(const odbc_import_catalog_result& query, long row) const
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

vx::VxSqlQuery odbc_import_oracle::columnsQuery(const table_row& table) const
{
   return boundQuery((m_iServerVersion >= k_iVersion12c) ? sql::k_columns : sql::k_columns_v11, table);
}

odbc_import_catalog::column_row odbc_import_oracle::readColumnRow(const odbc_import_catalog_result& query, long row, const QStringList& lstPrimaryKey) const
{
   column_row column;
   column.name = text(query, row, "COLUMN_NAME");
   column.sqlType = text(query, row, "DATA_TYPE");
   if (text(query, row, "VIRTUAL_COLUMN").compare("YES", Qt::CaseInsensitive) != 0) { column.defaultValue = text(query, row, "DATA_DEFAULT"); }
   column.notNull = isNo(text(query, row, "NULLABLE"), "N");
   column.isPrimaryKey = lstPrimaryKey.contains(column.name);
   return column;
}

vx::VxSqlQuery odbc_import_oracle::allPrimaryKeysQuery() const { return vx::VxSqlQuery(sql::k_all_primary_keys); }

vx::VxSqlQuery odbc_import_oracle::allRelationsQuery() const { return vx::VxSqlQuery(sql::k_all_relations); }

vx::VxSqlQuery odbc_import_oracle::allColumnsQuery() const
{
   return vx::VxSqlQuery((m_iServerVersion >= k_iVersion12c) ? sql::k_all_columns : sql::k_all_columns_v11);
}

QVariant odbc_import_oracle::getColumnType(const QString& sSqlType) const { return odbc_import_engine::get(odbc_import_engine::engine_oracle).columnType(sSqlType); }

} // namespace plugin
