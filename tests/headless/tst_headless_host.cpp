// Headless imports end to end: the host program run as a user runs it, one process per import, on
// real SQLite, PostgreSQL and MariaDB databases, checked through its output, its exit status and the
// project file it leaves.
#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "catalogue_emulation.h"
#include "test_env.h"

namespace {

struct host_run
{
   bool ended = false; // by itself, without crashing
   int exitCode = -1;
   QStringList out, err;
   /** The host's messages of the import: organise and final count. */
   QStringList messages() const { return out.filter(QRegularExpression("^(Organize|ODBC plugin)")); }
};

/** Runs the host without any display, so that it must choose the offscreen platform itself. */
host_run runHost(const QStringList& lstArgs)
{
   QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
   for (const char* name : { "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY" }) { env.remove(name); }
   env.insert("QT_FORCE_STDERR_LOGGING", "1");
   QProcess process;
   process.setProcessEnvironment(env);
   process.start(QString(KEL_HOST_FILE), lstArgs);
   host_run run;
   // a guard against a hang, not a measure: every run here ends within a second or two
   run.ended = process.waitForFinished(120000);
   if (! run.ended) { process.kill(); process.waitForFinished(); }
   run.ended = run.ended && (process.exitStatus() == QProcess::NormalExit);
   run.exitCode = process.exitCode();
   run.out = QString::fromLocal8Bit(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
   run.err = QString::fromLocal8Bit(process.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
   return run;
}

QByteArray fileHash(const QString& sFile)
{
   QFile file(sFile);
   return (file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256) : QByteArray());
}

/** Entities in the project file that a run left (-1 when it has none). */
int entityCount(const QString& sProject) { return kel_test::connection(sProject, "QSQLITE").column("SELECT count(*) FROM t_entity").value(0, "-1").toInt(); }

const QString k_sSqliteTables("SELECT name FROM sqlite_master WHERE type IN ('table', 'view') AND name NOT LIKE 'sqlite_%'");

QString finalMessage(int iCount) { return QString("ODBC plugin import process to current project finished (%1 entities imported)").arg(iCount); }

/** A loopback port that nothing listens on once this returns. */
quint16 closedPort()
{
   sockaddr_in address {};
   address.sin_family = AF_INET;
   address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
   socklen_t size = sizeof(address);
   const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
   const bool bBound = (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0) && (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0);
   ::close(fd);
   return (bBound ? ntohs(address.sin_port) : 0);
}

} // namespace

class tst_headless_host : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;
   QString m_sShopDsn;
   const int m_iShopTables = 4;
   int m_iProject = 0;

   QString newProject() { return m_dir.filePath(QString("project_%1.kelmar").arg(++m_iProject)); }

   static QStringList importArgs(const QString& sProject, const QString& sDsn, const QString& sType, const QStringList& lstMore = QStringList())
   {
      return QStringList({ "--project", sProject, "--import", "KelOdbcImport" }) + kel_test::importArgs(sDsn, sType, lstMore).mid(1);
   }

private Q_SLOTS:
   void initTestCase()
   {
      QVERIFY(m_dir.isValid());
      // three tables and a view; AUTOINCREMENT adds SQLite's own sqlite_sequence, which is not imported
      QCOMPARE(kel_test::makeSqlite(m_dir.filePath("shop.db"), {
         "CREATE TABLE customer (id INTEGER PRIMARY KEY AUTOINCREMENT, name VARCHAR(40) NOT NULL)",
         "CREATE TABLE orders (id INTEGER PRIMARY KEY, customer_id INT NOT NULL REFERENCES customer (id))",
         "CREATE TABLE order_line (order_id INT NOT NULL REFERENCES orders (id), line_no INT NOT NULL, PRIMARY KEY (order_id, line_no))",
         "CREATE VIEW customer_orders AS SELECT c.name, o.id FROM customer c JOIN orders o ON o.customer_id = c.id" }), QString());
      m_sShopDsn = kel_test::sqliteDsn(m_dir.filePath("shop.db"));
      QCOMPARE(kel_test::makeSqlite(m_dir.filePath("other.db"), { "CREATE TABLE notes (line TEXT)" }), QString());
   }

