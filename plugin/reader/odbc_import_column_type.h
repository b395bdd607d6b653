#ifndef PLUGIN_ODBC_IMPORT_COLUMN_TYPE_H
#define PLUGIN_ODBC_IMPORT_COLUMN_TYPE_H

#include <QString>
#include <QVariant>

namespace plugin {

/**
 * Qt value type (a QVariant::Type number) of a column from the SQL type name its catalogue reports.
 * Each table is tried in order, by case-insensitive "starts with": the first prefix that matches wins.
 */
struct odbc_import_column_type
{
   /** MySQL/MariaDB, SQL Server and Oracle. */
   static QVariant fromShared(const QString& sSqlType);
   static QVariant fromPostgreSQL(const QString& sSqlType);
   static QVariant fromSQLite(const QString& sSqlType);
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_COLUMN_TYPE_H
