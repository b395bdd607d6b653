#ifndef KEL_TESTS_TEST_ENV_H
#define KEL_TESTS_TEST_ENV_H

#include <QDir>
#include <QString>
#include <QtTest>

/*
 * What the test run provides: the servers started by tests/services/with_servers.sh (through
 * environment variables) and the shared fixtures. Without them a test skips, except under CI=true
 * where a missing server or fixture is a failure.
 */
namespace kel_test {

/** The engine types of the plug-in's readers, as its option db_type takes them. */
enum engine_type { k_generic = 0, k_postgresql = 1, k_mysql = 2, k_sqlite = 5 };

inline bool isCI() { return (qEnvironmentVariable("CI") == "true"); }

inline QString env(const char* name) { return qEnvironmentVariable(name); }

/** Skips (or fails under CI) the current test function when what is missing is missing. */
#define KEL_REQUIRE(condition, what)                                                                     \
   do {                                                                                                  \
      if (! (condition)) {                                                                               \
         if (kel_test::isCI()) { QFAIL(qPrintable(QString("required under CI: ") + (what))); }         \
         QSKIP(qPrintable(QString("not available: ") + (what)));                                        \
      }                                                                                                  \
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
   QString dsn = QString("Driver={MariaDB Unicode};Server=127.0.0.1;Port=%1;Uid=%2;Pwd=%3")
      .arg(env("KEL_TEST_MYSQL_PORT"), env("KEL_TEST_MYSQL_USER"), env("KEL_TEST_MYSQL_PWD"));
   if (! sDatabase.isEmpty()) { dsn += ";Database=" + sDatabase; }
   return dsn;
}

inline QString sqliteDsn(const QString& sFile) { return "Driver=SQLite3;Database=" + sFile; }

inline QString sakilaDir() { return QDir(QString(KEL_FIXTURES_DIR) + "/sakila").absolutePath(); }

} // namespace kel_test

#endif // KEL_TESTS_TEST_ENV_H