   // engine type 0 expects what the driver reports, the others what the catalogue holds. No generic read
   // of MariaDB: its driver lists every database, and reading performance_schema has crashed the server.
   void engines_data()
   {
      QTest::addColumn<QString>("sNeeds");
      QTest::addColumn<QString>("sDsn");
      QTest::addColumn<QString>("sType");
      QTest::addColumn<QString>("sCatalogue");
      const QString sSakilaSqlite = kel_test::sqliteDsn(kel_test::env("KEL_TEST_SAKILA_SQLITE"));
      const QString sPg = kel_test::postgresqlDsn(kel_test::env("KEL_TEST_SAKILA_PG_DB"));
      const QString sMy = kel_test::mysqlDsn(kel_test::env("KEL_TEST_SAKILA_MYSQL_DB"));
      QTest::newRow("SQLite shop, SQLite reader") << "" << m_sShopDsn << "5" << k_sSqliteTables;
      QTest::newRow("SQLite shop, generic reader") << "" << m_sShopDsn << "0" << "";
      QTest::newRow("SQLite Sakila, SQLite reader") << "KEL_TEST_SAKILA_SQLITE" << sSakilaSqlite << "5" << k_sSqliteTables;
      QTest::newRow("PostgreSQL Sakila, PostgreSQL reader") << "KEL_TEST_SAKILA_PG_DB" << sPg << "1"
         << "SELECT table_name FROM information_schema.tables WHERE table_schema NOT IN ('pg_catalog', 'information_schema')";
      QTest::newRow("PostgreSQL Sakila, generic reader") << "KEL_TEST_SAKILA_PG_DB" << sPg << "0" << "";
      QTest::newRow("MariaDB Sakila, MySQL reader") << "KEL_TEST_SAKILA_MYSQL_DB" << sMy << "2"
         << "SELECT table_name FROM information_schema.tables WHERE table_schema = DATABASE()";
   }

   void engines()
   {
      QFETCH(QString, sNeeds);
      QFETCH(QString, sDsn);
      QFETCH(QString, sType);
      QFETCH(QString, sCatalogue);
      if (! sNeeds.isEmpty()) { KEL_REQUIRE(! kel_test::env(qPrintable(sNeeds)).isEmpty(), "Sakila database " + sNeeds + " (run through tests/services/with_servers.sh)"); }

      QStringList lstExpected;
      {
         kel_test::connection source(sDsn);
         QVERIFY2(source.openError().isEmpty(), qPrintable(source.openError()));
         lstExpected = (sCatalogue.isEmpty() ? (source.db()->tables(QSql::Tables) + source.db()->tables(QSql::Views)) : source.column(sCatalogue));
      }
      lstExpected.removeDuplicates();
      lstExpected.sort();
      QVERIFY(! lstExpected.isEmpty());

      // one entity per table, under the namespace given, and the count before and after
      const QString sProject = newProject();
      const host_run run = runHost(importArgs(sProject, sDsn, sType, { "--KelOdbcImport_namespace=imp" }));
      QVERIFY(run.ended);
      QVERIFY2(run.exitCode == 0, qPrintable(run.err.join('\n')));
      kel_test::connection project(sProject, "QSQLITE");
      QStringList lstNames = project.column("SELECT entity_name FROM t_entity");
      lstNames.sort();
      QCOMPARE(lstNames, lstExpected);
      QCOMPARE(project.column("SELECT DISTINCT entity_namespace FROM t_entity"), QStringList("imp"));
      QCOMPARE(run.out.value(0), QString("Project %1 : 0 entities").arg(sProject));
      QVERIFY(run.out.contains(finalMessage(lstExpected.count())));
   }

   // SQL Server and Oracle: Sakila's catalogues made from their scripts, served by the PostgreSQL test server
   void emulatedEngines_data()
   {
      QTest::addColumn<QString>("sType");
      QTest::addColumn<QString>("sScript");
      QTest::newRow("SQL Server Sakila, SQL Server reader") << "4" << "sql-server-sakila-schema.sql";
      QTest::newRow("Oracle Sakila, Oracle reader") << "3" << "oracle-sakila-schema.sql";
   }

