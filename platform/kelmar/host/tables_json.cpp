#include "tables_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kelmar {

namespace {

QJsonObject metadataToJson(const model::persistable& object)
{
   QJsonObject json;
   const QHash<QString, QVariant> hash = object.getAllMetaData();
   for (auto itr = hash.constBegin(); itr != hash.constEnd(); ++itr) { json.insert(itr.key(), QJsonValue::fromVariant(itr.value())); }
   return json;
}

QJsonObject columnToJson(const model::app_column& column, long lKey)
{
   return QJsonObject{ { "key", static_cast<qint64>(lKey) }, { "name", column.getName() },
                       { "sqlType", column.getSqlType() }, { "type", column.getType().toInt() }, { "defaultValue", column.getDefaultValue() },
                       { "notNull", column.getNotNull() }, { "description", column.getDescription() }, { "targetColumn", column.getTargetColumn() },
                       { "metadata", metadataToJson(column) } };
}

QJsonArray columnsToJson(const std::shared_ptr<model::type_lst_column>& pColumns)
{
   QJsonArray json;
   for (long i = 0; pColumns && (i < pColumns->count()); ++i) { if (pColumns->getByIndex(i)) { json.append(columnToJson(*pColumns->getByIndex(i), pColumns->getKeyByIndex(i))); } }
   return json;
}

} // namespace

QByteArray tablesToJson(const std::shared_ptr<model::type_lst_table>& pTables)
{
   QJsonArray tables;
   for (long i = 0; pTables && (i < pTables->count()); ++i)
   {
      const std::shared_ptr<model::app_table> pTable = pTables->getByIndex(i);
      if (! pTable) { continue; }
      QJsonArray relations;
      const std::shared_ptr<model::type_lst_foreign_key> pRelations = pTable->getListOfRelations();
      for (long r = 0; pRelations && (r < pRelations->count()); ++r)
      {
         const std::shared_ptr<model::app_foreign_key> pForeignKey = pRelations->getByIndex(r);
         relations.append(QJsonObject{ { "key", static_cast<qint64>(pRelations->getKeyByIndex(r)) }, { "constraintName", pForeignKey->getConstraintName() },
                                       { "targetTable", pForeignKey->getTargetTable() }, { "targetNamespace", pForeignKey->getTargetTableNamespace() },
                                       { "columns", columnsToJson(pForeignKey->getListColumns()) } });
      }
      const std::shared_ptr<model::app_primary_key> pPrimaryKey = pTable->getPrimaryKey();
      const QJsonValue primaryKey = (pPrimaryKey ? QJsonValue(QJsonObject{ { "name", QString() }, { "columns", columnsToJson(pPrimaryKey->getListColumns()) } }) : QJsonValue());
      tables.append(QJsonObject{ { "key", static_cast<qint64>(pTables->getKeyByIndex(i)) }, { "name", pTable->getName() }, { "namespace", pTable->getNamespace() },
                                 { "isView", pTable->getIsView() }, { "description", pTable->getDescription() }, { "metadata", metadataToJson(*pTable) },
                                 { "primaryKey", primaryKey }, { "columns", columnsToJson(pTable->getListOfColumns()) }, { "relations", relations } });
   }
   return QJsonDocument(QJsonObject{ { "tables", tables } }).toJson(QJsonDocument::Indented);
}

} // namespace kelmar
