#include "odbc_import_sqlite.h"

#include "odbc_import_column_type.h"

namespace plugin {

namespace sql {

const char* const k_master = "SELECT * FROM sqlite_master WHERE type = 'table' OR type = 'view';";
// Pragmas take no bound values: "%table%" is replaced by the table name as a quoted string, so that
// names with blanks, quotes, dots or keywords ("with blank", "say ""hi""", "select") are read too.
// A foreign key written "REFERENCES parent" without columns has no "to": it references parent's
// primary key, whose columns (pk 1, 2... of table_info) pair with the key's columns by position (seq 0, 1...).
const char* const k_foreign_keys =
   "SELECT f.id AS id, f.seq AS seq, f.\"table\" AS \"table\", f.\"from\" AS \"from\", COALESCE(f.\"to\", p.name) AS \"to\" "
   "FROM pragma_foreign_key_list(%table%) f LEFT JOIN pragma_table_info(f.\"table\") p ON (f.\"to\" IS NULL AND p.pk = f.seq + 1);";
// table_info hides generated columns ("AS (a + 1)", "GENERATED ALWAYS AS (a * 2) STORED"); table_xinfo
// shows them (hidden 2 and 3), and the hidden columns of virtual tables (hidden 1), which are no columns.
const char* const k_columns = "SELECT * FROM pragma_table_xinfo(%table%) WHERE hidden <> 1;";

} // namespace sql

QString odbc_import_sqlite::quoteName(const QString& sName)
{
   return ("'" + QString(sName).replace("'", "''") + "'");
}

vx::VxSqlQuery odbc_import_sqlite::tablesQuery() const { return vx::VxSqlQuery(sql::k_master); }

bool odbc_import_sqlite::readTableRow(const vx::VxSqlQuery& query, long row, table_row& table) const
{
   table.name = text(query, row, "tbl_name");
   // SQLite's own tables (sqlite_sequence, sqlite_stat1...) are not imported
   if (table.name.startsWith("sqlite_", Qt::CaseInsensitive)) { return false; }
   table.isView = (text(query, row, "type").compare("view", Qt::CaseInsensitive) == 0);
   return true;
}

// table_info's "pk" marks the key columns: there is no primary-key query
vx::VxSqlQuery odbc_import_sqlite::primaryKeyQuery(const table_row&) const { return vx::VxSqlQuery(); }

QString odbc_import_sqlite::readPrimaryKeyColumn(const vx::VxSqlQuery&, long) const { return QString(); }

vx::VxSqlQuery odbc_import_sqlite::relationsQuery(const table_row& table) const
{
   return vx::VxSqlQuery(QString::fromLatin1(sql::k_foreign_keys).replace("%table%", quoteName(table.name)));
}

odbc_import_catalog::relation_row odbc_import_sqlite::readRelationRow(const vx::VxSqlQuery& query, long row) const
{
   // a foreign key has no name here, only its number within the table ("id")
   relation_row relation;
   relation.column = text(query, row, "from");
   relation.targetTable = text(query, row, "table");
   relation.targetColumn = text(query, row, "to");
   relation.keyText = text(query, row, "id");
   relation.hasConstraintName = false;
   return relation;
}

vx::VxSqlQuery odbc_import_sqlite::columnsQuery(const table_row& table) const
{
   return vx::VxSqlQuery(QString::fromLatin1(sql::k_columns).replace("%table%", quoteName(table.name)));
}

odbc_import_catalog::column_row odbc_import_sqlite::readColumnRow(const vx::VxSqlQuery& query, long row, const QStringList&) const
{
   column_row column;
   column.name = text(query, row, "name");
   column.sqlType = text(query, row, "type");
   column.defaultValue = text(query, row, "dflt_value");
   column.isPrimaryKey = (text(query, row, "pk").toInt() != 0);
   column.notNull = (text(query, row, "notnull") == "1");
   return column;
}

QVariant odbc_import_sqlite::getColumnType(const QString& sSqlType) const { return odbc_import_column_type::fromSQLite(sSqlType); }

} // namespace plugin
