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

#include <csignal>

#include <sys/stat.h>

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
   QString errors() const { return err.join('\n'); }
};

/** Runs the host without any display, so that it must choose the offscreen platform itself; iFileBlocks: no file it writes may grow beyond that many 512-byte blocks (a full disk). */
host_run runHost(const QStringList& lstArgs, int iFileBlocks = 0)
{
   QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
   for (const char* name : { "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY" }) { env.remove(name); }
   env.insert("QT_FORCE_STDERR_LOGGING", "1");
   QProcess process;
   process.setProcessEnvironment(env);
   // beyond the limit a write is short and fails (EFBIG), SIGXFSZ being ignored from here on
   if (iFileBlocks > 0) { ::signal(SIGXFSZ, SIG_IGN); }
   if (iFileBlocks > 0) { process.start("sh", QStringList({ "-c", QString("ulimit -f %1; exec \"$@\"").arg(iFileBlocks), "sh", QString(KEL_HOST_FILE) }) + lstArgs); }
   else { process.start(QString(KEL_HOST_FILE), lstArgs); }
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
   // a pipe is not opened: reading it would wait for a writer
   return (QFileInfo(sFile).isFile() && file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256) : QByteArray());
}

/** Entities in the project file that a run left (-1 when it has none). */
int entityCount(const QString& sProject) { return kel_test::connection(sProject, "QSQLITE").column("SELECT count(*) FROM t_entity").value(0, "-1").toInt(); }

QString finalMessage(int iCount) { return QString("ODBC plugin import process to current project finished (%1 entities imported)").arg(iCount); }

} // namespace

