#include "odbc_import_column_type.h"

namespace plugin {

namespace {

struct prefix_type { const char* prefix; int type; };

// Order matters where one prefix begins another: "timestamp" before "time", "datetime" before "date".
const prefix_type k_shared[] = {
   { "char", QVariant::String }, { "nchar", QVariant::String }, { "int", QVariant::LongLong }, { "bool", QVariant::Bool },
   { "tinyint", QVariant::Int }, { "smallint", QVariant::Int }, { "mediumint", QVariant::LongLong }, { "bigint", QVariant::ULongLong },
   { "real", QVariant::Double }, { "float", QVariant::Double }, { "double", QVariant::Double }, { "decimal", QVariant::Double },
   { "number", QVariant::Double }, { "numeric", QVariant::Double }, { "varchar", QVariant::String }, { "nvarchar", QVariant::String },
   { "text", QVariant::String }, { "clob", QVariant::String }, { "timestamp", QVariant::DateTime }, { "datetime", QVariant::DateTime },
   { "date", QVariant::Date }, { "time", QVariant::Time }, { "serial", QVariant::ULongLong }, { "byte", QVariant::ByteArray },
   { "blob", QVariant::ByteArray }, { "enum", QVariant::String }, { "tinytext", QVariant::String }, { "mediumtext", QVariant::String },
   { "longtext", QVariant::String } };

// SQLite: the shared table, then "unsigned int".
const prefix_type k_sqlite_extra[] = { { "unsigned int", QVariant::LongLong } };

// PostgreSQL reports pg_type names (int4, float8, bpchar...): no tinyint, numeric, datetime, blob or enum tests.
const prefix_type k_postgresql[] = {
   { "char", QVariant::String }, { "nchar", QVariant::String }, { "int", QVariant::LongLong }, { "bool", QVariant::Bool },
   { "smallint", QVariant::Int }, { "bigint", QVariant::ULongLong }, { "real", QVariant::Double }, { "float", QVariant::Double },
   { "double", QVariant::Double }, { "decimal", QVariant::Double }, { "varchar", QVariant::String }, { "nvarchar", QVariant::String },
   { "text", QVariant::String }, { "clob", QVariant::String }, { "timestamp", QVariant::DateTime }, { "date", QVariant::Date },
   { "time", QVariant::Time }, { "serial", QVariant::ULongLong }, { "byte", QVariant::ByteArray } };

template <std::size_t N>
bool lookup(const prefix_type (&table)[N], const QString& sSqlType, int& iType)
{
   for (const prefix_type& entry : table)
   {
      if (sSqlType.startsWith(QLatin1String(entry.prefix), Qt::CaseInsensitive)) { iType = entry.type; return true; }
   }
   return false;
}

} // namespace

QVariant odbc_import_column_type::fromShared(const QString& sSqlType)
{
   int iType = QVariant::Invalid;
   lookup(k_shared, sSqlType, iType);
   return QVariant(iType);
}

QVariant odbc_import_column_type::fromPostgreSQL(const QString& sSqlType)
{
   int iType = QVariant::Invalid;
   lookup(k_postgresql, sSqlType, iType);
   return QVariant(iType);
}

QVariant odbc_import_column_type::fromSQLite(const QString& sSqlType)
{
   int iType = QVariant::Invalid;
   if (! lookup(k_shared, sSqlType, iType)) { lookup(k_sqlite_extra, sSqlType, iType); }
   return QVariant(iType);
}

} // namespace plugin
