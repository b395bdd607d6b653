// The connection the plug-in opens (fillContext, then the ORM's database of that context): bounded
// waits on a silent server, login and password handed over whole, data-source names and SQLite paths.
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <vx/VxSqlDatabase.h>

#include <context/ctx_custom.h>
#include <context/ctx_scoped.h>

#include "odbc_import_connection.h"
#include "odbc_import_process.h"
#include "odbc_import_engine.h"
#include "silent_proxy.h"
#include "test_env.h"

using plugin::odbc_import_connection;

namespace {

/** The plug-in's context filled for this data source, current while alive; its connections closed after. */
class plugin_connection
{
public:
   plugin_connection(int iDatabaseType, const QString& sDsn, const QString& sLogin = QString(), const QString& sPassword = QString())
      : m_pContext(vx::VxSingleton<context::ctx_custom>::getSingleton())
   {
      odbc_import_connection::fillContext(m_pContext, iDatabaseType, sDsn, sLogin, sPassword);
      m_pScoped.reset(new context::ctx_scoped(m_pContext));
      m_db = vx::VxSqlDatabase::getDatabase(m_error);
   }
   ~plugin_connection()
   {
      const QString sName = m_db.connectionName();
      m_db = QSqlDatabase();
      m_pScoped.reset();
      QSqlDatabase::removeDatabase(sName);
   }
   QSqlDatabase* db() { return &m_db; }
   /** Empty when open, else the error. */
   QString openError() const { return ((m_db.isOpen() && ! m_error.isValid()) ? QString() : ("not open: " + m_error.text())); }
   QString value(const QString& sql)
   {
      QSqlQuery query(m_db);
      return ((query.exec(sql) && query.next()) ? query.value(0).toString() : ("failed: " + query.lastError().text()));
   }

private:
   context::ctx_custom* m_pContext;
   std::unique_ptr<context::ctx_scoped> m_pScoped;
   QSqlError m_error;
   QSqlDatabase m_db;
};

/** Table names the engine's reader finds, or its error. */
QStringList readTables(int iDatabaseType, QSqlDatabase* pDb)
{
   std::unique_ptr<plugin::odbc_import_process> pReader(plugin::odbc_import_engine::createReader(iDatabaseType, pDb));
   const vx::VxBool read = pReader->startProcess();
   if (! read.getValue()) { return QStringList("failed: " + read.getDesc()); }
   QStringList lst;
   for (long i = 0; i < pReader->getListOfTables()->count(); ++i) { lst << pReader->getListOfTables()->getByIndex(i)->getName(); }
   return lst;
}

} // namespace

class tst_connection : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;

