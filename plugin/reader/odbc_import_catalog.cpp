#include "odbc_import_catalog.h"

#include <vx/VxDao.h>

#include "odbc_import_driver_manager.h"
#include "odbc_import_keys.h"
#include "odbc_import_statements.h"
#include "odbc_import_step.h"

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

QPair<QString, QString> odbc_import_catalog::rowTable(const vx::VxSqlQuery& query, long row) const
{
   return qMakePair(text(query, row, "table_namespace"), text(query, row, "table_name"));
}

vx::VxBool odbc_import_catalog::runOnce(vx::VxSqlQuery& query, const QString& sFailure) const
{
   // sent as it is: a statement prepared first costs more round trips (prepare, describe, deallocate) than
   // it saves when it runs once
   const QSqlError error = vx::dao::call_query_without_prepare(query, m_pDatabase);
   return (error.isValid() ? vx::VxBool(false, 0, sFailure + error.text()) : vx::VxBool(true));
}

vx::VxBool odbc_import_catalog::startProcess()
{
   m_pListOfTables = std::make_shared<model::type_lst_table>();
   m_lstWarnings.clear();
   if (! m_pDatabase) { return vx::VxBool(false, 0, "No database defined"); }

   const vx::VxBool preamble = readPreamble();
   if (! preamble.getValue()) { return preamble; }

   bool bCatalogueWide = ! allColumnsQuery().sql().isEmpty();
   while (true)
   {
      const vx::VxBool begun = beginRead();
      if (! begun.getValue()) { return begun; }
      QString sRefused;
      const vx::VxBool read = readTables(bCatalogueWide, sRefused);
      endRead(read.getValue() && sRefused.isEmpty());
      if (sRefused.isEmpty()) { return read; }
      // a link that went down answers no other query either: said as such, with nothing read again on it
      if (odbc_import_driver_manager::isConnectionLost(*m_pDatabase, sRefused)) { return vx::VxBool(false, 0, "The connection to the database server was lost : " + sRefused); }
      // privileges, an old server, a dictionary view that will not answer for all tables at once: the
      // per-table queries may still be answered. The read starts again, in a transaction of its own.
      qDebug("[Kelmar] %s catalogue-wide query failed, reading table by table : %s", engineName(), qPrintable(sRefused));
      bCatalogueWide = false;
   }
}

vx::VxBool odbc_import_catalog::readTables(bool bCatalogueWide, QString& sRefused)
{
   odbc_import_statements statements(m_pDatabase);
   vx::VxSqlQuery tables = tablesQuery();
   odbc_import_step::begin("the list of tables");
   const vx::VxBool fetched = runOnce(tables, "An error occurred fetching all tables :\n");
   if (! fetched.getValue()) { return fetched; }
   vx::VxSqlQuery views = viewsQuery();
   if (hasViewsQuery())
   {
      odbc_import_step::begin("the list of views");
      const vx::VxBool fetchedViews = runOnce(views, "An error occurred fetching all views :\n");
      if (! fetchedViews.getValue()) { return fetchedViews; }
   }
   // an account that sees views only still has something to import
   const long lTables = tables.getSqlResultRowCount();
   const long lRows = lTables + views.getSqlResultRowCount();
   if (lRows <= 0) { return vx::VxBool(false, 0, getNoTableMessage()); }

   // the primary keys, relationships and columns of every table in 3 queries, each result read into the
   // tables' contents and let go before the next query: the model shares the texts it keeps of a row
   QHash<table_id, table_content> hashContents;
   for (int q = (hasPrimaryKeyQuery() ? 0 : 1); bCatalogueWide && (q < 3); ++q)
   {
      vx::VxSqlQuery query = ((q == 0) ? allPrimaryKeysQuery() : ((q == 1) ? allRelationsQuery() : allColumnsQuery()));
      odbc_import_step::begin((q == 0) ? "the primary keys of all tables" : ((q == 1) ? "the relationships of all tables" : "the columns of all tables"));
      const vx::VxBool read = runOnce(query, QString());
      if (! read.getValue()) { sRefused = read.getDesc(); return read; }
      for (long r = 0; r < query.getSqlResultRowCount(); ++r) { readContent(query, r, q, hashContents[rowTable(query, r)]); }
   }

   odbc_import_keys tableKeys;
   for (long i = 0; i < lRows; ++i)
   {
      emitProgress(static_cast<qint32>(i), static_cast<qint32>(lRows));
      table_row row;
      if (! ((i < lTables) ? readTableRow(tables, i, row) : readViewRow(views, i - lTables, row))) { continue; }
      if (! row.unreadable.isEmpty()) { return vx::VxBool(false, 0, row.unreadable); }
      const QString sUnusable = odbc_import_table_builder::unusableName(row.name);
      if (! sUnusable.isEmpty()) { m_lstWarnings.append(odbc_import_table_builder::leftOut(row) + sUnusable); continue; }
      bool bNew = false;
      const long lTableKey = tableKeys.take(row.nameSpace + "." + row.name, odbc_import_keys::tableIdentity(row.nameSpace, row.name), bNew);
      if (! bNew) { continue; }
      table_content content;
      if (bCatalogueWide) { content = hashContents.take(table_id(row.rawNamespace, row.name)); }
      else
      {
         bool bLeftOut = false;
         const vx::VxBool queried = queryTable(statements, row, content, bLeftOut);
         if (! queried.getValue()) { return queried; }
         if (bLeftOut) { continue; }
      }
      const std::shared_ptr<model::app_table> pTable = odbc_import_table_builder::build(row, lTableKey, content, readsSnapshot(), m_lstWarnings);
      if (pTable) { m_pListOfTables->insert(lTableKey, pTable); }
   }
   return vx::VxBool(true);
}

