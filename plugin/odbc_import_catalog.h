#ifndef PLUGIN_ODBC_IMPORT_CATALOG_H
#define PLUGIN_ODBC_IMPORT_CATALOG_H

#include <QMultiHash>
#include <QStringList>
#include <QVector>

#include <vx/VxSqlQuery.h>

#include "odbc_import_process.h"

namespace plugin {

class odbc_import_keys;
class odbc_import_statements;

/**
 * The run shared by the readers that query a catalogue with SQL: a tables query, then per table a
 * primary-key, a relationship and a columns query. Each engine states its SQL texts, how its result
 * rows read and its namespace rule; the model is built here, the same way for all of them.
 */
class odbc_import_catalog : public odbc_import_process
{
   Q_OBJECT

public:
   explicit odbc_import_catalog(QSqlDatabase* pDatabase) : odbc_import_process(pDatabase) { ; }

   vx::VxBool startProcess() override;

protected:
   struct table_row
   {
      QString name;
      QString rawNamespace;   // bound to ":table_namespace"
      QString nameSpace;      // what the model shows (the engine's default schema is empty)
      QString description;
      bool isView = false;
   };

   struct relation_row
   {
      QString column;
      QString targetTable;
      QString targetNamespace;
      QString targetColumn;
      QString constraintName;
      QString keyText;        // hashed into the foreign-key key
      bool hasConstraintName = true;
   };

   struct column_row
   {
      QString name;
      QString sqlType;
      QString description;
      QString defaultValue;
      bool notNull = false;
      bool isPrimaryKey = false;
      bool isHidden = false;  // a row that is no column of the table (a virtual table's hidden column)
   };

   /** Work done once before the tables query (server version, current database...). */
   virtual vx::VxBool readPreamble() { return vx::VxBool(true); }
   /** Starts the read of the catalogue, after the preamble: an engine that needs a transaction to see one consistent catalogue begins it here. */
   virtual vx::VxBool beginRead() { return vx::VxBool(true); }
   /** Ends what beginRead() began, whether the read succeeded or failed. */
   virtual void endRead(bool bSucceeded) { Q_UNUSED(bSucceeded); }
   virtual vx::VxSqlQuery tablesQuery() const = 0;
   /** False when the row is not a table to import (system tables). */
   virtual bool readTableRow(const vx::VxSqlQuery& query, long row, table_row& table) const = 0;
   /** Engines that list their views in a query of their own (Oracle): its rows are read after the tables' rows. */
   virtual bool hasViewsQuery() const { return false; }
   virtual vx::VxSqlQuery viewsQuery() const { return vx::VxSqlQuery(); }
   virtual bool readViewRow(const vx::VxSqlQuery& query, long row, table_row& table) const { return readTableRow(query, row, table); }

   /** Engines without a primary-key query mark key columns in their columns query instead. */
   virtual bool hasPrimaryKeyQuery() const { return true; }
   virtual vx::VxSqlQuery primaryKeyQuery(const table_row& table) const = 0;
   virtual QString readPrimaryKeyColumn(const vx::VxSqlQuery& query, long row) const = 0;
   virtual vx::VxSqlQuery relationsQuery(const table_row& table) const = 0;
   virtual relation_row readRelationRow(const vx::VxSqlQuery& query, long row) const = 0;
   virtual vx::VxSqlQuery columnsQuery(const table_row& table) const = 0;
   /** lstPrimaryKey: the names the primary-key query returned for the table. */
   virtual column_row readColumnRow(const vx::VxSqlQuery& query, long row, const QStringList& lstPrimaryKey) const = 0;
   virtual QVariant getColumnType(const QString& sSqlType) const = 0;

   /** A query of sql with ":table_name" then ":table_namespace" bound. */
   static vx::VxSqlQuery boundQuery(const char* sql, const table_row& table);
   /** A nullability value that says "not null": sNo in any case, or "0". */
   static bool isNo(const QString& sValue, const char* sNo) { return ((sValue.compare(QLatin1String(sNo), Qt::CaseInsensitive) == 0) || (sValue == "0")); }
   /** Text of a result value; NULL gives an empty text. */
   static QString text(const vx::VxSqlQuery& query, long row, const char* column) { return query.getSqlResultAt(row, QString::fromLatin1(column)).toString(); }

   /** What the preamble learned of the server: its version number, and the database it reads. */
   qint32 m_iServerVersion = 0;
   QString m_sCurrentDatabase;

private:
   /** The tables query and every table's queries, between beginRead() and endRead(). */
   vx::VxBool readTables();
   /** Runs query; a failure gives the message prefix + error text. */
   static vx::VxBool run(odbc_import_statements& statements, vx::VxSqlQuery& query, const QString& sFailure);
   vx::VxBool readTable(odbc_import_statements& statements, const table_row& row, long lTableKey);
   /** columnKeys and relationKeys: the keys given so far in the table's column lists and list of relations. */
   void addColumn(const column_row& row, const std::shared_ptr<model::app_table>& pTable, const QVector<relation_row>& lstRelations,
                  const QMultiHash<QString, int>& hashRelations, odbc_import_keys& columnKeys, odbc_import_keys& relationKeys);
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_CATALOG_H
