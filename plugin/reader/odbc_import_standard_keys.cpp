#include "odbc_import_standard_keys.h"

#include <algorithm>

#include "odbc_import_fetch.h"

namespace plugin {

namespace sql {

// Upper-case names: a SQL Server database of case-sensitive collation resolves them only so. A constraint
// lives in its table's schema on every database that has these views.
const char* const k_constraints =
   "SELECT CONSTRAINT_NAME, TABLE_NAME, CONSTRAINT_TYPE FROM INFORMATION_SCHEMA.TABLE_CONSTRAINTS WHERE TABLE_SCHEMA = ?;";

// Every column: MySQL and MariaDB add REFERENCED_TABLE_SCHEMA, REFERENCED_TABLE_NAME and REFERENCED_COLUMN_NAME
// (their POSITION_IN_UNIQUE_CONSTRAINT is the column's own position, no use for finding the target).
const char* const k_key_columns =
   "SELECT * FROM INFORMATION_SCHEMA.KEY_COLUMN_USAGE WHERE TABLE_SCHEMA = ?;";

// Asked only where the key columns do not name their targets.
const char* const k_referential =
   "SELECT CONSTRAINT_NAME, UNIQUE_CONSTRAINT_SCHEMA, UNIQUE_CONSTRAINT_NAME FROM INFORMATION_SCHEMA.REFERENTIAL_CONSTRAINTS "
   "WHERE CONSTRAINT_SCHEMA = ?;";

} // namespace sql

namespace {

const QString k_sPrimaryKey = QStringLiteral("PRIMARY KEY");
const QString k_sUnique = QStringLiteral("UNIQUE");
const QString k_sForeignKey = QStringLiteral("FOREIGN KEY");

QString joined(const QString& s1, const QString& s2) { return s1 + QChar(0x1f) + s2; }

/** Runs one of the queries above for a schema and reads every row; false when the database refuses it. */
bool run(const QSqlDatabase& database, const char* szSql, const QString& sSchema, const std::function<void(const odbc_import_fetch&, long)>& onRow,
         const std::function<void(const odbc_import_fetch&)>& onColumns = {})
{
   odbc_import_fetch fetch(database);
   if (! fetch.exec(QString::fromLatin1(szSql), { sSchema }).isNull()) { return false; }
   if (onColumns) { onColumns(fetch); }
   while (fetch.next()) { for (long r = 0; r < fetch.rows(); ++r) { onRow(fetch, r); } }
   return fetch.error().isNull();
}

} // namespace

odbc_import_standard_keys::odbc_import_standard_keys(const QSqlDatabase& database) : m_database(database), m_bAvailable(odbc_import_fetch::canFetch(database)) { ; }

bool odbc_import_standard_keys::readSchema(const QString& sSchema)
{
   if (! m_bAvailable || m_mapSchemas.contains(sSchema)) { return m_bAvailable; }
   schema_keys keys;
   m_bAvailable = run(m_database, sql::k_constraints, sSchema, [&](const odbc_import_fetch& fetch, long r) {
      constraint c;
      c.name = fetch.text(r, 0);
      c.type = fetch.text(r, 2).trimmed().toUpper();
      const QString sTable = fetch.text(r, 1);
      // PostgreSQL's NOT NULL checks too: they tell that the table is one whose constraints the views show
      keys.tables[sTable].append(c);
      if ((c.type == k_sPrimaryKey) || (c.type == k_sUnique))
      {
         // a name two keys share (MariaDB calls every primary key PRIMARY) names no table
         const auto it = keys.uniqueTables.constFind(c.name);
         keys.uniqueTables.insert(c.name, ((it == keys.uniqueTables.constEnd()) ? sTable : QString()));
      }
   });
   QHash<QString, constraint*> mapByName;   // this schema's constraints by table and name
   for (auto it = keys.tables.begin(); it != keys.tables.end(); ++it)
   {
      for (constraint& c : it.value()) { mapByName.insert(joined(it.key(), c.name), &c); }
   }

   int iName = -1, iTable = -1, iColumn = -1, iPosition = -1, iUnique = -1, iTargetSchema = -1, iTargetTable = -1, iTargetColumn = -1;
   const auto columns = [&](const odbc_import_fetch& fetch) {
      iName = fetch.indexOf("CONSTRAINT_NAME"), iTable = fetch.indexOf("TABLE_NAME"), iColumn = fetch.indexOf("COLUMN_NAME");
      iPosition = fetch.indexOf("ORDINAL_POSITION"), iUnique = fetch.indexOf("POSITION_IN_UNIQUE_CONSTRAINT");
      iTargetSchema = fetch.indexOf("REFERENCED_TABLE_SCHEMA"), iTargetTable = fetch.indexOf("REFERENCED_TABLE_NAME"), iTargetColumn = fetch.indexOf("REFERENCED_COLUMN_NAME");
      keys.namesTargets = ((iTargetSchema >= 0) && (iTargetTable >= 0) && (iTargetColumn >= 0));
   };
   m_bAvailable = m_bAvailable && run(m_database, sql::k_key_columns, sSchema, [&](const odbc_import_fetch& fetch, long r) {
      constraint* pConstraint = mapByName.value(joined(fetch.text(r, iTable), fetch.text(r, iName)));
      if (! pConstraint) { return; }
      key_column column;
      column.column = fetch.text(r, iColumn);
      column.position = fetch.text(r, iPosition).toInt();
      column.uniquePosition = fetch.text(r, iUnique).toInt();
      column.targetSchema = fetch.text(r, iTargetSchema);
      column.targetTable = fetch.text(r, iTargetTable);
      column.targetColumn = fetch.text(r, iTargetColumn);
      pConstraint->columns.append(column);
   }, columns);
   m_bAvailable = m_bAvailable && (iName >= 0) && (iTable >= 0) && (iColumn >= 0) && (iPosition >= 0);
   if (m_bAvailable && ! keys.namesTargets)
   {
      m_bAvailable = run(m_database, sql::k_referential, sSchema, [&](const odbc_import_fetch& fetch, long r) {
         keys.referencedKeys[fetch.text(r, 0)].insert(joined(fetch.text(r, 1), fetch.text(r, 2)));
      });
   }
   if (! m_bAvailable) { return false; }
   // keys by name, as the engines' readers give them; columns in key order
   for (auto it = keys.tables.begin(); it != keys.tables.end(); ++it)
   {
      std::sort(it.value().begin(), it.value().end(), [](const constraint& a, const constraint& b) { return (a.name < b.name); });
      for (constraint& c : it.value())
      {
         std::stable_sort(c.columns.begin(), c.columns.end(), [](const key_column& a, const key_column& b) { return (a.position < b.position); });
      }
   }
   m_mapSchemas.insert(sSchema, keys);
   return true;
}

odbc_import_standard_keys::table_keys odbc_import_standard_keys::keysOf(const QString& sSchema, const QString& sTable)
{
   table_keys result;
   const auto itSchema = m_mapSchemas.constFind(sSchema);
   if (itSchema == m_mapSchemas.constEnd()) { return result; }
   const auto itTable = itSchema->tables.constFind(sTable);
   if (itTable == itSchema->tables.constEnd()) { return result; }
   // copied: resolving a target may read another schema into the map
   const QVector<constraint> lstConstraints = itTable.value();
   const bool bNamesTargets = itSchema->namesTargets;

   int iPrimaryKeys = 0, iUniqueKeys = 0;
   for (const constraint& c : lstConstraints)
   {
      if (c.type == k_sUnique) { ++iUniqueKeys; }
      if (c.type != k_sPrimaryKey) { continue; }
      ++iPrimaryKeys;
      for (const key_column& column : c.columns) { result.primaryKey.append(column.column); }
   }
   // no primary key and a unique one: the driver may call that one the primary key
   result.primaryKeyKnown = ((iPrimaryKeys == 1) ? ! result.primaryKey.isEmpty() : ((iPrimaryKeys == 0) && (iUniqueKeys == 0)));
   if (! result.primaryKeyKnown) { result.primaryKey.clear(); }

   result.foreignKeysKnown = true;
   for (const constraint& c : lstConstraints)
   {
      if (c.type != k_sForeignKey) { continue; }
      QVector<foreign_key_column> lstColumns;
      for (const key_column& column : c.columns) { lstColumns.append({ column.column, column.targetSchema, column.targetTable, column.targetColumn, c.name }); }
      const bool bNamed = std::all_of(lstColumns.cbegin(), lstColumns.cend(), [](const foreign_key_column& f) { return ! f.targetTable.isEmpty() && ! f.targetColumn.isEmpty(); });
      if (lstColumns.isEmpty() || ! (bNamesTargets ? bNamed : resolveTargets(sSchema, c, lstColumns)))
      {
         result.foreignKeysKnown = false;
         result.foreignKeys.clear();
         break;
      }
      result.foreignKeys += lstColumns;
   }
   return result;
}

bool odbc_import_standard_keys::resolveTargets(const QString& sSchema, const constraint& foreignKey, QVector<foreign_key_column>& lstColumns)
{
   // keys of one name in two tables of the schema (PostgreSQL) are told apart only when they refer to the same key
   const QSet<QString> setReferenced = m_mapSchemas.value(sSchema).referencedKeys.value(foreignKey.name);
   if (setReferenced.count() != 1) { return false; }
   const QString sTargetSchema = setReferenced.constBegin()->section(QChar(0x1f), 0, 0);
   const QString sUniqueName = setReferenced.constBegin()->section(QChar(0x1f), 1);
   if (! readSchema(sTargetSchema)) { return false; }
   const schema_keys& target = m_mapSchemas[sTargetSchema];
   const QString sTargetTable = target.uniqueTables.value(sUniqueName);
   if (sTargetTable.isEmpty()) { return false; }
   const QVector<constraint> lstTargetConstraints = target.tables.value(sTargetTable);
   const auto itUnique = std::find_if(lstTargetConstraints.cbegin(), lstTargetConstraints.cend(),
                                      [&](const constraint& c) { return (c.name == sUniqueName) && ((c.type == k_sPrimaryKey) || (c.type == k_sUnique)); });
   if ((itUnique == lstTargetConstraints.cend()) || (itUnique->columns.count() != lstColumns.count())) { return false; }
   for (int i = 0; i < lstColumns.count(); ++i)
   {
      const int iPosition = foreignKey.columns.at(i).uniquePosition;
      if ((iPosition < 1) || (iPosition > itUnique->columns.count())) { return false; }
      lstColumns[i].targetSchema = sTargetSchema;
      lstColumns[i].targetTable = sTargetTable;
      lstColumns[i].targetColumn = itUnique->columns.at(iPosition - 1).column;
   }
   return true;
}

} // namespace plugin
