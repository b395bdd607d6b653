#include "odbc_import_generic.h"

#include <QSqlField>
#include <QSqlIndex>
#include <QSqlRecord>

namespace plugin {

vx::VxBool odbc_import_generic::startProcess()
{
   m_pListOfTables = std::make_shared<model::type_lst_table>();
   if (! m_pDatabase) { return vx::VxBool(false, 0, "No database defined"); }
   const QStringList lstTables = m_pDatabase->tables(QSql::Tables);
   const QStringList lstViews = m_pDatabase->tables(QSql::Views);
   const int iTotal = (lstTables.count() + lstViews.count());
   updateModel(lstTables, iTotal, false);
   updateModel(lstViews, iTotal, true);
   return vx::VxBool(true);
}

void odbc_import_generic::updateModel(const QStringList& lstNames, int iTotal, bool bIsView)
{
   // views come after the tables: their progress continues where the tables stopped
   const int iFirst = (bIsView ? (iTotal - lstNames.count()) : 0);
   for (int i = 0; i < lstNames.count(); ++i)
   {
      Q_EMIT onProcessState((iTotal == 0) ? 100 : (((iFirst + i + 1) * 100) / iTotal));
      const QString sName = lstNames.at(i);
      const long lTableKey = getKey(sName);
      if (m_pListOfTables->exist(lTableKey)) { continue; }

      auto pColumns = std::make_shared<model::type_lst_column>();
      auto pTable = std::make_shared<model::app_table>();
      pTable->setMetaData("TABLE_HASH_ID", QVariant(static_cast<qlonglong>(lTableKey)));
      pTable->setIsView(bIsView);
      pTable->setName(sName);

      // the driver names only the first field of the primary index reliably
      const QString sPrimaryKey = m_pDatabase->primaryIndex(sName).fieldName(0);
      const QSqlRecord record = m_pDatabase->record(sName);
      for (int f = 0; f < record.count(); ++f)
      {
         const QSqlField field = record.field(f);
         if (field.name().isEmpty()) { continue; }
         const long lColumnKey = getKey(field.name());
         if (pColumns->exist(lColumnKey)) { continue; }
         auto pColumn = std::make_shared<model::app_column>();
         pColumn->setName(field.name());
         pColumn->setType(QVariant(static_cast<int>(field.type())));
         pColumn->setMetaData("COLUMN_IS_PRIMARY_KEY", QVariant(field.name() == sPrimaryKey));
         pColumn->setDefaultValue(field.defaultValue().toString());
         pColumn->setMetaData("COLUMN_IS_AUTO_VALUE", QVariant(field.isAutoValue()));
         pColumn->setMetaData("COLUMN_IS_GENERATED", QVariant(field.isGenerated()));
         pColumn->setMetaData("COLUMN_IS_READ_ONLY", QVariant(field.isReadOnly()));
         pColumn->setMetaData("COLUMN_REQUIRED_STATUS", QVariant(static_cast<int>(field.requiredStatus())));
         pColumn->setMetaData("COLUMN_PRECISION", QVariant(field.precision()));
         pColumn->setMetaData("COLUMN_LENGTH", QVariant(field.length()));
         pColumns->insert(lColumnKey, pColumn);
      }
      pTable->setListOfColumns(pColumns);
      m_pListOfTables->insert(lTableKey, pTable);
   }
}

} // namespace plugin
