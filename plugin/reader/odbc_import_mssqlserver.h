#ifndef PLUGIN_ODBC_IMPORT_MSSQLSERVER_H
#define PLUGIN_ODBC_IMPORT_MSSQLSERVER_H

#include "odbc_import_catalog.h"

namespace plugin {

/** SQL Server: INFORMATION_SCHEMA and sys.foreign_keys of every schema, "dbo" as the empty namespace. */
class odbc_import_mssqlserver : public odbc_import_catalog
{
   Q_OBJECT

public:
   explicit odbc_import_mssqlserver(QSqlDatabase* pDatabase) : odbc_import_catalog(pDatabase) { ; }
   ~odbc_import_mssqlserver() override = default;

protected:
   vx::VxSqlQuery tablesQuery() const override;
   bool readTableRow(const odbc_import_catalog_result& query, long row, table_row& table) const override;
   vx::VxSqlQuery primaryKeyQuery(const table_row& table) const override;
   QString readPrimaryKeyColumn(const odbc_import_catalog_result& query, long row) const override;
   vx::VxSqlQuery relationsQuery(const table_row& table) const override;
   relation_row readRelationRow(const odbc_import_catalog_result& query, long row) const override;
   vx::VxSqlQuery columnsQuery(const table_row& table) const override;
   column_row readColumnRow(const odbc_import_catalog_result& query, long row, const QStringList& lstPrimaryKey) const override;
   vx::VxSqlQuery allPrimaryKeysQuery() const override;
   vx::VxSqlQuery allRelationsQuery() const override;
   vx::VxSqlQuery allColumnsQuery() const override;
   const char* engineName() const override { return "SQL Server"; }

private:
   QVariant getColumnType(const QString& sSqlType) const override;
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_MSSQLSERVER_H