   void emulatedEngines()
   {
      QFETCH(QString, sType);
      QFETCH(QString, sScript);
      KEL_REQUIRE_POSTGRESQL();
      QFile file(kel_test::sakilaDir() + "/" + sScript);
      const bool bOpen = file.open(QIODevice::ReadOnly);
      KEL_REQUIRE(bOpen, "Sakila fixtures in " + kel_test::sakilaDir());
      const bool bOracle = (sType == "3");
      const auto engine = (bOracle ? kel_emulation::dialect::oracle : kel_emulation::dialect::mssqlserver);
      const kel_emulation::schema_def schema = kel_emulation::ddl_reader(engine, bOracle ? "SAKILA" : "dbo").read(QString::fromUtf8(file.readAll()));
      const QString sDatabase = "kel_headless_sakila_" + sType;
      QCOMPARE(kel_test::createDatabase(kel_test::k_postgresql, sDatabase, bOracle ? kel_emulation::oracleCatalogue(schema) : kel_emulation::sqlServerCatalogue(schema)), QString());
      QStringList lstExpected;
      for (const kel_emulation::table_def& table : schema) { lstExpected.append(table.name); }
      lstExpected.sort();
      QCOMPARE(lstExpected.count(), 21);

      const QString sProject = newProject();
      const host_run run = runHost(importArgs(sProject, kel_test::postgresqlDsn(sDatabase), sType));
      QVERIFY(run.ended);
      QVERIFY2(run.exitCode == 0, qPrintable(run.err.join('\n')));
      QStringList lstNames = kel_test::connection(sProject, "QSQLITE").column("SELECT entity_name FROM t_entity");
      lstNames.sort();
      QCOMPARE(lstNames, lstExpected);
      QVERIFY(run.out.contains(finalMessage(lstExpected.count())));
   }

   // the organise option on and off
   void messages_data()
   {
      QTest::addColumn<QStringList>("lstOptions");
      QTest::addColumn<QStringList>("expected");
      const QStringList lstShop = kel_test::importArgs(m_sShopDsn, "5").mid(1);
      const QStringList lstOrganized({ "Organize diagram layout", finalMessage(m_iShopTables) });
      QTest::newRow("organise absent") << lstShop << lstOrganized;
      QTest::newRow("organise empty") << (lstShop + QStringList("--KelOdbcImport_organize_diagram=")) << lstOrganized;
      QTest::newRow("organise 1") << (lstShop + QStringList("--KelOdbcImport_organize_diagram=1")) << lstOrganized;
      QTest::newRow("organise 0") << (lstShop + QStringList("--KelOdbcImport_organize_diagram=0")) << QStringList(finalMessage(m_iShopTables));
      QTest::newRow("organise yes") << (lstShop + QStringList("--KelOdbcImport_organize_diagram=yes")) << QStringList(finalMessage(m_iShopTables));
   }

   void messages()
   {
      QFETCH(QStringList, lstOptions);
      QFETCH(QStringList, expected);
      const QString sProject = newProject();
      const host_run run = runHost(QStringList({ "--project", sProject, "--import", "KelOdbcImport" }) + lstOptions);
      QVERIFY(run.ended);
      QVERIFY2(run.exitCode == 0, qPrintable(run.err.join('\n')));
      QCOMPARE(run.messages(), expected);
      QCOMPARE(entityCount(sProject), m_iShopTables);
   }

   // without a display, an import lacking either headless option would open a dialog nobody can answer
   void noDisplayWithoutHeadlessOptions_data()
   {
      QTest::addColumn<QStringList>("lstOptions");
      QTest::newRow("no option") << QStringList();
      QTest::newRow("engine type only") << QStringList("--KelOdbcImport_db_type=5");
      QTest::newRow("data source only") << QStringList("--KelOdbcImport_dsn=" + m_sShopDsn);
      QTest::newRow("empty data source") << QStringList({ "--KelOdbcImport_dsn=", "--KelOdbcImport_db_type=5" });
      QTest::newRow("empty engine type") << QStringList({ "--KelOdbcImport_dsn=" + m_sShopDsn, "--KelOdbcImport_db_type=" });
   }

