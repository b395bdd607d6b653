#ifndef KEL_TESTS_TEST_ENV_H
#define KEL_TESTS_TEST_ENV_H

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUuid>
#include <QtTest>

// What the test run provides: the servers of tests/services/with_servers.sh (through environment
// variables) and the shared fixtures; without them a test skips, or fails under CI=true. And the
// tests' own connections, apart from the plug-in's, to build fixtures and to read back what it did.
namespace kel_test {

/** The engine types of the plug-in's readers, as its option db_type takes them. */
enum engine_type { k_generic = 0, k_postgresql = 1, k_mysql = 2, k_oracle = 3, k_mssqlserver = 4, k_sqlite = 5 };

inline bool isCI() { return (qEnvironmentVariable("CI") == "true"); }

inline QString env(const char* name) { return qEnvironmentVariable(name); }

/** How many of the plug-in's reading programs run (its name as the kernel keeps it, cut to 15 bytes): this process's
    children, or those whose environment holds sMark (a variable their parent was given). */
inline int readingPrograms(const QByteArray& sMark = QByteArray())
{
   int iCount = 0;
   for (const QString& sPid : QDir("/proc").entryList(QDir::Dirs))
   {
      QFile stat("/proc/" + sPid + "/stat"), environ("/proc/" + sPid + "/environ");
      if (! stat.open(QIODevice::ReadOnly)) { continue; }
      // pid (comm) state ppid ...
      const QString sStat = QString::fromLocal8Bit(stat.readAll());
      if (! sStat.contains("(kel_odbc_import)")) { continue; }
      const QStringList lstAfter = sStat.mid(sStat.lastIndexOf(')') + 2).split(' ');
      if (sMark.isEmpty() ? (lstAfter.value(1).toLongLong() == QCoreApplication::applicationPid()) : (environ.open(QIODevice::ReadOnly) && environ.readAll().contains(sMark))) { ++iCount; }
   }
   return iCount;
}

/** Skips (or fails under CI) the current test function when what is missing is missing. */
#define KEL_REQUIRE(condition, what)                                                                                  \
   do {                                                                                                               \
      if (! (condition) && kel_test::isCI()) { QFAIL(qPrintable(QString("required under CI: ") + (what))); }         \
      if (! (condition)) { QSKIP(qPrintable(QString("not available: ") + (what))); }                                  \
   } while (false)

/** Skips when the shared fixtures are not beside the project (a clone on its own has none), also under CI: the rows that read them cannot run. */
#define KEL_REQUIRE_FIXTURES()                                                                                        \
   do {                                                                                                               \
      if (! QDir(QString(KEL_FIXTURES_DIR)).exists()) { QSKIP("not available: the shared fixtures (" KEL_FIXTURES_DIR ")"); } \
   } while (false)

#define KEL_REQUIRE_POSTGRESQL() KEL_REQUIRE(! kel_test::env("KEL_TEST_PG_PORT").isEmpty(), "PostgreSQL test server (run through tests/services/with_servers.sh)")
#define KEL_REQUIRE_MYSQL() KEL_REQUIRE(! kel_test::env("KEL_TEST_MYSQL_PORT").isEmpty(), "MariaDB test server (run through tests/services/with_servers.sh)")

/** ODBC connection strings of the test servers, for a database of them. */
inline QString postgresqlDsn(const QString& sDatabase)
{
   return QString("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=%1;Database=%2;Uid=%3")
      .arg(env("KEL_TEST_PG_PORT"), sDatabase, env("KEL_TEST_PG_USER"));
}

inline QString mysqlDsn(const QString& sDatabase)
{
   return QString("Driver={MariaDB Unicode};Server=127.0.0.1;Port=%1;Uid=%2;Pwd=%3")
      .arg(env("KEL_TEST_MYSQL_PORT"), env("KEL_TEST_MYSQL_USER"), env("KEL_TEST_MYSQL_PWD")) + (sDatabase.isEmpty() ? QString() : (";Database=" + sDatabase));
}

inline QString sqliteDsn(const QString& sFile) { return "Driver=SQLite3;Database=" + sFile; }

inline QString sakilaDir() { return QDir(QString(KEL_FIXTURES_DIR) + "/sakila").absolutePath(); }

/** The plug-in's options for a headless import, after a program name as the host's command line has it. */
inline QStringList importArgs(const QString& sDsn, const QString& sDatabaseType, const QStringList& lstMore = QStringList())
{
   return QStringList({ "kelmar", "--KelOdbcImport_dsn=" + sDsn, "--KelOdbcImport_db_type=" + sDatabaseType }) + lstMore;
}

/** A Qt SQL connection with a name of its own, opened on sDatabase; closed and removed with the object. */
class connection
{
public:
   explicit connection(const QString& sDatabase, const QString& sDriver = "QODBC") : m_sName("kel_test_" + QUuid::createUuid().toString(QUuid::WithoutBraces))
   {
      m_db = QSqlDatabase::addDatabase(sDriver, m_sName);
      m_db.setDatabaseName(sDatabase);
      m_db.open();
   }
   ~connection()
   {
      m_db.close();
      m_db = QSqlDatabase();
      QSqlDatabase::removeDatabase(m_sName);
   }
   connection(const connection&) = delete;
   QSqlDatabase* db() { return &m_db; }
   bool isOpen() const { return m_db.isOpen(); }
   /** Empty when open, else why not. */
   QString openError() const { return (m_db.isOpen() ? QString() : ("cannot open: " + m_db.lastError().text())); }