private Q_SLOTS:
   void initTestCase()
   {
      QVERIFY(m_dir.isValid());
      // a data source of the user's own, for the driver manager of this process only
      QFile ini(m_dir.filePath("odbc.ini"));
      QVERIFY(ini.open(QIODevice::WriteOnly));
      ini.write(("[kel_shop]\nDriver=SQLite3\nDatabase=" + m_dir.filePath("dsn.db") + "\n"
                 "[kel_new]\nDriver=SQLite3\nNoCreat=0\nDatabase=" + m_dir.filePath("new.db") + "\n").toUtf8());
      ini.close();
      qputenv("ODBCINI", QFile::encodeName(ini.fileName()));
      QCOMPARE(kel_test::makeSqlite(m_dir.filePath("dsn.db"), { "CREATE TABLE shop (id INTEGER PRIMARY KEY)" }), QString());
      // short enough for a test, long enough for a loaded machine to log in
      odbc_import_connection::setLoginTimeout(3);
      odbc_import_connection::setReadTimeout(3);
   }

   // A server that accepts and never answers, at the login or once the catalogue is being read. The
   // proxy closes everything itself after 30 s of silence: released() says the driver never gave up.
   // psqlODBC has no read timeout: a PostgreSQL server that stops answering after the login holds the read.
   void silentServer_data()
   {
      QTest::addColumn<int>("iDatabaseType");
      QTest::addColumn<bool>("bAfterLogin");
      QTest::newRow("PostgreSQL, at the login") << int(kel_test::k_postgresql) << false;
      QTest::newRow("MariaDB, at the login") << int(kel_test::k_mysql) << false;
      QTest::newRow("MariaDB, in the read") << int(kel_test::k_mysql) << true;
   }

   void silentServer()
   {
      QFETCH(int, iDatabaseType);
      QFETCH(bool, bAfterLogin);
      const bool bPostgreSQL = (iDatabaseType == kel_test::k_postgresql);
      if (bPostgreSQL) { KEL_REQUIRE_POSTGRESQL(); } else { KEL_REQUIRE_MYSQL(); }
      const int iServerPort = kel_test::env(bPostgreSQL ? "KEL_TEST_PG_PORT" : "KEL_TEST_MYSQL_PORT").toInt();
      kel_test::silent_proxy proxy((bAfterLogin ? iServerPort : 0), 30);
      QVERIFY(proxy.port() > 0);
      QString sDsn = (bPostgreSQL ? kel_test::postgresqlDsn("postgres") : kel_test::mysqlDsn("mysql"));
      sDsn.replace(QString("Port=%1").arg(iServerPort), QString("Port=%1").arg(proxy.port()));

      QElapsedTimer timer;
      timer.start();
      plugin_connection connection(iDatabaseType, sDsn);
      QString sError = connection.openError();
      if (bAfterLogin)
      {
         QVERIFY2(sError.isEmpty(), qPrintable(sError));
         proxy.stall();
         timer.restart();
         sError = readTables(iDatabaseType, connection.db()).join(',');
      }
      qInfo("ended after %.1f s: %s", timer.elapsed() / 1000.0, qPrintable(sError));
      QVERIFY(sError.contains("failed") || sError.contains("not open"));
      QVERIFY(! proxy.released());
   }

   // a login or password holding ; { } = logs in with exactly that text, and adds no keyword to the connection
   void account_data()
   {
      QTest::addColumn<QString>("sLogin");
      QTest::addColumn<QString>("sPassword");
      QTest::newRow("password with ; { } =") << "kel_odd" << "a;b{c}d=e";
      QTest::newRow("password that names a database") << "kel_other" << "secret;Database=mysql";
      QTest::newRow("login and password with braces") << "kel;{x}}" << "}x{";
   }

   void account()
   {
      QFETCH(QString, sLogin);
      QFETCH(QString, sPassword);
      KEL_REQUIRE_MYSQL();
      // made on the server by the test user; quotes doubled for SQL, no backslash or brace escapes in the statements
      const QString sUser = "'" + QString(sLogin).replace("'", "''") + "'@'%'";
      QCOMPARE(kel_test::createDatabase(kel_test::k_mysql, "kel_accounts", { "CREATE TABLE t (id INT)" }), QString());
      QCOMPARE(kel_test::connection(kel_test::mysqlDsn(QString())).exec({ "DROP USER IF EXISTS " + sUser,
         "CREATE USER " + sUser + " IDENTIFIED BY '" + QString(sPassword).replace("'", "''") + "'", "GRANT SELECT ON kel_accounts.* TO " + sUser }), QString());

      const QString sDsn = QString("Driver={MariaDB Unicode};Server=127.0.0.1;Port=%1;Database=kel_accounts").arg(kel_test::env("KEL_TEST_MYSQL_PORT"));
      plugin_connection connection(kel_test::k_mysql, sDsn, sLogin, sPassword);
      QVERIFY2(connection.openError().isEmpty(), qPrintable(connection.openError()));
      QCOMPARE(connection.value("SELECT CONCAT(CURRENT_USER(), ' in ', DATABASE())"), sLogin + "@% in kel_accounts");
      plugin_connection wrong(kel_test::k_mysql, sDsn, sLogin, sPassword + "x");
      QVERIFY(wrong.openError().contains("Access denied"));
   }

   // a data-source name still opens with a login, even one that Qt would take for part of a connection string
   void dataSourceName()
   {
      plugin_connection connection(kel_test::k_sqlite, "kel_shop", "me;Server=x");
      QVERIFY2(connection.openError().isEmpty(), qPrintable(connection.openError()));
      QCOMPARE(readTables(kel_test::k_sqlite, connection.db()), QStringList("shop"));
      // what the data source sets stays: this one may create its file
      plugin_connection created(kel_test::k_sqlite, "kel_new");
      QVERIFY2(created.openError().isEmpty(), qPrintable(created.openError()));
   }

   // the path reaches SQLite whole: the file is read, and no other file appears beside it; a path that
   // does not exist is an error, and no empty database appears there
   void sqlitePath_data()
   {
      QTest::addColumn<QString>("sName");
      QTest::addColumn<int>("iDatabaseType");
      QTest::addColumn<bool>("bExists");
      QTest::newRow("umlaut, SQLite reader") << "shöp.db" << int(kel_test::k_sqlite) << true;
      QTest::newRow("umlaut, generic reader") << "shöp.db" << int(kel_test::k_generic) << true;
      QTest::newRow("CJK, space, # and %") << "店 #1 100%.db" << int(kel_test::k_sqlite) << true;
      QTest::newRow("missing") << "gone.db" << int(kel_test::k_sqlite) << false;
      QTest::newRow("missing, umlaut") << "göne.db" << int(kel_test::k_sqlite) << false;
   }

   void sqlitePath()
   {
      QFETCH(QString, sName);
      QFETCH(int, iDatabaseType);
      QFETCH(bool, bExists);
      const QTemporaryDir dir;
      const QString sPath = dir.filePath(sName);
      if (bExists) { QCOMPARE(kel_test::makeSqlite(sPath, { "CREATE TABLE customer (id INTEGER PRIMARY KEY)" }), QString()); }
      {
         plugin_connection connection(iDatabaseType, kel_test::sqliteDsn(sPath));
         QCOMPARE(connection.openError().isEmpty(), bExists);
         if (bExists) { QCOMPARE(readTables(iDatabaseType, connection.db()), QStringList("customer")); }
      }
      QCOMPARE(QDir(dir.path()).entryList(QDir::Files), bExists ? QStringList(sName) : QStringList());
   }
};

QTEST_MAIN(tst_connection)
#include "tst_connection.moc"