   void noDisplayWithoutHeadlessOptions()
   {
      QFETCH(QStringList, lstOptions);
      const QString sProject = newProject();
      QVERIFY(runHost(importArgs(sProject, m_sShopDsn, "5")).exitCode == 0);
      const QByteArray before = fileHash(sProject);

      const host_run run = runHost(QStringList({ "--project", sProject, "--import", "KelOdbcImport" }) + lstOptions);
      QVERIFY(run.ended);
      QCOMPARE(run.exitCode, 1);
      QCOMPARE(run.err, QStringList("kelmar: no display for the settings dialog of KelOdbcImport : give --KelOdbcImport_dsn and --KelOdbcImport_db_type to import without it"));
      QCOMPARE(run.messages(), QStringList());
      QCOMPARE(fileHash(sProject), before);
   }

   // without a display and without an import the host prints the project's entities and ends
   void noDisplayPrintsProject()
   {
      const QString sProject = newProject();
      QVERIFY(runHost(importArgs(sProject, m_sShopDsn, "5", { "--KelOdbcImport_namespace=imp" })).exitCode == 0);
      const host_run run = runHost({ "--project", sProject });
      QVERIFY(run.ended);
      QCOMPARE(run.exitCode, 0);
      QCOMPARE(run.out.value(0), QString("Project %1 : %2 entities").arg(sProject).arg(m_iShopTables));
      QStringList lstEntities = run.out.filter(QRegularExpression("^(entity|view) "));
      lstEntities.sort();
      QCOMPARE(lstEntities, QStringList({ "entity imp::customer", "entity imp::order_line", "entity imp::orders", "view   imp::customer_orders" }));
   }

   // each failure: its message on standard error, status 1, no host message and the project as it was
   void failures_data()
   {
      QTest::addColumn<QStringList>("lstImport");
      QTest::addColumn<QString>("expected");
      const QString sNoDriver("Driver={No Such Driver}");
      const QString sNoServer = QString("Driver={FreeTDS};Server=127.0.0.1;Port=%1;TDS_Version=7.4").arg(closedPort());
      const QString sWrongLogin = QString("Driver={MariaDB Unicode};Server=127.0.0.1;Port=%1;Uid=%2;Pwd=not-%3")
                                     .arg(kel_test::env("KEL_TEST_MYSQL_PORT"), kel_test::env("KEL_TEST_MYSQL_USER"), kel_test::env("KEL_TEST_MYSQL_PWD"));
      const bool bMysql = ! kel_test::env("KEL_TEST_MYSQL_PORT").isEmpty();
      QTest::newRow("unknown driver") << QStringList({ sNoDriver, "5" }) << "Error connecting to database : " + kel_test::odbcOpenError(sNoDriver);
      QTest::newRow("server not running") << QStringList({ sNoServer, "4" }) << "Error connecting to database : " + kel_test::odbcOpenError(sNoServer);
      QTest::newRow("wrong password") << QStringList({ sWrongLogin, "2" })
         << (bMysql ? ("Error connecting to database : " + kel_test::odbcOpenError(sWrongLogin)) : QString());
      QTest::newRow("invalid pattern") << QStringList({ m_sShopDsn, "5", "--KelOdbcImport_filter_regexp=(" }) << "No table found after applying regexp : (";
   }

   void failures()
   {
      QFETCH(QStringList, lstImport);
      QFETCH(QString, expected);
      if (QTest::currentDataTag() == QByteArray("wrong password")) { KEL_REQUIRE_MYSQL(); }
      QVERIFY2(! expected.endsWith(" : "), "the driver gave no text to check against");

      // a project that already holds entities
      const QString sProject = newProject();
      const host_run first = runHost(importArgs(sProject, m_sShopDsn, "5"));
      QVERIFY(first.ended && (first.exitCode == 0));
      const QByteArray before = fileHash(sProject);

      const host_run run = runHost(importArgs(sProject, lstImport.at(0), lstImport.at(1), lstImport.mid(2) + QStringList("--KelOdbcImport_delete_namespace=1")));
      QVERIFY(run.ended);
      QCOMPARE(run.exitCode, 1);
      QVERIFY2(run.err.contains(expected), qPrintable(run.err.join('\n')));
      QCOMPARE(run.messages(), QStringList());
      QCOMPARE(fileHash(sProject), before);
   }

