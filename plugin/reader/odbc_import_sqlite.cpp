#include "odbc_import_sqlite.h"

#include <vx/VxDao.h>

#include "odbc_import_engine.h"

namespace plugin {

namespace sql {

// A virtual table keeps its data in shadow tables of its own, named after it ("notes" of fts5: notes_data,
// notes_idx, notes_content, notes_docsize, notes_config; fts3/4, rtree: the other suffixes): they are no
// tables of the model (their names are listed once: a comparison of every table with every other grows with the
// square of the tables). The name's bytes come along in hex: the driver drops those that are not UTF-8.
const char* const k_master =
   "SELECT m.type, m.tbl_name, hex(m.tbl_name) AS name_hex FROM sqlite_master m WHERE (m.type = 'table' OR m.type = 'view') "
   "AND m.tbl_name NOT IN (SELECT v.tbl_name || '_' || s.column1 FROM sqlite_master v, (VALUES ('data'), ('idx'), ('content'), ('docsize'), "
   "('config'), ('segments'), ('segdir'), ('stat'), ('node'), ('parent'), ('rowid')) s WHERE v.type = 'table' AND v.sql LIKE 'CREATE VIRTUAL TABLE%');";
// Pragmas take no bound values: "%table%" is replaced by the quoted table name, so that names with
// blanks, quotes, dots or keywords ("with blank", "say ""hi""", "select") are read too.
const char* const k_foreign_keys = "PRAGMA foreign_key_list(%table%);";
// table_info hides generated columns ("AS (a + 1)", "GENERATED ALWAYS AS (a * 2) STORED"); table_xinfo
// shows them (hidden 2 and 3), and the hidden columns of virtual tables (hidden 1), which are no columns.
const char* const k_columns = "PRAGMA table_xinfo(%table%);";
// SQLite before 3.26 knows no table_xinfo and, as with every pragma it does not know, answers with no row.
const char* const k_columns_before_3_26 = "PRAGMA table_info(%table%);";
// The primary key of a table referenced without columns ("REFERENCES parent"): "pk" numbers its columns in key order.
const char* const k_referenced_key = "PRAGMA table_info(%table%);";

} // namespace sql

QString odbc_import_sqlite::quoteIdentifier(const QString& sName)
{
   return ("\"" + QString(sName).replace("\"", "\"\"") + "\"");
}

vx::VxSqlQuery odbc_import_sqlite::pragma(const char* sql, const QString& sTable)
{
   return vx::VxSqlQuery(QString::fromLatin1(sql).replace("%table%", quoteIdentifier(sTable)));
}

QString odbc_import_sqlite::referencedKeyColumn(const QString& sTable, int iPosition) const
{
   // rare (an implicit target), so asked per column; an unreadable parent leaves the target empty
   vx::VxSqlQuery query = pragma(sql::k_referenced_key, sTable);
   if (vx::dao::call_query(query, m_pDatabase).isValid()) { return QString(); }
   for (long r = 0; r < query.getSqlResultRowCount(); ++r)
   {
      if (text(query, r, "pk").toInt() == (iPosition + 1)) { return text(query, r, "name"); }
   }
   return QString();
}

vx::VxSqlQuery odbc_import_sqlite::tablesQuery() const { return vx::VxSqlQuery(sql::k_master); }

bool odbc_import_sqlite::readTableRow(const odbc_import_catalog_result& query, long row, table_row& table) const
{
   table.name = text(query, row, "tbl_name");
   // SQLite's own tables (sqlite_sequence, sqlite_stat1...) are not imported
   if (table.name.startsWith("sqlite_", Qt::CaseInsensitive)) { return false; }
   table.isView = (text(query, row, "type").compare("view", Qt::CaseInsensitive) == 0);
   // a name that is no UTF-8 reaches us without its odd bytes: another table's name, or none
   const QByteArray name = QByteArray::fromHex(text(query, row, "name_hex").toLatin1());
   if (QString::fromUtf8(name).toUtf8() != name)
   {
      QString sEscaped;
      for (const char c : name)
      {
         const uchar u = static_cast<uchar>(c);
         sEscaped += (((u >= 0x20) && (u < 0x7f) && (c != '\\')) ? QString(QLatin1Char(c)) : QString("\\x%1").arg(u, 2, 16, QLatin1Char('0')));
      }
      table.unreadable = "The name of table '" + sEscaped + "' is not UTF-8 text: the table cannot be read";
   }
   return true;
}

// table_info's "pk" marks the key columns: there is no primary-key query
vx::VxSqlQuery odbc_import_sqlite::primaryKeyQuery(const table_row&) const { return vx::VxSqlQuery(); }

QString odbc_import_sqlite::readPrimaryKeyColumn(const odbc_import_catalog_result&, long) const { return QString(); }

vx::VxSqlQuery odbc_import_sqlite::relationsQuery(const table_row& table) const
{
   return pragma(sql::k_foreign_keys, table.name);
}

odbc_import_catalog::relation_row odbc_import_sqlite::readRelationRow(const odbc_import_catalog_result& query, long row) const
{
   // a foreign key has no name here, only its number within the table ("id")
   relation_row relation;
   relation.column = text(query, row, "from");
   relation.targetTable = text(query, row, "table");
   relation.targetColumn = text(query, row, "to");
   // "REFERENCES parent" without columns references parent's primary key, paired by position ("seq")
   if (relation.targetColumn.isEmpty()) { relation.targetColumn = referencedKeyColumn(relation.targetTable, text(query, row, "seq").toInt()); }
   relation.keyText = text(query, row, "id");
   relation.hasConstraintName = false;
   return relation;
}

vx::VxSqlQuery odbc_import_sqlite::columnsQuery(const table_row& table) const
{
   return pragma(sql::k_columns, table.name);
}

vx::VxSqlQuery odbc_import_sqlite::columnsFallbackQuery(const table_row& table) const
{
   return pragma(sql::k_columns_before_3_26, table.name);
}

odbc_import_catalog::column_row odbc_import_sqlite::readColumnRow(const odbc_import_catalog_result& query, long row, const QStringList&) const
{
   column_row column;
   column.name = text(query, row, "name");
   column.sqlType = text(query, row, "type");
   column.defaultValue = text(query, row, "dflt_value");
   column.isPrimaryKey = (text(query, row, "pk").toInt() != 0);
   column.notNull = (text(query, row, "notnull") == "1");
   column.isHidden = (text(query, row, "hidden") == "1");
   return column;
}

QVariant odbc_import_sqlite::getColumnType(const QString& sSqlType) const { return odbc_import_engine::get(odbc_import_engine::engine_sqlite).columnType(sSqlType); }

} // namespace plugin