   /** Runs the statements in order; empty on success, else the failing statement and its error. */
   QString exec(const QStringList& lstStatements)
   {
      if (! m_db.isOpen()) { return openError(); }
      for (const QString& sql : lstStatements)
      {
         QSqlQuery query(m_db);
         if (! query.exec(sql)) { return sql + "\n=> " + query.lastError().text(); }
      }
      return QString();
   }

   /** First column of every row of sql, as texts (empty when the query fails). */
   QStringList column(const QString& sql)
   {
      QStringList lst;
      QSqlQuery query(m_db);
      if (! query.exec(sql)) { return lst; }
      while (query.next()) { lst << query.value(0).toString(); }
      return lst;
   }

private:
   QString m_sName;
   QSqlDatabase m_db;
};

/** The text QODBC gives when it cannot open the data source: what an import must pass on. */
inline QString odbcOpenError(const QString& sDsn) { return connection(sDsn).db()->lastError().text(); }

/** A small shop: two tables joined by a foreign key, and a view over both. */
inline QStringList shopDdl()
{
   return { "CREATE TABLE customer (customer_id INTEGER PRIMARY KEY, name VARCHAR(40) NOT NULL)",
            "CREATE TABLE orders (order_id INTEGER PRIMARY KEY, customer_id INT NOT NULL REFERENCES customer (customer_id))",
            "CREATE VIEW customer_orders AS SELECT c.name, o.order_id FROM customer c JOIN orders o ON o.customer_id = c.customer_id" };
}

/** Creates (or extends) a SQLite file with the statements; empty on success. */
inline QString makeSqlite(const QString& sFile, const QStringList& lstStatements) { return connection(sFile, "QSQLITE").exec(lstStatements); }

/** Drops and creates a database of the PostgreSQL (k_postgresql) or MariaDB test server, then runs ddl in it; empty on success. */
inline QString createDatabase(engine_type engine, const QString& sName, const QStringList& lstDdl)
{
   const bool pg = (engine == k_postgresql);
   const QString quoted = (pg ? ("\"" + sName + "\"") : ("`" + sName + "`"));
   // CREATE DATABASE cannot run in a transaction: QODBC connections are in autocommit mode.
   // On MariaDB a database left by an earlier run may hold tables that others refer to.
   const QStringList lstCreate = { (pg ? "DROP DATABASE IF EXISTS " + quoted + " WITH (FORCE)" : "SET foreign_key_checks = 0"), "DROP DATABASE IF EXISTS " + quoted, "CREATE DATABASE " + quoted };
   const QString sError = connection(pg ? postgresqlDsn("postgres") : mysqlDsn(QString())).exec(lstCreate);
   return (sError.isEmpty() ? connection(pg ? postgresqlDsn(sName) : mysqlDsn(sName)).exec(lstDdl) : ("maintenance connection: " + sError));
}

} // namespace kel_test

#endif // KEL_TESTS_TEST_ENV_H