   // the project keeps its entities from run to run; only delete_namespace=1 replaces instead of adding
   void secondRun()
   {
      const QString sProject = newProject();
      QList<int> lstCounts;
      for (const QString& sDelete : { "", "1", "true", "1" })
      {
         const host_run run = runHost(importArgs(sProject, m_sShopDsn, "5", { "--KelOdbcImport_delete_namespace=" + sDelete }));
         QVERIFY(run.ended && (run.exitCode == 0));
         lstCounts << entityCount(sProject);
      }
      const int n = m_iShopTables;
      QCOMPARE(lstCounts, QList<int>({ n, n, 2 * n, n }));
   }

   // a project file carries its mark from its creation; someone else's SQLite file is refused and stays as it was
   void projectFile_data()
   {
      QTest::addColumn<QStringList>("lstSetup");   // statements that make the file first; "text" writes a text file
      QTest::addColumn<QString>("sRefusal");       // empty: opened as a project
      QTest::newRow("new file") << QStringList() << QString();
      QTest::newRow("project from before the mark")
         << QStringList({ "CREATE TABLE t_plugin_params (plugin_guid TEXT NOT NULL, param_key TEXT NOT NULL, param_value)",
                          "CREATE TABLE t_entity (entity_id INTEGER PRIMARY KEY AUTOINCREMENT, entity_namespace TEXT NOT NULL, "
                          "entity_name TEXT NOT NULL, description TEXT, generated_by TEXT, definition TEXT NOT NULL)" }) << QString();
      QTest::newRow("someone's data") << QStringList({ "CREATE TABLE customer (id INTEGER PRIMARY KEY)", "INSERT INTO customer VALUES (1)" })
                                      << "is not a Kelmar project : it is a SQLite database with tables of its own (customer) and no project mark";
      QTest::newRow("another application's mark") << QStringList("PRAGMA application_id = 42") << "it belongs to another application (SQLite application_id 42)";
      QTest::newRow("not a database") << QStringList("text") << "is not a Kelmar project : file is not a database";
   }

   void projectFile()
   {
      QFETCH(QStringList, lstSetup);
      QFETCH(QString, sRefusal);
      const QString sProject = newProject();
      if (lstSetup == QStringList("text"))
      {
         QFile file(sProject);
         QVERIFY(file.open(QIODevice::WriteOnly) && (file.write("not a database, but someone's notes\n") > 0));
      }
      else if (! lstSetup.isEmpty()) { QCOMPARE(kel_test::makeSqlite(sProject, lstSetup), QString()); }
      const QByteArray before = fileHash(sProject);

      const host_run run = runHost(importArgs(sProject, m_sShopDsn, "5"));
      QVERIFY(run.ended);
      if (sRefusal.isEmpty())
      {
         QVERIFY2(run.exitCode == 0, qPrintable(run.err.join('\n')));
         QCOMPARE(entityCount(sProject), m_iShopTables);
         QCOMPARE(kel_test::connection(sProject, "QSQLITE").column("PRAGMA application_id"), QStringList(QString::number(0x4B656C6D)));
      }
      else
      {
         QCOMPARE(run.exitCode, 1);
         QVERIFY2(run.err.join('\n').contains(sRefusal), qPrintable(run.err.join('\n')));
         QCOMPARE(fileHash(sProject), before);
      }
   }

