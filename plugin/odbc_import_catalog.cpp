#include "odbc_import_catalog.h"

#include "odbc_import_keys.h"
#include "odbc_import_statements.h"

namespace plugin {

vx::VxSqlQuery odbc_import_catalog::boundQuery(const char* sql, const table_row& table)
{
   vx::VxSqlQuery query(sql);
   query.bind(":table_name", QVariant(table.name), QSql::In);
   query.bind(":table_namespace", QVariant(table.rawNamespace), QSql::In);
   return query;
}

vx::VxBool odbc_import_catalog::run(odbc_import_statements& statements, vx::VxSqlQuery& query, const QString& sFailure)
{
   const QSqlError error = statements.run(query);
   return (error.isValid() ? vx::VxBool(false, 0, sFailure + error.text()) : vx::VxBool(true));
}

vx::VxBool odbc_import_catalog::startProcess()
{
   m_pListOfTables = std::make_shared<model::type_lst_table>();
   m_lstWarnings.clear();
   if (! m_pDatabase) { return vx::VxBool(false, 0, "No database defined"); }

   const vx::VxBool preamble = readPreamble();
   if (! preamble.getValue()) { return preamble; }

   const vx::VxBool begun = beginRead();
   if (! begun.getValue()) { return begun; }
   const vx::VxBool read = readTables();
   endRead(read.getValue());
   return read;
}

vx::VxBool odbc_import_catalog::readTables()
{
   odbc_import_statements statements(m_pDatabase);
   vx::VxSqlQuery tables = tablesQuery();
   const vx::VxBool fetched = run(statements, tables, "An error occurred fetching all tables :\n");
   if (! fetched.getValue()) { return fetched; }
   vx::VxSqlQuery views = viewsQuery();
   if (hasViewsQuery())
   {
      const vx::VxBool fetchedViews = run(statements, views, "An error occurred fetching all views :\n");
      if (! fetchedViews.getValue()) { return fetchedViews; }
   }
   // an account that sees views only still has something to import
   const long lTables = tables.getSqlResultRowCount();
   const long lRows = lTables + views.getSqlResultRowCount();
   if (lRows <= 0) { return vx::VxBool(false, 0, "No table found, please check your database type or select the generic import"); }

   odbc_import_keys tableKeys;
   for (long i = 0; i < lRows; ++i)
   {
      emitProgress(static_cast<qint32>(i), static_cast<qint32>(lRows));
      table_row row;
      if (! ((i < lTables) ? readTableRow(tables, i, row) : readViewRow(views, i - lTables, row))) { continue; }
      bool bNew = false;
      const long lTableKey = tableKeys.take(row.nameSpace + "." + row.name, odbc_import_keys::tableIdentity(row.nameSpace, row.name), bNew);
      if (! bNew) { continue; }
      const vx::VxBool read = readTable(statements, row, lTableKey);
      if (! read.getValue()) { return read; }
   }
   return vx::VxBool(true);
}

vx::VxBool odbc_import_catalog::readTable(odbc_import_statements& statements, const table_row& row, long lTableKey)
{
   auto pTable = std::make_shared<model::app_table>();
   auto pPrimaryKey = std::make_shared<model::app_primary_key>();
   auto pColumns = std::make_shared<model::type_lst_column>();
   auto pRelations = std::make_shared<model::type_lst_foreign_key>();
   pTable->setName(row.name);
   pTable->setDescription(row.description);
   pTable->setNamespace(row.nameSpace);
   pTable->setIsView(row.isView);
   pTable->setMetaData("TABLE_HASH_ID", QVariant(static_cast<qlonglong>(lTableKey)));
   pPrimaryKey->setTable(pTable);
   // the columns are attached to the table before they are read, so that they can name it
   pTable->setPrimaryKey(pPrimaryKey);
   pTable->setListOfColumns(pColumns);
   pTable->setListOfRelations(pRelations);

   QStringList lstPrimaryKey;
   if (hasPrimaryKeyQuery())
   {
      vx::VxSqlQuery primaryKey = primaryKeyQuery(row);
      const vx::VxBool read = run(statements, primaryKey, "An error occurred getting primary key for table '" + row.name + "' :\n");
      if (! read.getValue()) { return read; }
      for (long r = 0; r < primaryKey.getSqlResultRowCount(); ++r) { lstPrimaryKey.append(readPrimaryKeyColumn(primaryKey, r)); }
   }

   vx::VxSqlQuery relations = relationsQuery(row);
   const vx::VxBool readRelations = run(statements, relations, "An error occurred getting all relationships for table '" + row.name + "' :\n");
   if (! readRelations.getValue()) { return readRelations; }
   QVector<relation_row> lstRelations;
   QMultiHash<QString, int> hashRelations;
   for (long r = 0; r < relations.getSqlResultRowCount(); ++r)
   {
      lstRelations.append(readRelationRow(relations, r));
      hashRelations.insert(lstRelations.last().column, lstRelations.count() - 1);
   }

   vx::VxSqlQuery columns = columnsQuery(row);
   const QSqlError columnsError = statements.run(columns);
   // a view that reads a dropped table, or calls a function its own application registers, cannot be
   // described (SQLite fails, MariaDB lists no column): it is left out, the rest of the catalogue is read
   const QString sView = "View '" + (row.nameSpace.isEmpty() ? row.name : (row.nameSpace + "." + row.name)) + "' is left out : ";
   if (columnsError.isValid() && row.isView) { m_lstWarnings.append(sView + "the database cannot describe it :\n" + columnsError.text()); return vx::VxBool(true); }
   if (columnsError.isValid()) { return vx::VxBool(false, 0, "An error occurred getting all columns for table '" + row.name + "' :\n" + columnsError.text()); }
   odbc_import_keys columnKeys, relationKeys;
   long lColumns = 0;
   for (long r = 0; r < columns.getSqlResultRowCount(); ++r)
   {
      const column_row column = readColumnRow(columns, r, lstPrimaryKey);
      if (column.isHidden) { continue; }
      addColumn(column, pTable, lstRelations, hashRelations, columnKeys, relationKeys);
      ++lColumns;
   }
   if (row.isView && (lColumns == 0)) { m_lstWarnings.append(sView + "the database describes no column of it"); return vx::VxBool(true); }

   m_pListOfTables->insert(lTableKey, pTable);
   return vx::VxBool(true);
}

void odbc_import_catalog::addColumn(const column_row& row, const std::shared_ptr<model::app_table>& pTable, const QVector<relation_row>& lstRelations,
                                    const QMultiHash<QString, int>& hashRelations, odbc_import_keys& columnKeys, odbc_import_keys& relationKeys)
{
   bool bNew = false;
   const long lColumnKey = columnKeys.take(row.name, bNew);
   if (! bNew) { return; }
   const std::shared_ptr<model::type_lst_column> pColumns = pTable->getListOfColumns();

   auto pColumn = std::make_shared<model::app_column>();
   pColumn->setName(row.name);
   pColumn->setDescription(row.description);
   pColumn->setSqlType(row.sqlType);
   pColumn->setType(getColumnType(row.sqlType));
   pColumn->setDefaultValue(row.defaultValue);
   pColumn->setNotNull(row.notNull);
   pColumn->setTable(pTable);
   const std::shared_ptr<model::app_primary_key> pPrimaryKey = pTable->getPrimaryKey();
   if (row.isPrimaryKey)
   {
      pColumn->setPrimaryKey(pPrimaryKey);
      pPrimaryKey->getListColumns()->insert(lColumnKey, pColumn);
   }

   // newest first: the last relationship row of the column comes first
   const QList<int> lstRows = hashRelations.values(row.name);
   if (lstRows.isEmpty())
   {
      if (! row.isPrimaryKey) { pColumns->insert(lColumnKey, pColumn); }
      return;
   }

   const std::shared_ptr<model::type_lst_foreign_key> pRelations = pTable->getListOfRelations();
   for (int iRow : lstRows)
   {
      // a column in several foreign keys is cloned once per key, each clone pointing at its own target
      const std::shared_ptr<model::app_column> pTaken = ((lstRows.count() == 1) ? pColumn : pColumn->clone());
      const relation_row& relation = lstRelations.at(iRow);
      const long lForeignKey = relationKeys.take(relation.keyText);
      std::shared_ptr<model::app_foreign_key> pForeignKey = pRelations->getByKey(lForeignKey);
      if (! pForeignKey) { pForeignKey = std::make_shared<model::app_foreign_key>(); }
      if (relation.hasConstraintName) { pForeignKey->setConstraintName(relation.constraintName); }
      pForeignKey->setTargetTable(relation.targetTable);
      pForeignKey->setTargetTableNamespace(relation.targetNamespace);
      pForeignKey->setTable(pTable);
      pTaken->setTargetColumn(relation.targetColumn);
      pTaken->setForeignKey(pForeignKey);
      pForeignKey->getListColumns()->insert(lColumnKey, pTaken);
      pRelations->insert(lForeignKey, pForeignKey);
   }
}

} // namespace plugin
