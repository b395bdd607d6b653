#ifndef PLUGIN_ODBC_IMPORT_MYSQL_H
#define PLUGIN_ODBC_IMPORT_MYSQL_H

#include "odbc_import_catalog.h"

namespace plugin {

/** MySQL and MariaDB: information_schema of the connection's current database, its tables in the empty namespace; a key into another database names that database. */
class odbc_import_mysql : public odbc_import_catalog
{
   Q_OBJECT

public:
   explicit odbc_import_mysql(QSqlDatabase* pDatabase) : odbc_import_catalog(pDatabase) { ; }
   ~odbc_import_mysql() override = default;

protected:
   vx::VxBool readPreamble() override;
   vx::VxSqlQuery tablesQuery() const override;
   bool readTableRow(const odbc_import_catalog_result& query, long row, table_row& table) const override;
   bool hasPrimaryKeyQuery() const override { return false; }
   vx::VxSqlQuery primaryKeyQuery(const table_row& table) const override;
   QString readPrimaryKeyColumn(const odbc_import_catalog_result& query, long row) const override;
   vx::VxSqlQuery relationsQuery(const table_row& table) const override;
   relation_row readRelationRow(const odbc_import_catalog_result& query, long row) const override;
   vx::VxSqlQuery columnsQuery(const table_row& table) const override;
   column_row readColumnRow(const odbc_import_catalog_result& query, long row, const QStringList& lstPrimaryKey) const override;
   vx::VxSqlQuery allRelationsQuery() const override;
   vx::VxSqlQuery allColumnsQuery() const override;
   QPair<QString, QString> rowTable(const odbc_import_catalog_result& query, long row) const override;
   const char* engineName() const override { return "MySQL"; }

private:
   QVariant getColumnType(const QString& sSqlType) const override;

   bool m_bQuotedDefaults = false;   // the server quotes string defaults (MariaDB 10.2.7 and later)
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_MYSQL_H
