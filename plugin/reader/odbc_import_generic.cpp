#include "odbc_import_generic.h"

#include <QSqlDriver>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlRecord>

#include <QMap>
#include <QSet>

#include <sql.h>
#include <sqlext.h>

#include "odbc_import_driver_manager.h"
#include "odbc_import_engine.h"
#include "odbc_import_step.h"

namespace plugin {

using namespace odbc_import_result_columns;

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

namespace {

/** Tables a driver lists as its users' that belong to the database itself, by the engine that has them. */
bool isSystemTable(const QString& sDbms, const QString& sName)
{
   const odbc_import_engine::row* pEngine = odbc_import_engine::fromDbmsName(sDbms);
   if (pEngine && (pEngine->engine == odbc_import_engine::engine_sqlite)) { return sName.startsWith("sqlite_", Qt::CaseInsensitive); }
   // Access's own tables (MSysObjects...): some drivers list them as tables
   const bool bAccess = (sDbms.contains("access", Qt::CaseInsensitive) || sDbms.contains("mdbtools", Qt::CaseInsensitive));
   return (bAccess && sName.startsWith("MSys", Qt::CaseInsensitive));
}

/** The schema whose tables the engine's own reader puts in the empty namespace. */
QString defaultSchema(const QString& sDbms)
{
   const odbc_import_engine::row* pEngine = odbc_import_engine::fromDbmsName(sDbms);
   switch (pEngine ? pEngine->engine : odbc_import_engine::engine_generic)
   {
      case odbc_import_engine::engine_postgresql: return "public";
      case odbc_import_engine::engine_mssqlserver: return "dbo";
      case odbc_import_engine::engine_sqlite: return "main";
      default: return QString();
   }
}

/** The Qt value type of an ODBC SQL type, as Qt's ODBC driver gives it to a field. */
QVariant valueType(int iSqlType)
{
   switch (iSqlType)
   {
      case SQL_DECIMAL: case SQL_NUMERIC: case SQL_REAL: case SQL_FLOAT: case SQL_DOUBLE: return QVariant(int(QVariant::Double));
      case SQL_SMALLINT: case SQL_INTEGER: case SQL_BIT: case SQL_TINYINT: return QVariant(int(QVariant::Int));
      case SQL_BIGINT: return QVariant(int(QVariant::LongLong));
      case SQL_DATE: case SQL_TYPE_DATE: return QVariant(int(QVariant::Date));
      case SQL_TIME: case SQL_TYPE_TIME: return QVariant(int(QVariant::Time));
      case SQL_TIMESTAMP: case SQL_TYPE_TIMESTAMP: return QVariant(int(QVariant::DateTime));
      case SQL_CHAR: case SQL_VARCHAR: case SQL_LONGVARCHAR: case SQL_WCHAR: case SQL_WVARCHAR: case SQL_WLONGVARCHAR: case SQL_GUID: return QVariant(int(QVariant::String));
      default: return QVariant(int(QVariant::ByteArray));
   }
}

/** The key of a table's rows among those of one SQLColumns call for its whole schema. */
QString columnsKey(const QString& sCatalog, const QString& sSchema, const QString& sTable) { return sCatalog + QChar(0x1f) + sSchema + QChar(0x1f) + sTable; }

} // namespace

vx::VxBool odbc_import_generic::startProcess()
{
   m_pListOfTables = std::make_shared<model::type_lst_table>();
   m_lstWarnings.clear();
   if (! m_pDatabase) { return vx::VxBool(false, 0, "No database defined"); }
   const odbc_import_catalog_calls calls(*m_pDatabase);
   if (calls.isOpen() && calls.has(odbc_import_catalog_calls::function_tables) && readCatalogue(calls)) { return vx::VxBool(true); }
   const QStringList lstTables = listTables(false);
   const QStringList lstViews = listTables(true);
   const int iTotal = (lstTables.count() + lstViews.count());
   odbc_import_keys tableKeys;
   updateModel(lstTables, iTotal, false, tableKeys);
   updateModel(lstViews, iTotal, true, tableKeys);
   return vx::VxBool(true);
}

QString odbc_import_generic::namespaceOf(const QString& sCatalog, const QString& sSchema) const
{
   QStringList lst;
   // a driver without catalogues may still name one (the database): only a catalogue other than the connection's counts
   if (! m_sCurrentCatalog.isEmpty() && ! sCatalog.isEmpty() && (sCatalog != m_sCurrentCatalog)) { lst.append(sCatalog); }
   if (! sSchema.isEmpty() && (sSchema != m_sDefaultSchema)) { lst.append(sSchema); }
   return lst.join('.');
}

bool odbc_import_generic::readCatalogue(const odbc_import_catalog_calls& calls)
{
   m_sCurrentCatalog = calls.getCurrentCatalog();
   m_sDefaultSchema = defaultSchema(calls.getDbmsName());
   QVector<type_row> lstRows;
   const QString sError = calls.tables(m_sCurrentCatalog.isEmpty() ? QString() : m_sCurrentCatalog, lstRows);
   if (! sError.isNull()) { m_lstWarnings.append("The driver cannot list the tables (SQLTables) : " + sError + "\nThe names Qt's driver reports are read"); return false; }

   // the tables, then the views (a name listed as both is read as a table); not what the database keeps for itself
   QVector<type_row> lstNames;
   for (int iViews = 0; iViews < 2; ++iViews)
   {
      for (const type_row& row : lstRows)
      {
         const QString sType = row.value(tables_type);
         if ((sType.compare(iViews ? "VIEW" : "TABLE", Qt::CaseInsensitive) != 0) || isSystemTable(calls.getDbmsName(), row.value(tables_name))) { continue; }
         if (! m_sCurrentCatalog.isEmpty() && ! row.value(tables_catalog).isEmpty() && (row.value(tables_catalog) != m_sCurrentCatalog)) { continue; }
         lstNames.append(row);
      }
   }
   if (! calls.has(odbc_import_catalog_calls::function_primary_keys)) { m_lstWarnings.append("The driver cannot list primary keys (SQLPrimaryKeys) : no table has one"); }
   if (! calls.has(odbc_import_catalog_calls::function_foreign_keys)) { m_lstWarnings.append("The driver cannot list foreign keys (SQLForeignKeys) : no table has one"); }

   odbc_import_keys tableKeys;
   std::vector<table_entry> lstEntries(lstNames.count());
   int iToRead = 0;
   for (int i = 0; i < lstNames.count(); ++i)
   {
      const type_row& names = lstNames.at(i);
      table_entry& entry = lstEntries[i];
      entry.row.name = names.value(tables_name);
      entry.row.rawNamespace = names.value(tables_schema);
      entry.row.nameSpace = namespaceOf(names.value(tables_catalog), entry.row.rawNamespace);
      entry.row.isView = (names.value(tables_type).compare("VIEW", Qt::CaseInsensitive) == 0);
      // MariaDB's remark of a view is the text VIEW, no comment of its own
      entry.row.description = ((entry.row.isView && (names.value(tables_remarks) == QLatin1String("VIEW"))) ? QString() : names.value(tables_remarks));
      entry.sCatalog = names.value(tables_catalog);
      const QString sUnusable = odbc_import_table_builder::unusableName(entry.row.name);
      if (! sUnusable.isEmpty()) { entry.sWarning = odbc_import_table_builder::leftOut(entry.row) + sUnusable; continue; }
      bool bNew = false;
      entry.lTableKey = tableKeys.take(entry.row.nameSpace + "." + entry.row.name, odbc_import_keys::tableIdentity(entry.row.nameSpace, entry.row.name), bNew);
      // the key taken all the same: a filter changes no table's key
      entry.bRead = (bNew && (! m_fnTableFilter || m_fnTableFilter(entry.row.nameSpace, entry.row.name)));
      if (entry.bRead) { ++iToRead; }
   }

   // each table's progress told once: the first before anything of a table is read
   const int iCount = static_cast<int>(lstEntries.size());
   int iShown = -1;
   const auto progress = [&](int i) { if (i > iShown) { iShown = i; emitProgress(i, iCount); } };
   if (iCount > 0) { progress(0); }
   // a schema's columns in one call where most of its tables are read (a pattern that keeps a few tables asks for those alone)
   const bool bWhole = ((iToRead > 1) && (2 * iToRead >= iCount));
   const QHash<QString, QVector<type_row>> mapColumns = (bWhole ? readAllColumns(calls, lstEntries) : QHash<QString, QVector<type_row>>());
   const std::unique_ptr<odbc_import_standard_keys> pStandardKeys = (bWhole ? readStandardKeys(calls, lstEntries) : nullptr);
   for (int i = 0; i < iCount; ++i)
   {
      progress(i);
      const table_entry& entry = lstEntries.at(i);
      if (! entry.sWarning.isEmpty()) { m_lstWarnings.append(entry.sWarning); }
      if (! entry.bRead) { continue; }
      const auto it = mapColumns.constFind(columnsKey(entry.sCatalog, entry.row.rawNamespace, entry.row.name));
      odbc_import_table_builder::table_content content;
      // a table the schema-wide call did not give (gone, or a driver that takes no pattern) is asked alone
      if (! readContent(calls, pStandardKeys.get(), entry, ((it != mapColumns.constEnd()) ? &it.value() : nullptr), content)) { continue; }
      const std::shared_ptr<model::app_table> pTable = odbc_import_table_builder::build(entry.row, entry.lTableKey, content, false, m_lstWarnings);
      if (pTable) { m_pListOfTables->insert(entry.lTableKey, pTable); }
   }
   return true;
}

QHash<QString, QVector<odbc_import_generic::type_row>> odbc_import_generic::readAllColumns(const odbc_import_catalog_calls& calls, const std::vector<table_entry>& lstEntries) const
{
   QHash<QString, QVector<type_row>> mapColumns;
   QSet<QString> setAsked;
   QVector<type_row> lstRows;
   for (const table_entry& entry : lstEntries)
   {
      const QString& sSchema = entry.row.rawNamespace;
      const QString sAsked = columnsKey(entry.sCatalog, sSchema, QString());
      if (! entry.bRead || setAsked.contains(sAsked)) { continue; }
      setAsked.insert(sAsked);
      odbc_import_step::begin("the columns of schema '" + entry.viewSchema() + "'");
      if (! calls.columns(entry.sCatalog, sSchema, QString(), lstRows).isNull()) { continue; }
      for (const type_row& r : lstRows)
      {
         // a driver that ignores the schema restriction: the rows of another schema are not this one's
         if (! sSchema.isEmpty() && ! r.value(columns_schema).isEmpty() && (r.value(columns_schema) != sSchema)) { continue; }
         mapColumns[columnsKey(entry.sCatalog, sSchema, r.value(columns_table))].append(r);
      }
   }
   return mapColumns;
}

std::unique_ptr<odbc_import_standard_keys> odbc_import_generic::readStandardKeys(const odbc_import_catalog_calls& calls, const std::vector<table_entry>& lstEntries) const
{
   // a driver without the key functions (MDBTools) is sent no query of another engine's views: it may not survive one
   if (! calls.has(odbc_import_catalog_calls::function_primary_keys) && ! calls.has(odbc_import_catalog_calls::function_foreign_keys)) { return nullptr; }
   auto pKeys = std::make_unique<odbc_import_standard_keys>(*m_pDatabase);
   QSet<QString> setAsked;
   for (const table_entry& entry : lstEntries)
   {
      if (! entry.bRead || entry.viewSchema().isEmpty() || setAsked.contains(entry.viewSchema())) { continue; }
      setAsked.insert(entry.viewSchema());
      odbc_import_step::begin("the keys of schema '" + entry.viewSchema() + "'");
      // no such views: every table is asked alone
      if (! pKeys->readSchema(entry.viewSchema())) { return nullptr; }
   }
   return pKeys;
}

void odbc_import_generic::readKeys(const odbc_import_catalog_calls& calls, odbc_import_standard_keys* pStandard, const table_entry& entry,
                                   odbc_import_table_builder::table_content& content)
{
   const odbc_import_table_builder::table_row& row = entry.row;
   const bool bPrimaryKeys = calls.has(odbc_import_catalog_calls::function_primary_keys), bForeignKeys = calls.has(odbc_import_catalog_calls::function_foreign_keys);
   // a view has no keys: two calls less
   if (row.isView || (! bPrimaryKeys && ! bForeignKeys)) { return; }
   const odbc_import_standard_keys::table_keys standard = (pStandard ? pStandard->keysOf(entry.viewSchema(), row.name) : odbc_import_standard_keys::table_keys());
   if (bPrimaryKeys && standard.primaryKeyKnown) { content.primaryKey = standard.primaryKey; }
   if (bForeignKeys && standard.foreignKeysKnown)
   {
      for (const odbc_import_standard_keys::foreign_key_column& key : standard.foreignKeys)
      {
         odbc_import_table_builder::relation_row relation;
         relation.column = key.column;
         relation.targetTable = key.targetTable;
         // the views name a driver's catalogue (MariaDB's database) where it has no schemas
         relation.targetNamespace = (row.rawNamespace.isEmpty() ? namespaceOf(key.targetSchema, QString()) : namespaceOf(entry.sCatalog, key.targetSchema));
         relation.targetColumn = key.targetColumn;
         relation.constraintName = key.constraintName;
         relation.keyText = key.constraintName;
         content.relations.append(relation);
      }
   }
   const bool bAskPrimaryKey = (bPrimaryKeys && ! standard.primaryKeyKnown), bAskForeignKeys = (bForeignKeys && ! standard.foreignKeysKnown);
   if (! bAskPrimaryKey && ! bAskForeignKeys) { return; }

   const QString& sSchema = row.rawNamespace;
   const QString sTable = odbc_import_table_builder::qualified(row.nameSpace, row.name);
   odbc_import_step::begin("the keys of table '" + sTable + "'");
   const auto failed = [&](odbc_import_catalog_calls::enum_function eFunction, const QString& sError) {
      m_lstWarnings.append("Table '" + sTable + "' : the driver failed " + odbc_import_catalog_calls::functionName(eFunction) + ", it is read without "
                           + ((eFunction == odbc_import_catalog_calls::function_primary_keys) ? "primary key" : "foreign keys") + " :\n" + sError);
   };
   // a driver may answer for other tables too (a pattern it does not escape): the rows of this one are kept
   const auto isOwn = [&](const type_row& r, int iTable) { return (r.value(iTable) == row.name); };
   QVector<type_row> lstRows;
   if (bAskPrimaryKey)
   {
      const QString sError = calls.primaryKeys(entry.sCatalog, sSchema, row.name, lstRows);
      if (! sError.isNull()) { failed(odbc_import_catalog_calls::function_primary_keys, sError); }
      QMap<int, QString> mapKey;   // key order
      for (const auto& r : lstRows) { if (isOwn(r, primary_keys_table)) { mapKey.insert(r.value(primary_keys_sequence).toInt(), r.value(primary_keys_column)); } }
      content.primaryKey = mapKey.values();
   }
   if (bAskForeignKeys)
   {
      const QString sError = calls.foreignKeys(entry.sCatalog, sSchema, row.name, lstRows);
      if (! sError.isNull()) { failed(odbc_import_catalog_calls::function_foreign_keys, sError); }
      int iUnnamed = 0;
      for (const auto& r : lstRows)
      {
         if (! isOwn(r, foreign_keys_table)) { continue; }
         odbc_import_table_builder::relation_row relation;
         relation.column = r.value(foreign_keys_column);
         relation.targetTable = r.value(foreign_keys_target_table);
         relation.targetNamespace = namespaceOf(r.value(foreign_keys_target_catalog), r.value(foreign_keys_target_schema));
         relation.targetColumn = r.value(foreign_keys_target_column);
         relation.constraintName = r.value(foreign_keys_name);
         relation.hasConstraintName = ! relation.constraintName.isEmpty();
         // a key without a name (SQLite) starts again at its first column
         if (! relation.hasConstraintName && (r.value(foreign_keys_sequence).toInt() <= 1)) { ++iUnnamed; }
         relation.keyText = (relation.hasConstraintName ? relation.constraintName : QString::number(iUnnamed));
         content.relations.append(relation);
      }
   }
}

bool odbc_import_generic::readContent(const odbc_import_catalog_calls& calls, odbc_import_standard_keys* pStandard, const table_entry& entry,
                                      const QVector<type_row>* pColumns, odbc_import_table_builder::table_content& content)
{
   const odbc_import_table_builder::table_row& row = entry.row;
   const QString& sSchema = row.rawNamespace;
   readKeys(calls, pStandard, entry, content);
   QVector<type_row> lstRows;
   if (! pColumns || pColumns->isEmpty())
   {
      odbc_import_step::begin("the columns of table '" + odbc_import_table_builder::qualified(row.nameSpace, row.name) + "'");
      const QString sError = calls.columns(entry.sCatalog, sSchema, row.name, lstRows);
      if (! sError.isNull()) { m_lstWarnings.append(odbc_import_table_builder::leftOut(row) + "the driver failed SQLColumns :\n" + sError); return false; }
      pColumns = &lstRows;
   }
   for (const auto& r : *pColumns)
   {
      // a driver may answer for other tables too (a pattern it does not escape): the rows of this one are kept
      if ((r.value(columns_table) != row.name) || (! sSchema.isEmpty() && (r.value(columns_schema) != sSchema))) { continue; }
      odbc_import_table_builder::column_row column;
      column.name = r.value(columns_name);
      column.sqlType = r.value(columns_type_name);
      column.valueType = valueType(r.value(columns_data_type).toInt());
      column.description = r.value(columns_remarks);
      // the bare word NULL is ODBC's text for a NULL default: no default
      column.defaultValue = r.value(columns_default);
      if (column.defaultValue == QLatin1String("NULL")) { column.defaultValue.clear(); }
      const int iNullable = (r.value(columns_nullable).isNull() ? SQL_NULLABLE_UNKNOWN : r.value(columns_nullable).toInt());
      column.isPrimaryKey = content.primaryKey.contains(column.name);
      // a key column is never NULL, whatever the driver says: MariaDB's says SQL_NULLABLE of a NOT NULL column that takes
      // NULL for its automatic value (AUTO_INCREMENT, TIMESTAMP)
      column.notNull = ((iNullable == SQL_NO_NULLS) || (r.value(columns_is_nullable).compare("NO", Qt::CaseInsensitive) == 0) || column.isPrimaryKey);
      // what Qt's driver made of the same row, kept for the host's importer and the projects that stored it
      column.metaData = { { "COLUMN_IS_PRIMARY_KEY", QVariant(column.isPrimaryKey) }, { "COLUMN_IS_AUTO_VALUE", QVariant(false) }, { "COLUMN_IS_GENERATED", QVariant(true) },
                          { "COLUMN_IS_READ_ONLY", QVariant(false) }, { "COLUMN_REQUIRED_STATUS", QVariant((iNullable == SQL_NO_NULLS) ? 1 : ((iNullable == SQL_NULLABLE) ? 0 : -1)) },
                          { "COLUMN_PRECISION", QVariant(r.value(columns_decimal_digits).toInt()) }, { "COLUMN_LENGTH", QVariant(r.value(columns_size).toInt()) } };
      content.columns.append(column);
   }
   return true;
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
      const long lTableKey = tableKeys.take("." + sName, odbc_import_keys::tableIdentity(QString(), sName), bNew);
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