class tst_headless_host : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;
   QString m_sShopDsn, m_sFilled;
   const int m_iShopTables = 4;
   int m_iProject = 0;

   QString newProject() { return m_dir.filePath(QString("project_%1.kelmar").arg(++m_iProject)); }

   /** A copy of a project that holds the shop's entities (empty when the copy fails). */
   QString filledProject()
   {
      const QString sProject = newProject();
      return (QFile::copy(m_sFilled, sProject) ? sProject : QString());
   }

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
         "CREATE VIEW customer_orders AS SELECT c.name, o.id FROM customer c JOIN orders o ON o.customer_id = c.id",
         // a view of a dropped table: left out, and said
         "CREATE TABLE gone (x INT)", "CREATE VIEW v_broken AS SELECT x FROM gone", "DROP TABLE gone" }), QString());
      m_sShopDsn = kel_test::sqliteDsn(m_dir.filePath("shop.db"));
      QCOMPARE(kel_test::makeSqlite(m_dir.filePath("other.db"), { "CREATE TABLE notes (line TEXT)" }), QString());
      m_sFilled = m_dir.filePath("filled.kelmar");
      QCOMPARE(runHost(importArgs(m_sFilled, m_sShopDsn, "5")).exitCode, 0);
   }

   // One entity per table, under the namespace given, and the count before and after. The SQL Server
   // and Oracle catalogues are made from Sakila's scripts and served by the PostgreSQL test server.
   void engines_data()
   {
      QTest::addColumn<QString>("sNeeds");
      QTest::addColumn<QString>("sDsn");   // for SQL Server and Oracle: the script
      QTest::addColumn<QString>("sType");
      QTest::addColumn<QString>("sCatalogue");
      QTest::newRow("SQLite shop") << "" << m_sShopDsn << "5" << "SELECT name FROM sqlite_master WHERE type IN ('table', 'view') AND name NOT LIKE 'sqlite_%' AND name <> 'v_broken'";
      QTest::newRow("SQLite shop, generic") << "" << m_sShopDsn << "0" << "SELECT name FROM sqlite_master WHERE type IN ('table', 'view') AND name <> 'v_broken'";
      QTest::newRow("PostgreSQL Sakila") << "KEL_TEST_SAKILA_PG_DB" << kel_test::postgresqlDsn(kel_test::env("KEL_TEST_SAKILA_PG_DB")) << "1"
         << "SELECT table_name FROM information_schema.tables WHERE table_schema NOT IN ('pg_catalog', 'information_schema')";
      QTest::newRow("MariaDB Sakila") << "KEL_TEST_SAKILA_MYSQL_DB" << kel_test::mysqlDsn(kel_test::env("KEL_TEST_SAKILA_MYSQL_DB")) << "2"
         << "SELECT table_name FROM information_schema.tables WHERE table_schema = DATABASE()";
      QTest::newRow("SQL Server Sakila") << "KEL_TEST_PG_PORT" << "sql-server-sakila-schema.sql" << "4" << "";
      QTest::newRow("Oracle Sakila") << "KEL_TEST_PG_PORT" << "oracle-sakila-schema.sql" << "3" << "";
   }

   void engines()
   {
      QFETCH(QString, sNeeds);
      QFETCH(QString, sDsn);
      QFETCH(QString, sType);
      QFETCH(QString, sCatalogue);
      if (! sNeeds.isEmpty()) { KEL_REQUIRE(! kel_test::env(qPrintable(sNeeds)).isEmpty(), sNeeds + " (run through tests/services/with_servers.sh)"); }
      QStringList lstExpected;
      if (sCatalogue.isEmpty())
      {
         QFile file(kel_test::sakilaDir() + "/" + sDsn);
         const bool bOpen = file.open(QIODevice::ReadOnly);
         KEL_REQUIRE(bOpen, "Sakila fixtures in " + kel_test::sakilaDir());
         const bool bOracle = (sType == "3");
         const auto schema = kel_emulation::ddl_reader(bOracle ? kel_emulation::dialect::oracle : kel_emulation::dialect::mssqlserver, bOracle ? "SAKILA" : "dbo")
                                .read(QString::fromUtf8(file.readAll()));
         const QString sDatabase = "kel_headless_sakila_" + sType;
         QCOMPARE(kel_test::createDatabase(kel_test::k_postgresql, sDatabase, bOracle ? kel_emulation::oracleCatalogue(schema) : kel_emulation::sqlServerCatalogue(schema)), QString());
         for (const kel_emulation::table_def& table : schema) { lstExpected.append(table.name); }
         QCOMPARE(lstExpected.count(), 21);
         sDsn = kel_test::postgresqlDsn(sDatabase);
      }
      else { lstExpected = kel_test::connection(sDsn).column(sCatalogue); }
      lstExpected.sort();
      QVERIFY(! lstExpected.isEmpty());

      const QString sProject = newProject();
      const host_run run = runHost(importArgs(sProject, sDsn, sType, { "--KelOdbcImport_namespace=imp" }));
      QVERIFY(run.ended);
      QVERIFY2(run.exitCode == 0, qPrintable(run.errors()));
      kel_test::connection project(sProject, "QSQLITE");
      QStringList lstNames = project.column("SELECT entity_name FROM t_entity");
      lstNames.sort();
      QCOMPARE(lstNames, lstExpected);
      QCOMPARE(project.column("SELECT count(*) FROM t_entity WHERE entity_namespace <> 'imp' AND entity_namespace NOT LIKE 'imp::%'"), QStringList("0"));
      QCOMPARE(run.out.value(0), QString("Project %1 : 0 entities").arg(sProject));
      QVERIFY(run.out.contains(finalMessage(lstExpected.count())));
      QCOMPARE(run.out.filter(" is left out : ").value(0).left(18), QString((sDsn == m_sShopDsn) ? "View 'v_broken' is" : ""));
   }

   // Runs into one project: each run replaces the entities of the same names (the first adds them), organise is on unless
   // given other than 1; without an import, the host prints the project's entities and ends; an import
   // that fails in the project still reloads and reports 0, exits 1 and takes nothing away.
   void runAfterRun()
   {
      const QString sProject = newProject();
      const int n = m_iShopTables;
      const QStringList lstOrganized({ "Organize diagram layout", finalMessage(n) });
      const QList<std::tuple<QString, QStringList, int, QStringList>> lstRuns = {
         { "", {}, n, lstOrganized },
         { "1", { "--KelOdbcImport_organize_diagram=0" }, n, { finalMessage(n) } },
         { "true", { "--KelOdbcImport_organize_diagram=yes" }, n, { finalMessage(n) } },
         { "1", { "--KelOdbcImport_organize_diagram=1" }, n, lstOrganized },
         { "0", { "--KelOdbcImport_organize_diagram=" }, n, lstOrganized } };
      for (const auto& [sDelete, lstOrganize, iCount, lstMessages] : lstRuns)
      {
         const host_run run = runHost(importArgs(sProject, m_sShopDsn, "5", QStringList({ "--KelOdbcImport_namespace=imp", "--KelOdbcImport_delete_namespace=" + sDelete }) + lstOrganize));
         QVERIFY2(run.ended && (run.exitCode == 0), qPrintable(run.errors()));
         QCOMPARE(run.messages(), lstMessages);
         QCOMPARE(entityCount(sProject), iCount);
         const int iAdded = ((&sDelete == &std::get<0>(lstRuns.first())) ? n : 0);
         QVERIFY2(run.out.contains(QString("%1 entities added, %2 replaced").arg(iAdded).arg(n - iAdded)), qPrintable(run.out.join('\n')));
      }
      const host_run run = runHost({ "--project", sProject });
      QVERIFY(run.ended);
      QCOMPARE(run.exitCode, 0);
      QCOMPARE(run.out.value(0), QString("Project %1 : %2 entities").arg(sProject).arg(n));
      QStringList lstEntities = run.out.filter(QRegularExpression("^(entity|view) "));
      lstEntities.sort();
      QCOMPARE(lstEntities, QStringList({ "entity imp::customer", "entity imp::order_line", "entity imp::orders", "view   imp::customer_orders" }));

      // another program reads the project in a transaction: every write succeeds, the commit cannot; then a trigger refuses
      for (const QString sRefusal : { "database is locked", "project is read-only" })
      {
         kel_test::connection reader(sProject, "QSQLITE");
         if (sRefusal.startsWith("database")) { QVERIFY(reader.db()->transaction() && (reader.column("SELECT count(*) FROM t_entity").count() == 1)); }
         else { QCOMPARE(reader.exec({ "CREATE TRIGGER refuse BEFORE UPDATE ON t_entity BEGIN SELECT RAISE(ABORT, 'project is read-only'); END" }), QString()); }
         const host_run refused = runHost(importArgs(sProject, m_sShopDsn, "5", { "--KelOdbcImport_namespace=imp", "--KelOdbcImport_delete_namespace=1" }));
         reader.db()->rollback();
         QVERIFY(refused.ended);
         QCOMPARE(refused.exitCode, 1);
         QVERIFY2(refused.errors().contains(sRefusal), qPrintable(refused.errors()));
         QCOMPARE(refused.messages(), lstOrganized.mid(0, 1) + QStringList(finalMessage(0)));
         QCOMPARE(entityCount(sProject), n);
      }
   }

   // Each refusal: its message on standard error, status 1, no host message and the project as it was.
   // Without a display, an import lacking either headless option would open a dialog nobody can answer.
   void failures_data()
   {
      QTest::addColumn<QStringList>("lstOptions");
      QTest::addColumn<QString>("expected");
      const QString sNoDisplay("kelmar: no display for the settings dialog of KelOdbcImport : give --KelOdbcImport_dsn and --KelOdbcImport_db_type to import without it");
      QTest::newRow("no option") << QStringList() << sNoDisplay;
      QTest::newRow("engine type only") << QStringList("--KelOdbcImport_db_type=5") << sNoDisplay;
      QTest::newRow("data source only") << QStringList("--KelOdbcImport_dsn=" + m_sShopDsn) << sNoDisplay;
      QTest::newRow("empty data source") << QStringList({ "--KelOdbcImport_dsn=", "--KelOdbcImport_db_type=5" }) << sNoDisplay;
      QTest::newRow("empty engine type") << QStringList({ "--KelOdbcImport_dsn=" + m_sShopDsn, "--KelOdbcImport_db_type=" }) << sNoDisplay;
      const QString sNoDriver("Driver={No Such Driver}");
      QTest::newRow("unknown driver") << QStringList(kel_test::importArgs(sNoDriver, "5").mid(1)) << "Error connecting to database : " + kel_test::odbcOpenError(sNoDriver);
      // the plug-in's command line is wrong: status 2
      QTest::newRow("invalid pattern") << QStringList(kel_test::importArgs(m_sShopDsn, "5", { "--KelOdbcImport_filter_regexp=(" }).mid(1))
                                       << "--KelOdbcImport_filter_regexp : '(' is not a valid regular expression : unexpected end";
   }

   void failures()
   {
      QFETCH(QStringList, lstOptions);
      QFETCH(QString, expected);
      QVERIFY2(! expected.endsWith(" : "), "the driver gave no text to check against");
      const QString sProject = filledProject();
      QVERIFY(! sProject.isEmpty());
      const QByteArray before = fileHash(sProject);

      const host_run run = runHost(QStringList({ "--project", sProject, "--import", "KelOdbcImport", "--KelOdbcImport_delete_namespace=1" }) + lstOptions);
      QVERIFY(run.ended);
      QCOMPARE(run.exitCode, expected.startsWith("--KelOdbcImport_") ? 2 : 1);
      QVERIFY2(run.err.contains(expected), qPrintable(run.errors()));
      QCOMPARE(run.messages(), QStringList());
      QCOMPARE(fileHash(sProject), before);
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
      QTest::newRow("locked by another program") << QStringList({ "PRAGMA user_version = 1", "BEGIN EXCLUSIVE" }) << "is locked by another program : database is locked";
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
      kel_test::connection other(lstSetup.isEmpty() ? QString(":memory:") : sProject, "QSQLITE");   // another program: its exclusive lock stays until the run ended
      const QStringList lstLock = lstSetup.filter("BEGIN EXCLUSIVE");
      if (lstSetup != QStringList("text")) { QCOMPARE(other.exec(lstSetup.mid(0, lstSetup.count() - lstLock.count())), QString()); }
      const QByteArray before = fileHash(sProject);
      // after the hash: closing any descriptor of the file would end this process's locks on it
      QCOMPARE(other.exec(lstLock), QString());

      const host_run run = runHost(importArgs(sProject, m_sShopDsn, "5"));
      other.exec({ "ROLLBACK" });
      QVERIFY(run.ended);
      if (sRefusal.isEmpty())
      {
         QVERIFY2(run.exitCode == 0, qPrintable(run.errors()));
         QCOMPARE(entityCount(sProject), m_iShopTables);
         QCOMPARE(kel_test::connection(sProject, "QSQLITE").column("PRAGMA application_id"), QStringList(QString::number(0x4B656C6D)));
      }
      else
      {
         QCOMPARE(run.exitCode, 1);
         QVERIFY2(run.errors().contains(sRefusal), qPrintable(run.errors()));
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
      QTest::newRow("a folder") << "sub" << 2 << "is not a regular file";
      QTest::newRow("a pipe") << "pipe" << 2 << "is not a regular file";
      // files may grow to 60 KiB: the project of the wide table does (40 KiB), its dump (80 KiB) does not; the import is kept, the earlier dump stays
      QTest::newRow("a short write") << "earlier.json" << 1 << "cannot write";
   }

   void dumpTables()
   {
      QFETCH(QString, sDump);
      QFETCH(int, iExitCode);
      QFETCH(QString, sError);
      const QString sProject = filledProject();
      QVERIFY(QDir(m_dir.path()).mkpath("sub"));
      QFile::remove(m_dir.filePath("link.kelmar"));
      QVERIFY(QFile::link(sProject, m_dir.filePath("link.kelmar")));
      QFile::remove(m_dir.filePath("dump.json"));
      QFile earlier(m_dir.filePath("earlier.json"));
      QVERIFY(earlier.open(QIODevice::WriteOnly) && (earlier.write("{ \"tables\": [] }\n") > 0));
      earlier.close();
      const bool bShort = (QTest::currentDataTag() == QByteArray("a short write"));
      QStringList lstWide;
      for (int i = 0; i < 200; ++i) { lstWide << QString("column_number_%1 INTEGER NOT NULL DEFAULT 0").arg(i); }
      QCOMPARE(kel_test::makeSqlite(m_dir.filePath("wide.db"), { "CREATE TABLE IF NOT EXISTS wide (" + lstWide.join(", ") + ")" }), QString());
      QVERIFY(QFileInfo::exists(m_dir.filePath("pipe")) || (::mkfifo(QFile::encodeName(m_dir.filePath("pipe")).constData(), 0600) == 0));
      // a source that does not exist: the import fails before it reads a table
      const QString sSource = (bShort ? kel_test::sqliteDsn(m_dir.filePath("wide.db")) : (sDump.startsWith("earlier") ? kel_test::sqliteDsn(m_dir.filePath("missing.db")) : m_sShopDsn));
      const QString sDumpPath = m_dir.path() + "/" + QString(sDump).replace("PROJECT", QFileInfo(sProject).fileName());
      const QByteArray projectBefore = fileHash(sProject), dumpBefore = fileHash(sDumpPath);

      const host_run run = runHost(importArgs(sProject, sSource, "5") + QStringList({ "--dump-tables", sDumpPath }), bShort ? 120 : 0);
      QVERIFY(run.ended);
      QCOMPARE(run.exitCode, iExitCode);
      if (sError.isEmpty())
      {
         QCOMPARE(entityCount(sProject), m_iShopTables);
         QFile dump(sDumpPath);
         QVERIFY(dump.open(QIODevice::ReadOnly));
         QCOMPARE(QJsonDocument::fromJson(dump.readAll()).object().value("tables").toArray().count(), m_iShopTables);
      }
      else
      {
         QVERIFY2(run.errors().contains(sError), qPrintable(run.errors()));
         QCOMPARE(fileHash(sProject) == projectBefore, ! bShort);
         QCOMPARE(fileHash(sDumpPath), dumpBefore);
         QCOMPARE(QFileInfo(sDumpPath).isFile(), ! sDump.contains(QRegularExpression("^(sub|pipe|no/)")));
      }
   }
};

QTEST_MAIN(tst_headless_host)
#include "tst_headless_host.moc"
