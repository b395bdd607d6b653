#ifndef PLUGIN_ODBC_IMPORT_CATALOG_H
#define PLUGIN_ODBC_IMPORT_CATALOG_H

#include <functional>

#include <QHash>
#include <QMultiHash>
#include <QPair>
#include <QSet>
#include <QStringList>
#include <QVector>

#include <vx/VxSqlQuery.h>

#include "odbc_import_catalog_result.h"
#include "odbc_import_process.h"
#include "odbc_import_table_builder.h"

namespace plugin {

class odbc_import_catalog_progress;
class odbc_import_keys;
class odbc_import_statements;

/**
 * The run shared by the readers that query a catalogue with SQL: a tables query, then the primary keys,
 * the relationships and the columns of every table, each in one catalogue-wide query whose rows are
 * grouped by table here; where an engine has no such query, or the server refuses one, per table a
 * primary-key, a relationship and a columns query. Round trips are what a remote catalogue costs: the
 * catalogue-wide read needs a fixed handful whatever the number of tables. Each engine states its SQL
 * texts, how its result rows read and its namespace rule; the model is built here, the same way for
 * all of them, from either kind of query. The queries sent once are fetched on the connection's own handle
 * where the driver allows it (odbc_import_fetch), each row read into its table's content as it comes.
 * When a table filter keeps only a few tables, these are read table by table: a handful of round trips
 * each, where the catalogue-wide queries would bring every table's rows.
 */
class odbc_import_catalog : public odbc_import_process
{
   Q_OBJECT

public:
   explicit odbc_import_catalog(QSqlDatabase* pDatabase) : odbc_import_process(pDatabase) { ; }

   vx::VxBool startProcess() override;

protected:
   using table_row = odbc_import_table_builder::table_row;
   using relation_row = odbc_import_table_builder::relation_row;
   using column_row = odbc_import_table_builder::column_row;

   /** Work done once before the tables query (server version, current database...). */
   virtual vx::VxBool readPreamble() { return vx::VxBool(true); }
   /** Starts the read of the catalogue, after the preamble: an engine that needs a transaction to see one consistent catalogue begins it here. */
   virtual vx::VxBool beginRead() { return vx::VxBool(true); }
   /** Ends what beginRead() began, whether the read succeeded or failed. */
   virtual void endRead(bool bSucceeded) { Q_UNUSED(bSucceeded); }
   /** The tables (and views) query: no bindings. */
   virtual vx::VxSqlQuery tablesQuery() const = 0;
   /** False when the row is not a table to import (system tables). */
   virtual bool readTableRow(const odbc_import_catalog_result& query, long row, table_row& table) const = 0;
   /** Engines that list their views in a query of their own (Oracle): its rows are read after the tables' rows. */
   virtual bool hasViewsQuery() const { return false; }
   virtual vx::VxSqlQuery viewsQuery() const { return vx::VxSqlQuery(); }
   virtual bool readViewRow(const odbc_import_catalog_result& query, long row, table_row& table) const { return readTableRow(query, row, table); }

   /** Engines without a primary-key query mark key columns in their columns query instead. */
   virtual bool hasPrimaryKeyQuery() const { return true; }
   virtual vx::VxSqlQuery primaryKeyQuery(const table_row& table) const = 0;
   virtual QString readPrimaryKeyColumn(const odbc_import_catalog_result& query, long row) const = 0;
   virtual vx::VxSqlQuery relationsQuery(const table_row& table) const = 0;
   virtual relation_row readRelationRow(const odbc_import_catalog_result& query, long row) const = 0;
   virtual vx::VxSqlQuery columnsQuery(const table_row& table) const = 0;
   /** lstPrimaryKey: the names the primary-key query returned for the table. */
   virtual column_row readColumnRow(const odbc_import_catalog_result& query, long row, const QStringList& lstPrimaryKey) const = 0;
   virtual QVariant getColumnType(const QString& sSqlType) const = 0;

   /** Engines that read a table's columns otherwise when its columns query gives no row (an old SQLite): then a table with no column fails the run. */
   virtual vx::VxSqlQuery columnsFallbackQuery(const table_row& table) const { Q_UNUSED(table); return vx::VxSqlQuery(); }