void odbc_import_catalog::readContent(const vx::VxSqlQuery& query, long row, int iQuery, table_content& content) const
{
   if (iQuery == 0) { content.primaryKey.append(readPrimaryKeyColumn(query, row)); }
   else if (iQuery == 1) { content.relations.append(readRelationRow(query, row)); }
   else
   {
      column_row column = readColumnRow(query, row, content.primaryKey);
      column.valueType = getColumnType(column.sqlType);
      content.columns.append(column);
   }
}

vx::VxBool odbc_import_catalog::queryTable(odbc_import_statements& statements, const table_row& row, table_content& content, bool& bLeftOut)
{
   const QString sFor = "' :\n";
   vx::VxSqlQuery queries[3];
   if (hasPrimaryKeyQuery())
   {
      queries[0] = primaryKeyQuery(row);
      odbc_import_step::begin("the primary key of table '" + row.name + "'");
      const vx::VxBool read = run(statements, queries[0], "An error occurred getting primary key for table '" + row.name + sFor);
      if (! read.getValue()) { return read; }
   }
   queries[1] = relationsQuery(row);
   odbc_import_step::begin("the relationships of table '" + row.name + "'");
   const vx::VxBool readRelations = run(statements, queries[1], "An error occurred getting all relationships for table '" + row.name + sFor);
   if (! readRelations.getValue()) { return readRelations; }
   const QString sColumnsFailure = "An error occurred getting all columns for table '" + row.name + sFor;
   queries[2] = columnsQuery(row);
   odbc_import_step::begin("the columns of table '" + row.name + "'");
   const QSqlError columnsError = statements.run(queries[2]);
   // a view that reads a dropped table, or calls a function its own application registers, cannot be
   // described (SQLite fails, MariaDB lists no column): it is left out, the rest of the catalogue is read
   if (columnsError.isValid() && row.isView) { m_lstWarnings.append(odbc_import_table_builder::leftOut(row) + "the database cannot describe it :\n" + columnsError.text()); bLeftOut = true; return vx::VxBool(true); }
   if (columnsError.isValid()) { return vx::VxBool(false, 0, sColumnsFailure + columnsError.text()); }
   vx::VxSqlQuery fallback = columnsFallbackQuery(row);
   if ((queries[2].getSqlResultRowCount() == 0) && ! fallback.sql().isEmpty())
   {
      // a server that ignores what it does not know answers with no row: never import such a table empty
      const vx::VxBool readFallback = run(statements, fallback, sColumnsFailure);
      if (! readFallback.getValue()) { return readFallback; }
      if ((fallback.getSqlResultRowCount() == 0) && ! row.isView) { return vx::VxBool(false, 0, sColumnsFailure + "the table has no column that can be read"); }
      queries[2] = fallback;
   }
   for (int q = 0; q < 3; ++q)
   {
      for (long r = 0; r < queries[q].getSqlResultRowCount(); ++r) { readContent(queries[q], r, q, content); }
   }
   return vx::VxBool(true);
}

} // namespace plugin
