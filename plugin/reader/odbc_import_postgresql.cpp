#include "odbc_import_postgresql.h"

#include <vx/VxDao.h>

#include "odbc_import_engine.h"

namespace plugin {

namespace sql {

// A function, not SHOW: what a query may call, a test may stand in for.
const char* const k_version = "SELECT current_setting('server_version_num');";

// The whole read is one read-only, repeatable-read transaction: every query sees the catalogue as the
// first one saw it, so a table dropped or renamed meanwhile still comes with its columns and keys.
const char* const k_begin = "START TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY;";
const char* const k_commit = "COMMIT;";
const char* const k_rollback = "ROLLBACK;";

// The tables query, then the catalogue-wide ones, run once and unprepared: a round trip each.
// Before 10: no declarative partitioning.
const char* const k_tables_v9 =
   "SELECT c.relname::text AS table_name, c.relkind::text AS table_type, obj_description(c.oid, 'pg_class') AS table_comment, n.nspname::text AS table_namespace "
   "FROM pg_catalog.pg_class c LEFT JOIN pg_catalog.pg_namespace n ON (n.oid = c.relnamespace) "
   "WHERE (c.relkind = 'r' OR c.relkind = 'v') AND n.nspname != 'pg_catalog' AND n.nspname != 'information_schema' "
   "ORDER BY c.relkind, n.nspname, c.relname;";

// 10 and later: a partitioned table (relkind 'p') is read as the table it is, sorted among the other
// tables before the views; its partitions are left out.
const char* const k_tables_v10 =
   "SELECT c.relname::text AS table_name, c.relkind::text AS table_type, obj_description(c.oid, 'pg_class') AS table_comment, n.nspname::text AS table_namespace "
   "FROM pg_catalog.pg_class c LEFT JOIN pg_catalog.pg_namespace n ON (n.oid = c.relnamespace) "
   "WHERE (c.relkind = 'r' OR c.relkind = 'p' OR c.relkind = 'v') AND NOT c.relispartition "
   "AND n.nspname != 'pg_catalog' AND n.nspname != 'information_schema' "
   "ORDER BY (c.relkind = 'v'), n.nspname, c.relname;";

// Every column of a composite key, in key order, not only the first (indkey is a 0-based int2vector).
const char* const k_primary_key =
   "SELECT a.attname AS key_pk FROM pg_catalog.pg_class c LEFT JOIN pg_catalog.pg_namespace n ON (n.oid = c.relnamespace) "
   "INNER JOIN pg_catalog.pg_index i ON (c.oid = i.indrelid) "
   "CROSS JOIN LATERAL unnest(i.indkey) WITH ORDINALITY AS k(attnum, position) "
   "INNER JOIN pg_catalog.pg_attribute a ON (a.attrelid = c.oid AND a.attnum = k.attnum) "
   "WHERE i.indisprimary = 't' AND c.relname = :table_name AND n.nspname = :table_namespace ORDER BY k.position;";

// 11 and later: "PRIMARY KEY (id) INCLUDE (extra)" lists extra in indkey after the key's own indnkeyatts
// columns; a covered column is an ordinary column, not a key column.
const char* const k_primary_key_v11 =
   "SELECT a.attname AS key_pk FROM pg_catalog.pg_class c LEFT JOIN pg_catalog.pg_namespace n ON (n.oid = c.relnamespace) "
   "INNER JOIN pg_catalog.pg_index i ON (c.oid = i.indrelid) "
   "CROSS JOIN LATERAL unnest(i.indkey) WITH ORDINALITY AS k(attnum, position) "
   "INNER JOIN pg_catalog.pg_attribute a ON (a.attrelid = c.oid AND a.attnum = k.attnum) "
   "WHERE i.indisprimary = 't' AND k.position <= i.indnkeyatts AND c.relname = :table_name AND n.nspname = :table_namespace ORDER BY k.position;";

// A composite foreign key comes whole, not only its first column: every column of the key, paired with
// its referenced column by position (conkey, confkey).
const char* const k_relations_v9 =
   "SELECT a.attname AS attribute, clf.relname AS table_ref, nf.nspname AS namespace_ref, af.attname AS attribute_ref, ct.conname AS constraint_name "
   "FROM pg_catalog.pg_constraint ct CROSS JOIN LATERAL unnest(ct.conkey, ct.confkey) WITH ORDINALITY AS k(attnum, attnum_ref, position) "
   "JOIN pg_catalog.pg_class cl ON (cl.oid = ct.conrelid AND cl.relkind = 'r') JOIN pg_catalog.pg_namespace n ON (n.oid = cl.relnamespace) "
   "JOIN pg_catalog.pg_attribute a ON (a.attrelid = ct.conrelid AND a.attnum = k.attnum) "
   "JOIN pg_catalog.pg_class clf ON (clf.oid = ct.confrelid AND clf.relkind = 'r') JOIN pg_catalog.pg_namespace nf ON (nf.oid = clf.relnamespace) "
   "JOIN pg_catalog.pg_attribute af ON (af.attrelid = ct.confrelid AND af.attnum = k.attnum_ref) "
   "WHERE ct.confrelid != 0 AND cl.relname = :table_name AND n.nspname = :table_namespace ORDER BY ct.conname, k.position;";

// 10: a foreign key from or to a partitioned table (relkind 'p') is read too.
const char* const k_relations_v10 =
   "SELECT a.attname AS attribute, clf.relname AS table_ref, nf.nspname AS namespace_ref, af.attname AS attribute_ref, ct.conname AS constraint_name "
   "FROM pg_catalog.pg_constraint ct CROSS JOIN LATERAL unnest(ct.conkey, ct.confkey) WITH ORDINALITY AS k(attnum, attnum_ref, position) "
   "JOIN pg_catalog.pg_class cl ON (cl.oid = ct.conrelid AND (cl.relkind = 'r' OR cl.relkind = 'p')) JOIN pg_catalog.pg_namespace n ON (n.oid = cl.relnamespace) "
   "JOIN pg_catalog.pg_attribute a ON (a.attrelid = ct.conrelid AND a.attnum = k.attnum) "
   "JOIN pg_catalog.pg_class clf ON (clf.oid = ct.confrelid AND (clf.relkind = 'r' OR clf.relkind = 'p')) JOIN pg_catalog.pg_namespace nf ON (nf.oid = clf.relnamespace) "
   "JOIN pg_catalog.pg_attribute af ON (af.attrelid = ct.confrelid AND af.attnum = k.attnum_ref) "
   "WHERE ct.confrelid != 0 AND cl.relname = :table_name AND n.nspname = :table_namespace ORDER BY ct.conname, k.position;";

// 11 and later: a foreign key to a partitioned table is copied once per partition (conparentid set): count it once.
const char* const k_relations_v11 =
   "SELECT a.attname AS attribute, clf.relname AS table_ref, nf.nspname AS namespace_ref, af.attname AS attribute_ref, ct.conname AS constraint_name "
   "FROM pg_catalog.pg_constraint ct CROSS JOIN LATERAL unnest(ct.conkey, ct.confkey) WITH ORDINALITY AS k(attnum, attnum_ref, position) "
   "JOIN pg_catalog.pg_class cl ON (cl.oid = ct.conrelid AND (cl.relkind = 'r' OR cl.relkind = 'p')) JOIN pg_catalog.pg_namespace n ON (n.oid = cl.relnamespace) "
   "JOIN pg_catalog.pg_attribute a ON (a.attrelid = ct.conrelid AND a.attnum = k.attnum) "
   "JOIN pg_catalog.pg_class clf ON (clf.oid = ct.confrelid AND (clf.relkind = 'r' OR clf.relkind = 'p')) JOIN pg_catalog.pg_namespace nf ON (nf.oid = clf.relnamespace) "
   "JOIN pg_catalog.pg_attribute af ON (af.attrelid = ct.confrelid AND af.attnum = k.attnum_ref) "
   "WHERE ct.confrelid != 0 AND ct.conparentid = 0 AND cl.relname = :table_name AND n.nspname = :table_namespace ORDER BY ct.conname, k.position;";

// Before 12 the default's text is pg_attrdef.adsrc; 12 removed it for pg_get_expr().
const char* const k_columns_v11 =
   "SELECT a.attname, a.attnotnull, col_description(c.oid, a.attnum) AS comment, d.adsrc AS default_value, t.typname AS typname "
   "FROM pg_catalog.pg_class c LEFT JOIN pg_catalog.pg_namespace n ON (n.oid = c.relnamespace) "
   "INNER JOIN pg_catalog.pg_attribute a ON (c.oid = a.attrelid) INNER JOIN pg_catalog.pg_type t ON (t.oid = a.atttypid) "
   "LEFT JOIN pg_catalog.pg_attrdef d ON ((a.attrelid, a.attnum) = (d.adrelid, d.adnum)) "
   "WHERE c.relname = :table_name AND n.nspname = :table_namespace AND a.attnum > 0 ORDER BY a.attnum ASC;";

// 12 also brought generated columns ("GENERATED ALWAYS AS (...) STORED"): pg_attrdef holds their
// expression, which is no default (attgenerated is empty for every other column).
const char* const k_columns_v12 =
   "SELECT a.attname, a.attnotnull, col_description(c.oid, a.attnum) AS comment, "
   "(CASE WHEN a.attgenerated = '' THEN pg_get_expr(d.adbin, d.adrelid) END) AS default_value, t.typname AS typname "
   "FROM pg_catalog.pg_class c LEFT JOIN pg_catalog.pg_namespace n ON (n.oid = c.relnamespace) "
   "INNER JOIN pg_catalog.pg_attribute a ON (c.oid = a.attrelid) INNER JOIN pg_catalog.pg_type t ON (t.oid = a.atttypid) "
   "LEFT JOIN pg_catalog.pg_attrdef d ON ((a.attrelid, a.attnum) = (d.adrelid, d.adnum)) "
   "WHERE c.relname = :table_name AND n.nspname = :table_namespace AND a.attnum > 0 ORDER BY a.attnum ASC;";

// The catalogue-wide queries: each replaces its per-table query above, run once for every table of the
// schemas the tables query reads; each row names its table (table_namespace, table_name), and the rows of
// one table come in the order of the per-table query. Rows of tables that are not read (partitions) are
// left aside by the reader. As in the tables query, every column is an expression (::text, COALESCE): for a plain
// column of a catalogue table psqlODBC looks that table up first, one more round trip.

// Replaces k_primary_key (every version before 11); the order of a key's columns is not read.
const char* const k_all_primary_keys =
   "SELECT n.nspname::text AS table_namespace, c.relname::text AS table_name, a.attname::text AS key_pk "
   "FROM pg_catalog.pg_index i INNER JOIN pg_catalog.pg_class c ON (c.oid = i.indrelid) "
   "INNER JOIN pg_catalog.pg_namespace n ON (n.oid = c.relnamespace) "
   "CROSS JOIN LATERAL unnest(i.indkey) WITH ORDINALITY AS k(attnum, position) "
   "INNER JOIN pg_catalog.pg_attribute a ON (a.attrelid = c.oid AND a.attnum = k.attnum) "
   "WHERE i.indisprimary AND n.nspname != 'pg_catalog' AND n.nspname != 'information_schema';";

// Replaces k_primary_key_v11: a covered column (INCLUDE) is no key column.
const char* const k_all_primary_keys_v11 =
   "SELECT n.nspname::text AS table_namespace, c.relname::text AS table_name, a.attname::text AS key_pk "
   "FROM pg_catalog.pg_index i INNER JOIN pg_catalog.pg_class c ON (c.oid = i.indrelid) "
   "INNER JOIN pg_catalog.pg_namespace n ON (n.oid = c.relnamespace) "
   "CROSS JOIN LATERAL unnest(i.indkey) WITH ORDINALITY AS k(attnum, position) "
   "INNER JOIN pg_catalog.pg_attribute a ON (a.attrelid = c.oid AND a.attnum = k.attnum) "
   "WHERE i.indisprimary AND k.position <= i.indnkeyatts AND n.nspname != 'pg_catalog' AND n.nspname != 'information_schema';";

// Replaces k_relations_v9 and k_relations_v10 (before 10 no table has relkind 'p').
const char* const k_all_relations_v10 =
   "SELECT n.nspname::text AS table_namespace, cl.relname::text AS table_name, a.attname::text AS attribute, clf.relname::text AS table_ref, nf.nspname::text AS namespace_ref, "
   "af.attname::text AS attribute_ref, ct.conname::text AS constraint_name "
   "FROM pg_catalog.pg_constraint ct CROSS JOIN LATERAL unnest(ct.conkey, ct.confkey) WITH ORDINALITY AS k(attnum, attnum_ref, position) "
   "JOIN pg_catalog.pg_class cl ON (cl.oid = ct.conrelid AND (cl.relkind = 'r' OR cl.relkind = 'p')) JOIN pg_catalog.pg_namespace n ON (n.oid = cl.relnamespace) "
   "JOIN pg_catalog.pg_attribute a ON (a.attrelid = ct.conrelid AND a.attnum = k.attnum) "
   "JOIN pg_catalog.pg_class clf ON (clf.oid = ct.confrelid AND (clf.relkind = 'r' OR clf.relkind = 'p')) JOIN pg_catalog.pg_namespace nf ON (nf.oid = clf.relnamespace) "
   "JOIN pg_catalog.pg_attribute af ON (af.attrelid = ct.confrelid AND af.attnum = k.attnum_ref) "
   "WHERE ct.confrelid != 0 AND n.nspname != 'pg_catalog' AND n.nspname != 'information_schema' ORDER BY ct.conname, k.position;";

// Replaces k_relations_v11.
const char* const k_all_relations_v11 =
   "SELECT n.nspname::text AS table_namespace, cl.relname::text AS table_name, a.attname::text AS attribute, clf.relname::text AS table_ref, nf.nspname::text AS namespace_ref, "
   "af.attname::text AS attribute_ref, ct.conname::text AS constraint_name "
   "FROM pg_catalog.pg_constraint ct CROSS JOIN LATERAL unnest(ct.conkey, ct.confkey) WITH ORDINALITY AS k(attnum, attnum_ref, position) "
   "JOIN pg_catalog.pg_class cl ON (cl.oid = ct.conrelid AND (cl.relkind = 'r' OR cl.relkind = 'p')) JOIN pg_catalog.pg_namespace n ON (n.oid = cl.relnamespace) "
   "JOIN pg_catalog.pg_attribute a ON (a.attrelid = ct.conrelid AND a.attnum = k.attnum) "
   "JOIN pg_catalog.pg_class clf ON (clf.oid = ct.confrelid AND (clf.relkind = 'r' OR clf.relkind = 'p')) JOIN pg_catalog.pg_namespace nf ON (nf.oid = clf.relnamespace) "
   "JOIN pg_catalog.pg_attribute af ON (af.attrelid = ct.confrelid AND af.attnum = k.attnum_ref) "
   "WHERE ct.confrelid != 0 AND ct.conparentid = 0 AND n.nspname != 'pg_catalog' AND n.nspname != 'information_schema' ORDER BY ct.conname, k.position;";

// Replaces k_columns_v11; comments joined, not looked up column by column.
const char* const k_all_columns_v11 =
   "SELECT n.nspname::text AS table_namespace, c.relname::text AS table_name, a.attname::text AS attname, a.attnotnull::text AS attnotnull, "
   "COALESCE(ds.description, '') AS comment, d.adsrc AS default_value, t.typname::text AS typname "
   "FROM pg_catalog.pg_class c INNER JOIN pg_catalog.pg_namespace n ON (n.oid = c.relnamespace) "
   "INNER JOIN pg_catalog.pg_attribute a ON (c.oid = a.attrelid) INNER JOIN pg_catalog.pg_type t ON (t.oid = a.atttypid) "
   "LEFT JOIN pg_catalog.pg_attrdef d ON ((a.attrelid, a.attnum) = (d.adrelid, d.adnum)) "
   "LEFT JOIN pg_catalog.pg_description ds ON (ds.objoid = a.attrelid AND ds.classoid = 'pg_catalog.pg_class'::regclass AND ds.objsubid = a.attnum) "
   "WHERE (c.relkind = 'r' OR c.relkind = 'p' OR c.relkind = 'v') AND n.nspname != 'pg_catalog' AND n.nspname != 'information_schema' "
   "AND a.attnum > 0 ORDER BY a.attnum ASC;";

// Replaces k_columns_v12. Comments joined, not looked up column by column; a default names no column (only a
// generated column's expression does, and that is no default), so it is printed without opening its table (0):
// opening every table cost more than the rest of the query.
const char* const k_all_columns_v12 =
   "SELECT n.nspname::text AS table_namespace, c.relname::text AS table_name, a.attname::text AS attname, a.attnotnull::text AS attnotnull, "
   "COALESCE(ds.description, '') AS comment, (CASE WHEN a.attgenerated = '' THEN pg_get_expr(d.adbin, 0) END) AS default_value, t.typname::text AS typname "
   "FROM pg_catalog.pg_class c INNER JOIN pg_catalog.pg_namespace n ON (n.oid = c.relnamespace) "
   "INNER JOIN pg_catalog.pg_attribute a ON (c.oid = a.attrelid) INNER JOIN pg_catalog.pg_type t ON (t.oid = a.atttypid) "
   "LEFT JOIN pg_catalog.pg_attrdef d ON ((a.attrelid, a.attnum) = (d.adrelid, d.adnum)) "
   "LEFT JOIN pg_catalog.pg_description ds ON (ds.objoid = a.attrelid AND ds.classoid = 'pg_catalog.pg_class'::regclass AND ds.objsubid = a.attnum) "
   "WHERE (c.relkind = 'r' OR c.relkind = 'p' OR c.relkind = 'v') AND n.nspname != 'pg_catalog' AND n.nspname != 'information_schema' "
   "AND a.attnum > 0 ORDER BY a.attnum ASC;";

} // namespace sql

namespace {

// Only the schema "public" is the default schema, the empty namespace: "Public" and "PUBLIC" (created
// quoted) are other schemas, whose tables would otherwise take the keys of public's tables of the same name.
QString namespaceOf(const QString& sRawNamespace)
{
   return ((sRawNamespace == QLatin1String("public")) ? QString() : sRawNamespace);
}

} // namespace

vx::VxBool odbc_import_postgresql::readPreamble()
{
   // an unreadable version is 0: the oldest queries are used
   vx::VxSqlQuery query(sql::k_version);
   qlonglong version = 0;
   if (! vx::dao::call_query_without_prepare(query, m_pDatabase).isValid() && (query.getSqlResultRowCount() > 0))
   { version = query.getSqlResultAt(0, 0L).toLongLong(); }
   m_iServerVersion = static_cast<qint32>(version);
   qDebug("[Kelmar] PostgreSQL database version : %ld", static_cast<long>(m_iServerVersion));
   // unnest ... WITH ORDINALITY came with 9.4: an older server would fail every key query
   if ((m_iServerVersion > 0) && (m_iServerVersion < 90400))
   {
      const int iMajor = m_iServerVersion / 10000, iMinor = (m_iServerVersion / 100) % 100, iPatch = m_iServerVersion % 100;
      return vx::VxBool(false, 0, QString("PostgreSQL 9.4 or later is required (the server is %1.%2.%3)").arg(iMajor).arg(iMinor).arg(iPatch));
   }
   return vx::VxBool(true);
}

vx::VxBool odbc_import_postgresql::beginRead()
{
   vx::VxSqlQuery query(sql::k_begin);
   const QSqlError error = vx::dao::call_query_without_prepare(query, m_pDatabase);
   // without its transaction the read could mix two states of the catalogue: it does not start
   return (error.isValid() ? vx::VxBool(false, 0, "An error occurred fetching all tables :\n" + error.text()) : vx::VxBool(true));
}

void odbc_import_postgresql::endRead(bool bSucceeded)
{
   // nothing was written: a failure to end the transaction (a lost connection) changes nothing read
   vx::VxSqlQuery query(bSucceeded ? sql::k_commit : sql::k_rollback);
   vx::dao::call_query_without_prepare(query, m_pDatabase);
}

vx::VxSqlQuery odbc_import_postgresql::tablesQuery() const
{
   return vx::VxSqlQuery((m_iServerVersion >= 100000) ? sql::k_tables_v10 : sql::k_tables_v9);
}

bool odbc_import_postgresql::readTableRow(const odbc_import_catalog_result& query, long row, table_row& table) const
{
   table.name = text(query, row, "table_name");
   table.rawNamespace = text(query, row, "table_namespace");
   table.nameSpace = namespaceOf(table.rawNamespace);
   table.isView = (text(query, row, "table_type").compare("v", Qt::CaseInsensitive) == 0);
   table.description = text(query, row, "table_comment");
   return true;
}

vx::VxSqlQuery odbc_import_postgresql::primaryKeyQuery(const table_row& table) const
{
   return boundQuery((m_iServerVersion >= 110000) ? sql::k_primary_key_v11 : sql::k_primary_key, table);
}

QString odbc_import_postgresql::readPrimaryKeyColumn(const odbc_import_catalog_result& query, long row) const { return text(query, row, "key_pk"); }

vx::VxSqlQuery odbc_import_postgresql::relationsQuery(const table_row& table) const
{
   const qint32 version = m_iServerVersion;
   return boundQuery((version >= 110000) ? sql::k_relations_v11 : ((version >= 100000) ? sql::k_relations_v10 : sql::k_relations_v9), table);
}

odbc_import_catalog::relation_row odbc_import_postgresql::readRelationRow(const odbc_import_catalog_result& query, long row) const
{
   relation_row relation;
   relation.column = text(query, row, "attribute");
   relation.targetTable = text(query, row, "table_ref");
   relation.targetNamespace = namespaceOf(text(query, row, "namespace_ref"));
   relation.targetColumn = text(query, row, "attribute_ref");
   relation.constraintName = text(query, row, "constraint_name");
   relation.keyText = relation.constraintName;
   return relation;
}

vx::VxSqlQuery odbc_import_postgresql::columnsQuery(const table_row& table) const
{
   return boundQuery((m_iServerVersion < 120000) ? sql::k_columns_v11 : sql::k_columns_v12, table);
}

odbc_import_catalog::column_row odbc_import_postgresql::readColumnRow(const odbc_import_catalog_result& query, long row, const QStringList& lstPrimaryKey) const
{
   column_row column;
   column.name = text(query, row, "attname");
   column.sqlType = text(query, row, "typname");
   column.description = text(query, row, "comment");
   column.defaultValue = text(query, row, "default_value");
   // psqlODBC reports booleans as "1"/"0", libpq as "t"/"f"
   const QString sNotNull = text(query, row, "attnotnull");
   column.notNull = ((sNotNull.compare("t", Qt::CaseInsensitive) == 0) || (sNotNull.compare("true", Qt::CaseInsensitive) == 0) || (sNotNull == "1"));
   column.isPrimaryKey = lstPrimaryKey.contains(column.name);
   return column;
}

vx::VxSqlQuery odbc_import_postgresql::allPrimaryKeysQuery() const
{
   return vx::VxSqlQuery((m_iServerVersion >= 110000) ? sql::k_all_primary_keys_v11 : sql::k_all_primary_keys);
}

vx::VxSqlQuery odbc_import_postgresql::allRelationsQuery() const
{
   return vx::VxSqlQuery((m_iServerVersion >= 110000) ? sql::k_all_relations_v11 : sql::k_all_relations_v10);
}

vx::VxSqlQuery odbc_import_postgresql::allColumnsQuery() const
{
   return vx::VxSqlQuery((m_iServerVersion >= 120000) ? sql::k_all_columns_v12 : sql::k_all_columns_v11);
}

QVariant odbc_import_postgresql::getColumnType(const QString& sSqlType) const { return odbc_import_engine::get(odbc_import_engine::engine_postgresql).columnType(sSqlType); }

} // namespace plugin
