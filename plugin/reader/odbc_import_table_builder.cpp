#include "odbc_import_table_builder.h"

#include <QMultiHash>

#include "odbc_import_keys.h"

namespace plugin {

namespace {

/** columnKeys and relationKeys: the keys given so far in the table's column lists and list of relations. */
void addColumn(const odbc_import_table_builder::column_row& row, const std::shared_ptr<model::app_table>& pTable, const QVector<odbc_import_table_builder::relation_row>& lstRelations,
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
   pColumn->setType(row.valueType);
   pColumn->setDefaultValue(row.defaultValue);
   pColumn->setNotNull(row.notNull);
   pColumn->setTable(pTable);
   for (const auto& meta : row.metaData) { pColumn->setMetaData(meta.first, meta.second); }
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
      const odbc_import_table_builder::relation_row& relation = lstRelations.at(iRow);
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

} // namespace

QString odbc_import_table_builder::unusableName(const QString& sName)
{
   if (sName.contains(QLatin1String("::")) || sName.startsWith(QLatin1Char(':')))
   { return "its name holds \"::\" or begins with \":\", which the project reads as a namespace separator"; }
   return QString();
}

std::shared_ptr<model::app_table> odbc_import_table_builder::build(const table_row& row, long lTableKey, const table_content& content, bool bEmptyTableIsReal, QStringList& lstWarnings)
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

   // a key into a table that is left out for its name would land on the table that name reads as
   QMultiHash<QString, int> hashRelations;
   QStringList lstRefused;
   for (int r = 0; r < content.relations.count(); ++r)
   {
      const relation_row& relation = content.relations.at(r);
      const QString sWhy = unusableName(relation.targetTable);
      if (sWhy.isEmpty()) { hashRelations.insert(relation.column, r); continue; }
      if (lstRefused.contains(relation.keyText)) { continue; }
      lstRefused.append(relation.keyText);
      lstWarnings.append("Foreign key '" + relation.constraintName + "' of table '" + qualified(row.nameSpace, row.name) + "' is left out : its target table '"
                         + qualified(relation.targetNamespace, relation.targetTable) + "' is left out, " + sWhy);
   }

   odbc_import_keys columnKeys, relationKeys;
   long lColumns = 0;
   for (const column_row& column : content.columns)
   {
      if (column.isHidden) { continue; }
      addColumn(column, pTable, content.relations, hashRelations, columnKeys, relationKeys);
      ++lColumns;
   }
   if ((lColumns == 0) && (row.isView || ! bEmptyTableIsReal))
   {
      lstWarnings.append(leftOut(row) + "the database describes no column of it" + (row.isView ? "" : " (dropped while the catalogue was read)"));
      return nullptr;
   }
   return pTable;
}

} // namespace plugin