   // the dump path is checked before the import: refused, the project is as it was and no entity came twice
   void dumpTables_data()
   {
      QTest::addColumn<QString>("sDump");   // in the test folder; PROJECT stands for the project's own name
      QTest::addColumn<int>("iExitCode");
      QTest::addColumn<QString>("sError");
      QTest::newRow("new file") << "dump.json" << 0 << QString();
      QTest::newRow("nothing read: the earlier dump stays") << "earlier.json" << 1 << "Error connecting to database";
      QTest::newRow("the project") << "PROJECT" << 2 << "is the project file";
      QTest::newRow("the project, another spelling") << "./sub/../PROJECT" << 2 << "is the project file";
      QTest::newRow("a link to the project") << "link.kelmar" << 2 << "is the project file";
      QTest::newRow("another SQLite database") << "other.db" << 2 << "is a SQLite database, not replaced by a dump";
      QTest::newRow("folder that does not exist") << "no/such/dump.json" << 1 << "cannot write";
      QTest::newRow("a folder") << "sub" << 1 << "cannot write";
   }

   void dumpTables()
   {
      QFETCH(QString, sDump);
      QFETCH(int, iExitCode);
      QFETCH(QString, sError);
      const QString sProject = newProject();
      QVERIFY(runHost(importArgs(sProject, m_sShopDsn, "5")).exitCode == 0);
      QVERIFY(QDir(m_dir.path()).mkpath("sub"));
      QFile::remove(m_dir.filePath("link.kelmar"));
      QVERIFY(QFile::link(sProject, m_dir.filePath("link.kelmar")));
      QFile::remove(m_dir.filePath("dump.json"));
      QFile earlier(m_dir.filePath("earlier.json"));
      QVERIFY(earlier.open(QIODevice::WriteOnly) && (earlier.write("{ \"tables\": [] }\n") > 0));
      earlier.close();
      // a source that does not exist: the import fails before it reads a table
      const QString sSource = (sDump.startsWith("earlier") ? kel_test::sqliteDsn(m_dir.filePath("missing.db")) : m_sShopDsn);
      const QString sDumpPath = m_dir.path() + "/" + QString(sDump).replace("PROJECT", QFileInfo(sProject).fileName());
      const QByteArray projectBefore = fileHash(sProject), dumpBefore = fileHash(sDumpPath);

      const host_run run = runHost(importArgs(sProject, sSource, "5") + QStringList({ "--dump-tables", sDumpPath }));
      QVERIFY(run.ended);
      QCOMPARE(run.exitCode, iExitCode);
      if (sError.isEmpty())
      {
         QCOMPARE(entityCount(sProject), 2 * m_iShopTables);
         QFile dump(sDumpPath);
         QVERIFY(dump.open(QIODevice::ReadOnly));
         QCOMPARE(QJsonDocument::fromJson(dump.readAll()).object().value("tables").toArray().count(), m_iShopTables);
      }
      else
      {
         QVERIFY2(run.err.join('\n').contains(sError), qPrintable(run.err.join('\n')));
         QCOMPARE(fileHash(sProject), projectBefore);
         QCOMPARE(fileHash(sDumpPath), dumpBefore);
      }
   }

   // an import that fails in the project still reloads and reports 0, and takes nothing away
   void failingImportReportsZero()
   {
      const QString sProject = newProject();
      QVERIFY(runHost(importArgs(sProject, m_sShopDsn, "5")).exitCode == 0);
      const int iBefore = entityCount(sProject);
      QCOMPARE(kel_test::makeSqlite(sProject, { "CREATE TRIGGER refuse BEFORE INSERT ON t_entity BEGIN SELECT RAISE(ABORT, 'project is read-only'); END" }), QString());

      const host_run run = runHost(importArgs(sProject, m_sShopDsn, "5", { "--KelOdbcImport_delete_namespace=1" }));
      QVERIFY(run.ended);
      QCOMPARE(run.exitCode, 1);
      QVERIFY2(run.err.join('\n').contains("project is read-only"), qPrintable(run.err.join('\n')));
      QCOMPARE(run.messages(), QStringList({ "Organize diagram layout", finalMessage(0) }));
      QCOMPARE(entityCount(sProject), iBefore);
   }
};

QTEST_MAIN(tst_headless_host)
#include "tst_headless_host.moc"
