#ifndef PLUGIN_ODBC_IMPORT_SQLITE_H
#define PLUGIN_ODBC_IMPORT_SQLITE_H

#include "odbc_import_catalog.h"

namespace plugin {

/** SQLite: sqlite_master and the table pragmas; no namespaces, foreign keys known by number. */
class odbc_import_sqlite : public odbc_import_catalog
{
   Q_OBJECT

public:
   explicit odbc_import_sqlite(QSqlDatabase* pDatabase) : odbc_import_catalog(pDatabase) { ; }
   ~odbc_import_sqlite() override = default;

   /** name as an SQL identifier: in double quotes, each double quote doubled. */
   static QString quoteIdentifier(const QString& sName);

protected:
   vx::VxSqlQuery tablesQuery() const override;
   bool readTableRow(const odbc_import_catalog_result& query, long row, table_row& table) const override;
   bool hasPrimaryKeyQuery() const override { return false; }
   vx::VxSqlQuery primaryKeyQuery(const table_row& table) const override;
   QString readPrimaryKeyColumn(const odbc_import_catalog_result& query, long row) const override;
   vx::VxSqlQuery relationsQuery(const table_row& table) const override;
   relation_row readRelationRow(const odbc_import_catalog_result& query, long row) const override;
   vx::VxSqlQuery columnsQuery(const table_row& table) const override;
   vx::VxSqlQuery columnsFallbackQuery(const table_row& table) const override;
   column_row readColumnRow(const odbc_import_catalog_result& query, long row, const QStringList& lstPrimaryKey) const override;
   const char* engineName() const override { return "SQLite"; }

private:
   QVariant getColumnType(const QString& sSqlType) const override;
   /** The pragma sql on the table. */
   static vx::VxSqlQuery pragma(const char* sql, const QString& sTable);
   /** Name of the column at iPosition (from 0) of the table's primary key, empty when there is none. */
   QString referencedKeyColumn(const QString& sTable, int iPosition) const;
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_SQLITE_H
