#ifndef PLUGIN_ODBC_IMPORT_ORACLE_H
#define PLUGIN_ODBC_IMPORT_ORACLE_H

#include "odbc_import_catalog.h"

namespace plugin {

/** Oracle: the sys.all_* dictionary views, tables then views, the owner as the namespace. */
class odbc_import_oracle : public odbc_import_catalog
{
   Q_OBJECT

public:
   explicit odbc_import_oracle(QSqlDatabase* pDatabase) : odbc_import_catalog(pDatabase) { ; }
   ~odbc_import_oracle() override = default;

protected:
   vx::VxBool readPreamble() override;
   vx::VxSqlQuery tablesQuery() const override;
   bool readTableRow(const odbc_import_catalog_result& query, long row, table_row& table) const override;
   bool hasViewsQuery() const override { return true; }
   vx::VxSqlQuery viewsQuery() const override;
   bool readViewRow(const odbc_import_catalog_result& query, long row, table_row& table) const override;
   vx::VxSqlQuery primaryKeyQuery(const table_row& table) const override;
   QString readPrimaryKeyColumn(const odbc_import_catalog_result& query, long row) const override;
   vx::VxSqlQuery relationsQuery(const table_row& table) const override;
   relation_row readRelationRow(const odbc_import_catalog_result& query, long row) const override;
   vx::VxSqlQuery columnsQuery(const table_row& table) const override;
   column_row readColumnRow(const odbc_import_catalog_result& query, long row, const QStringList& lstPrimaryKey) const override;
   vx::VxSqlQuery allPrimaryKeysQuery() const override;
   vx::VxSqlQuery allRelationsQuery() const override;
   vx::VxSqlQuery allColumnsQuery() const override;
   const char* engineName() const override { return "Oracle"; }

private:
   QVariant getColumnType(const QString& sSqlType) const override;
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_ORACLE_H
