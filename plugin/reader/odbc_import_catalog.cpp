#include "odbc_import_catalog.h"

#include <vx/VxDao.h>

#include "odbc_import_catalog_progress.h"
#include "odbc_import_driver_manager.h"
#include "odbc_import_fetch.h"
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

QPair<QString, QString> odbc_import_catalog::rowTable(const odbc_import_catalog_result& query, long row) const
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
   odbc_import_catalog_progress progress([this](int iPercent) { Q_EMIT onProcessState(iPercent); });
   while (true)
   {
      const vx::VxBool begun = beginRead();
      if (! begun.getValue()) { return begun; }
      QString sRefused;
      const vx::VxBool read = readTables(bCatalogueWide, progress, sRefused);
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

vx::VxBool odbc_import_catalog::fetchRows(const vx::VxSqlQuery& query, const QString& sFailure, long lGuess, odbc_import_catalog_progress& progress,
                                          const std::function<void(const odbc_import_catalog_result&, long)>& onRow) const
{
   const auto readKept = [&]() {
      vx::VxSqlQuery kept = query;
      const vx::VxBool ran = runOnce(kept, sFailure);
      if (! ran.getValue()) { return ran; }
      progress.expect(kept.getSqlResultRowCount(), lGuess);
      const odbc_import_catalog_result rows(kept);
      for (long r = 0; r < rows.rows(); ++r) { onRow(rows, r); progress.row(); }
      return vx::VxBool(true);
   };
   if (! m_bFetch) { return readKept(); }
   odbc_import_fetch fetch(*m_pDatabase);
   const QString sError = fetch.exec(query.sql());
   if (! sError.isNull()) { return vx::VxBool(false, 0, sFailure + sError); }
   progress.expect(fetch.total(), lGuess);
   const odbc_import_catalog_result rows(fetch);
   bool bDelivered = false;
   while (fetch.next())
   {
      bDelivered = true;
      for (long r = 0; r < rows.rows(); ++r) { onRow(rows, r); progress.row(); }
   }
   if (fetch.error().isNull()) { return vx::VxBool(true); }
   // A driver that cannot hand over a row set (MariaDB's Connector/ODBC, a multi-byte letter cut at the end of a
   // bound buffer: "Ansi to Unicode conversion error") is asked again value by value, while no row has gone on yet.
   // A connection lost while fetching ends the rows early: said, never read as a shorter catalogue.
   if (! bDelivered && ! odbc_import_driver_manager::isConnectionLost(*m_pDatabase, fetch.error()))
   {
      fetch.close();
      return readKept();
   }
   return vx::VxBool(false, 0, sFailure + fetch.error());
}

vx::VxBool odbc_import_catalog::readTables(bool bCatalogueWide, odbc_import_catalog_progress& progress, QString& sRefused)
{
   odbc_import_statements statements(m_pDatabase);
   m_bFetch = odbc_import_fetch::canFetch(*m_pDatabase);

   // the tables and views as they come, those that are no table to import (system tables) left out
   QVector<table_row> lstRows;
   long lRows = 0;
   const auto onTable = [&](bool bView) {
      return [&, bView](const odbc_import_catalog_result& rows, long r) {
         ++lRows;
         table_row row;
         if (bView ? readViewRow(rows, r, row) : readTableRow(rows, r, row)) { lstRows.append(row); }
      };
   };
   progress.begin(0, k_iProgressTables);
   odbc_import_step::begin("the list of tables");
   const vx::VxBool fetched = fetchRows(tablesQuery(), "An error occurred fetching all tables :\n", 1000, progress, onTable(false));
   if (! fetched.getValue()) { return fetched; }
   if (hasViewsQuery())
   {
      odbc_import_step::begin("the list of views");
      const vx::VxBool fetchedViews = fetchRows(viewsQuery(), "An error occurred fetching all views :\n", 1000, progress, onTable(true));
      if (! fetchedViews.getValue()) { return fetchedViews; }
   }
   progress.end();
   // an account that sees views only still has something to import
   if (lRows <= 0) { return vx::VxBool(false, 0, getNoTableMessage()); }

   // the tables whose details are read: named as the rows of the catalogue-wide queries name them
   QSet<table_id> setRead;
   for (const table_row& row : qAsConst(lstRows))
   {
      if (row.unreadable.isEmpty() && odbc_import_table_builder::unusableName(row.name).isEmpty() && (! m_fnTableFilter || m_fnTableFilter(row.nameSpace, row.name)))
      { setRead.insert(table_id(row.rawNamespace, row.name)); }
   }
   const long lRead = setRead.count();
   const bool bWide = (bCatalogueWide && (! m_fnTableFilter || (lRead * k_lFewTables > static_cast<long>(lstRows.count()))));

   // the primary keys, relationships and columns of every table in 3 queries, each row read into its table's
   // content as it comes (the rows of a table not read are passed over): the model shares the texts it keeps of a row
   QHash<table_id, table_content> hashContents;
   static const char* const k_szSteps[3] = { "the primary keys of all tables", "the relationships of all tables", "the columns of all tables" };
   static const int k_iProgress[4] = { k_iProgressTables, k_iProgressPrimaryKeys, k_iProgressRelations, k_iProgressColumns };
   // what a table has, about: for the progress of a driver that cannot count the rows before the last
   static const long k_lRowsPerTable[3] = { 1, 1, 8 };
   for (int q = (hasPrimaryKeyQuery() ? 0 : 1); bWide && (q < 3); ++q)
   {
      const vx::VxSqlQuery query = ((q == 0) ? allPrimaryKeysQuery() : ((q == 1) ? allRelationsQuery() : allColumnsQuery()));
      progress.begin(k_iProgress[q], k_iProgress[q + 1]);
      odbc_import_step::begin(k_szSteps[q]);
      const vx::VxBool read = fetchRows(query, QString(), lRead * k_lRowsPerTable[q], progress, [&](const odbc_import_catalog_result& rows, long r) {
         const table_id table = rowTable(rows, r);
         if (setRead.contains(table)) { readContent(rows, r, q, hashContents[table]); }
      });
      if (! read.getValue()) { sRefused = read.getDesc(); return read; }
      progress.end();
   }

   odbc_import_keys tableKeys;
   progress.begin(bWide ? k_iProgressColumns : k_iProgressTables, 100);
   progress.expect(bWide ? lstRows.count() : lRead, 0);
   for (const table_row& row : qAsConst(lstRows))
   {
      if (bWide) { progress.row(); }
      if (! row.unreadable.isEmpty()) { return vx::VxBool(false, 0, row.unreadable); }
      const QString sUnusable = odbc_import_table_builder::unusableName(row.name);
      if (! sUnusable.isEmpty()) { m_lstWarnings.append(odbc_import_table_builder::leftOut(row) + sUnusable); continue; }
      // every table takes its key, read or not: a table's key does not depend on what else is read
      bool bNew = false;
      const long lTableKey = tableKeys.take(row.nameSpace + "." + row.name, odbc_import_keys::tableIdentity(row.nameSpace, row.name), bNew);
      if (! bNew || ! setRead.contains(table_id(row.rawNamespace, row.name))) { continue; }
      table_content content;
      if (bWide) { content = hashContents.take(table_id(row.rawNamespace, row.name)); }
      else
      {
         progress.row();
         bool bLeftOut = false;
         const vx::VxBool queried = queryTable(statements, row, content, bLeftOut);
         if (! queried.getValue()) { return queried; }
         if (bLeftOut) { continue; }
      }
      const std::shared_ptr<model::app_table> pTable = odbc_import_table_builder::build(row, lTableKey, content, readsSnapshot(), m_lstWarnings);
      if (pTable) { m_pListOfTables->insert(lTableKey, pTable); }
   }
   progress.end();
   return vx::VxBool(true);
}

void odbc_import_catalog::readContent(const odbc_import_catalog_result& query, long row, int iQuery, table_content& content) const
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
      const odbc_import_catalog_result rows(queries[q]);
      for (long r = 0; r < rows.rows(); ++r) { readContent(rows, r, q, content); }
   }
   return vx::VxBool(true);
}

} // namespace plugin