   /** The catalogue-wide queries: rows of every table the tables query may return, those of one table in the
       order its per-table query gives them; no bindings. No SQL text (the default): the engine reads table by table. */
   virtual vx::VxSqlQuery allPrimaryKeysQuery() const { return vx::VxSqlQuery(); }
   virtual vx::VxSqlQuery allRelationsQuery() const { return vx::VxSqlQuery(); }
   virtual vx::VxSqlQuery allColumnsQuery() const { return vx::VxSqlQuery(); }
   /** The table a row of a catalogue-wide query belongs to, as (raw namespace, name): by default its columns "table_namespace" and "table_name". */
   virtual QPair<QString, QString> rowTable(const odbc_import_catalog_result& query, long row) const;
   /** Whether the read sees one snapshot of the catalogue: then a table with no column is real, elsewhere it was dropped during the read. */
   virtual bool readsSnapshot() const { return false; }
   /** The engine's name in the debug log. */
   virtual const char* engineName() const = 0;

   /** A query of sql with ":table_name" then ":table_namespace" bound. */
   static vx::VxSqlQuery boundQuery(const char* sql, const table_row& table);
   /** A nullability value that says "not null": sNo in any case, or "0". */
   static bool isNo(const QString& sValue, const char* sNo) { return ((sValue.compare(QLatin1String(sNo), Qt::CaseInsensitive) == 0) || (sValue == "0")); }
   /** Text of a result value; NULL gives an empty text. */
   static QString text(const odbc_import_catalog_result& query, long row, const char* column) { return query.text(row, column); }
   static QString text(const vx::VxSqlQuery& query, long row, const char* column) { return query.getSqlResultAt(row, QString::fromLatin1(column)).toString(); }

   /** The shares of the progress range: the tables query (and views), the catalogue-wide primary keys, relationships
       and columns, then the tables built; read table by table, the tables' queries take what follows the tables query. */
   static const int k_iProgressTables = 10, k_iProgressPrimaryKeys = 25, k_iProgressRelations = 40, k_iProgressColumns = 90;
   /** Tables read table by table when the filter keeps at most one in this many: 3 round trips each cost less than the rows of all. */
   static const long k_lFewTables = 32;

   /** What the preamble learned of the server: its version number, and the database it reads. */
   qint32 m_iServerVersion = 0;
   QString m_sCurrentDatabase;

private:
   using table_content = odbc_import_table_builder::table_content;
   using table_id = QPair<QString, QString>;

   /** The tables query and the other queries, catalogue-wide or table by table, between beginRead() and
       endRead(). sRefused: the error of a catalogue-wide query that failed (nothing is read then). */
   vx::VxBool readTables(bool bCatalogueWide, odbc_import_catalog_progress& progress, QString& sRefused);
   /** Runs a query without bindings that the read sends once (tables, views, catalogue-wide); a failure gives the message prefix + error text. */
   vx::VxBool runOnce(vx::VxSqlQuery& query, const QString& sFailure) const;
   /** Runs such a query and hands every row to onRow as it comes, a row of progress each; lGuess: how many rows it may have. */
   vx::VxBool fetchRows(const vx::VxSqlQuery& query, const QString& sFailure, long lGuess, odbc_import_catalog_progress& progress,
                        const std::function<void(const odbc_import_catalog_result&, long)>& onRow) const;
   /** Runs query; a failure gives the message prefix + error text. */
   static vx::VxBool run(odbc_import_statements& statements, vx::VxSqlQuery& query, const QString& sFailure);
   /** Reads row of the primary-key (iQuery 0), relationship (1) or columns query (2) into the content of its table. */
   void readContent(const odbc_import_catalog_result& query, long row, int iQuery, table_content& content) const;
   /** Whether the rows of the read come through odbc_import_fetch: learned once a read. */
   bool m_bFetch = false;
   /** Runs the per-table queries of the table and reads them into content. bLeftOut: a view that the database cannot describe, left out with a warning. */
   vx::VxBool queryTable(odbc_import_statements& statements, const table_row& row, table_content& content, bool& bLeftOut);
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_CATALOG_H
