#ifndef PLUGIN_ODBC_IMPORT_POSTGRESQL_H
#define PLUGIN_ODBC_IMPORT_POSTGRESQL_H

#include "odbc_import_catalog.h"

namespace plugin {

/** PostgreSQL: pg_catalog, schema "public" as the empty namespace, queries chosen by server version. */
class odbc_import_postgresql : public odbc_import_catalog
{
   Q_OBJECT

public:
   explicit odbc_import_postgresql(QSqlDatabase* pDatabase) : odbc_import_catalog(pDatabase) { ; }
   ~odbc_import_postgresql() override = default;

protected:
   vx::VxBool readPreamble() override;
   vx::VxBool beginRead() override;
   void endRead(bool bSucceeded) override;
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
   bool readsSnapshot() const override { return true; }
   const char* engineName() const override { return "PostgreSQL"; }

private:
   QVariant getColumnType(const QString& sSqlType) const override;
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_POSTGRESQL_H
