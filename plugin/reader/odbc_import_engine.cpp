#include "odbc_import_engine.h"

#include "odbc_import_column_type.h"
#include "odbc_import_generic.h"
#include "odbc_import_mssqlserver.h"
#include "odbc_import_mysql.h"
#include "odbc_import_oracle.h"
#include "odbc_import_postgresql.h"
#include "odbc_import_sqlite.h"

namespace plugin {

namespace {

template <class T>
std::unique_ptr<odbc_import_process> make(QSqlDatabase* pDatabase) { return std::make_unique<T>(pDatabase); }

QStringList noKeywords(int, int) { return QStringList(); }

// libpq's own connect timeout (psqlODBC ignores ODBC's login timeout on a server that never answers);
// psqlODBC has no read timeout: TCP keepalives at least end a read whose network is gone. Protocol
// 7.4-1 rolls back whole transactions: by default psqlODBC wraps every statement of a transaction
// (the reader's consistent read) in a savepoint, one more round trip each.
QStringList postgresqlKeywords(int iLogin, int iRead)
{
   return { QString("pqopt={connect_timeout=%1}").arg(iLogin), QString("KeepaliveTime=%1").arg(qMax(1, iRead / 3)),
            QString("KeepaliveInterval=%1").arg(qMax(1, iRead / 12)), QStringLiteral("Protocol=7.4-1") };
}

// Connector/ODBC ignores ODBC's login timeout
QStringList mysqlKeywords(int iLogin, int iRead)
{
   return { QString("CONN_TIMEOUT=%1").arg(iLogin), QString("READ_TIMEOUT=%1").arg(iRead), QString("WRITE_TIMEOUT=%1").arg(iRead) };
}

// reading a path that does not exist must not leave an empty database there
QStringList sqliteKeywords(int, int) { return { QStringLiteral("NoCreat=1") }; }

} // namespace

const QVector<odbc_import_engine::row>& odbc_import_engine::rows()
{
   static const QVector<row> k_rows = {
      { engine_generic, "Generic", "generic", {}, {}, &make<odbc_import_generic>, &noKeywords, nullptr },
      { engine_postgresql, "PostgreSQL", "postgresql", { "postgres", "psql" }, { "postgresql" }, &make<odbc_import_postgresql>, &postgresqlKeywords,
        &odbc_import_column_type::fromPostgreSQL },
      { engine_mysql, "MySQL (or MariaDB)", "mysql", { "maria", "mysql", "maodbc", "myodbc" }, { "mysql", "mariadb" }, &make<odbc_import_mysql>, &mysqlKeywords,
        &odbc_import_column_type::fromShared },
      { engine_oracle, "Oracle", "oracle", { "oracle", "sqora" }, { "oracle" }, &make<odbc_import_oracle>, &noKeywords, &odbc_import_column_type::fromShared },
      { engine_mssqlserver, "MS SQL Server", "mssqlserver", { "sql server", "freetds", "tdsodbc", "msodbcsql" }, { "microsoft sql server" },
        &make<odbc_import_mssqlserver>, &noKeywords, &odbc_import_column_type::fromShared },
      { engine_sqlite, "SQLite", "sqlite", { "sqlite3" }, { "sqlite" }, &make<odbc_import_sqlite>, &sqliteKeywords, &odbc_import_column_type::fromSQLite } };
   return k_rows;
}

const odbc_import_engine::row& odbc_import_engine::get(int iEngine)
{
   const QVector<row>& lst = rows();
   return (((iEngine >= 0) && (iEngine < lst.count())) ? lst.at(iEngine) : lst.at(engine_generic));
}

const odbc_import_engine::row* odbc_import_engine::fromDriverName(const QString& sDriver)
{
   const QString s = sDriver.toLower();
   for (const row& r : rows())
   {
      for (const QString& sName : r.driverNames) { if (s.contains(sName)) { return &r; } }
   }
   return nullptr;
}

const odbc_import_engine::row* odbc_import_engine::fromDbmsName(const QString& sDbms)
{
   const QString s = sDbms.trimmed().toLower();
   for (const row& r : rows()) { if (r.dbmsNames.contains(s)) { return &r; } }
   return nullptr;
}

std::unique_ptr<odbc_import_process> odbc_import_engine::createReader(int iEngine, QSqlDatabase* pDatabase) { return get(iEngine).createReader(pDatabase); }

} // namespace plugin
