#include "odbc_import_generic.h"

#include <QSqlDriver>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlRecord>

#include "odbc_import_driver_manager.h"

namespace plugin {

QStringList odbc_import_generic::listTables(bool bViews) const
{
   // Qt's ODBC driver names no catalogue when it lists tables: most drivers then list the connection's
   // own database, MariaDB's every database on the server, its system databases included. Where the
   // driver has catalogues, the list is asked for the connection's current one.
   const QString sCatalog = odbc_import_driver_manager::getCurrentCatalog(*m_pDatabase);
   QStringList lstNames;
   if (! sCatalog.isEmpty() && odbc_import_driver_manager::listCatalog(*m_pDatabase, sCatalog, bViews, lstNames)) { return lstNames; }
   return m_pDatabase->tables(bViews ? QSql::Views : QSql::Tables);
}

vx::VxBool odbc_import_generic::startProcess()
{
   m_pListOfTables = std::make_shared<model::type_lst_table>();
   m_lstWarnings.clear();
   if (! m_pDatabase) { return vx::VxBool(false, 0, "No database defined"); }
   const QStringList lstTables = listTables(false);
   const QStringList lstViews = listTables(true);
   const int iTotal = (lstTables.count() + lstViews.count());
   odbc_import_keys tableKeys;
   updateModel(lstTables, iTotal, false, tableKeys);
   updateModel(lstViews, iTotal, true, tableKeys);
   return vx::VxBool(true);
}

void odbc_import_generic::updateModel(const QStringList& lstNames, int iTotal, bool bIsView, odbc_import_keys& tableKeys)
{
   // views come after the tables: their progress continues where the tables stopped
   const int iFirst = (bIsView ? (iTotal - lstNames.count()) : 0);
   for (int i = 0; i < lstNames.count(); ++i)
   {
      Q_EMIT onProcessState((iTotal == 0) ? 100 : (((iFirst + i + 1) * 100) / iTotal));
      const QString sName = lstNames.at(i);
      bool bNew = false;
      const long lTableKey = tableKeys.take(sName, bNew);
      if (! bNew) { continue; }
      // quoted, the name is asked as it is: unquoted, Qt folds it to the driver's case ("Aa" becomes "aa" on PostgreSQL)
      const QString sQuoted = m_pDatabase->driver()->escapeIdentifier(sName, QSqlDriver::TableName);
      // the driver gives no field of a view it cannot describe (one that reads a dropped table)
      const QSqlRecord record = m_pDatabase->record(sQuoted);
      if (bIsView && record.isEmpty()) { m_lstWarnings.append("View '" + sName + "' is left out : the database describes no column of it"); continue; }

      auto pColumns = std::make_shared<model::type_lst_column>();
      auto pTable = std::make_shared<model::app_table>();
      pTable->setMetaData("TABLE_HASH_ID", QVariant(static_cast<qlonglong>(lTableKey)));
      pTable->setIsView(bIsView);
      pTable->setName(sName);

      // the driver names only the first field of the primary index reliably
      const QString sPrimaryKey = m_pDatabase->primaryIndex(sQuoted).fieldName(0);
      odbc_import_keys columnKeys;
      for (int f = 0; f < record.count(); ++f)
      {
         const QSqlField field = record.field(f);
         if (field.name().isEmpty()) { continue; }
         const long lColumnKey = columnKeys.take(field.name(), bNew);
         if (! bNew) { continue; }
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
