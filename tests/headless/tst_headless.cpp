// Headless imports: in process as the host runs them (the plug-in loaded with QPluginLoader, a main window
// holding the command line, an open project and a generic importer), and the host program run as a user
// runs it, without a display, one process per command line. The first-call flag lives as long as the
// loaded module: importFlow is the only function here that imports in process.
#include <QtTest>

#include <csignal>

#include <sys/stat.h>

#include <context/ctx_global.h>
#include <context/ctx_project.h>
#include <plugin/import_interface.h>
#include <undo_redo/undo_base.h>
#include <view/main_wnd.h>

#include "modal_watch.h"
#include "test_env.h"

namespace {

QByteArray fileHash(const QString& sFile)
{
   QFile file(sFile);
   // a pipe is not opened: reading it would wait for a writer
   return (QFileInfo(sFile).isFile() && file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256) : QByteArray());
}

/** Whether another program holds sFile locked: a read that may not wait fails. */
bool isLocked(const QString& sFile)
{
   bool bLocked = false;
   {
      QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "kel_lock_probe");
      db.setDatabaseName(sFile);
      db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=0");
      bLocked = (db.open() && ! QSqlQuery("SELECT count(*) FROM sqlite_master", db).isActive());
      db.close();
   }
   QSqlDatabase::removeDatabase("kel_lock_probe");
   return bLocked;
}

QString finished(int iCount) { return QString("ODBC plugin import process to current project finished (%1 entities imported)").arg(iCount); }

} // namespace

class tst_headless : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;
   QPluginLoader m_loader;
   plugin::import_interface* m_pPlugin = nullptr;
   view::main_wnd m_wnd;
   std::shared_ptr<plugin::generic_importer> m_pImporter;
   QString m_sDsn, m_sFilled;
   QStringList m_lstEvents;
   int m_iProject = 0;

   /** Imports with a new generic importer (or none); a settings dialog that opens is cancelled and named first in the events. */
   vx::VxBool runImport(bool bImporter = true)
   {
      m_lstEvents.clear();
      m_pImporter = (bImporter ? std::make_shared<plugin::generic_importer>() : nullptr);
      m_pPlugin->setGenericImporter(m_pImporter);
      const kel_test::modal_watch watch;
      const vx::VxBool result = m_pPlugin->importProject(*context::ctx_project::getProject());
      m_lstEvents = watch.dialogs + m_lstEvents;
      return result;
   }

   static QList<model::entity> entities() { return context::ctx_project::getProject()->getEntities(); }

   /** Runs the host with no display, so that it must choose the offscreen platform itself; iFileBlocks: the largest file it may write, in 512-byte blocks (0: no limit). */
   int runHost(const QStringList& lstArgs, int iFileBlocks, QString& sOutput)
   {
      QProcess process;
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
      for (const char* name : { "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY" }) { env.remove(name); }
      process.setProcessEnvironment(env);
      process.setProcessChannelMode(QProcess::MergedChannels);
      // beyond the limit a write is short and fails (EFBIG), SIGXFSZ being ignored from here on
      ::signal(SIGXFSZ, SIG_IGN);
      process.start("sh", QStringList({ "-c", QString("ulimit -f %1; exec \"$@\"").arg((iFileBlocks > 0) ? QString::number(iFileBlocks) : QString("unlimited")), "sh", QString(KEL_HOST_FILE) }) + lstArgs);
      // a guard against a hang, not a measure
      const bool bEnded = process.waitForFinished(120000) && (process.exitStatus() == QProcess::NormalExit);
      if (! bEnded) { process.kill(); process.waitForFinished(); }
      sOutput = QString::fromLocal8Bit(process.readAll());
      return (bEnded ? process.exitCode() : -1);
   }

private Q_SLOTS:
   void initTestCase()
   {
      QVERIFY(m_dir.isValid() && QDir(m_dir.path()).mkpath("sub"));
      QVERIFY(::mkfifo(QFile::encodeName(m_dir.filePath("pipe")).constData(), 0600) == 0);
      // AUTOINCREMENT adds SQLite's own sqlite_sequence, which no reader imports; a view of a dropped
      // table is left out, and said
      QCOMPARE(kel_test::makeSqlite(m_dir.filePath("shop.db"), { "CREATE TABLE customer (customer_id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL DEFAULT 'none')",
         "CREATE TABLE customer_note (note_id INTEGER PRIMARY KEY, customer_id INT REFERENCES customer (customer_id))",
         "CREATE TABLE CustomerLog (log_id INTEGER PRIMARY KEY, entry TEXT)", "CREATE TABLE orders (order_id INTEGER PRIMARY KEY, customer_id INT)",
         "CREATE VIEW v_customer AS SELECT name FROM customer", "CREATE TABLE gone (x INT)", "CREATE VIEW v_broken AS SELECT x FROM gone", "DROP TABLE gone" }), QString());
      m_sDsn = kel_test::sqliteDsn(m_dir.filePath("shop.db"));
      QCOMPARE(kel_test::makeSqlite(m_dir.filePath("empty.db"), {}), QString());
      // public.customer and sales.customer: the same name, one of them in a namespace
      QVERIFY(kel_test::env("KEL_TEST_PG_PORT").isEmpty() || kel_test::createDatabase(kel_test::k_postgresql, "kel_headless_ns", { "CREATE SCHEMA sales",
         "CREATE TABLE customer (id INT PRIMARY KEY)", "CREATE TABLE sales.customer (id INT PRIMARY KEY)", "CREATE TABLE sales.orders (id INT PRIMARY KEY)" }).isEmpty());
      QStringList lstWide;
      for (int i = 0; i < 200; ++i) { lstWide << QString("column_number_%1 INTEGER NOT NULL DEFAULT 0").arg(i); }
      QCOMPARE(kel_test::makeSqlite(m_dir.filePath("wide.db"), { "CREATE TABLE wide (" + lstWide.join(", ") + ")" }), QString());
      // the shop imported once, without a namespace, as scripts/run.sh does
      m_sFilled = m_dir.filePath("filled.kelmar");
      QString sOutput;
      QVERIFY2(runHost({ "--project", m_sFilled, "--import", "KelOdbcImport", "--KelOdbcImport_dsn=" + m_sDsn, "--KelOdbcImport_db_type=5" }, 0, sOutput) == 0, qPrintable(sOutput));

      QVERIFY(context::ctx_project::openProject(m_dir.filePath("project.kelmar")).getValue());
      QVERIFY(context::ctx_project::getProject()->addEntities({ model::entity{ "legacy", "kept" } }).getValue());
      context::ctx_global::setMainWnd(&m_wnd);
      m_loader.setFileName(QString(KEL_PLUGIN_FILE));
      QVERIFY2(m_loader.load(), qPrintable(m_loader.errorString()));
      m_pPlugin = qobject_cast<plugin::import_interface*>(m_loader.instance());
      QVERIFY(m_pPlugin);
      // each signal as a line, marked when the host's in-event flag is held during it
      auto record = [this](const QString& sEvent) { m_lstEvents << sEvent + (undo_redo::undo_base::m_bCreateUndoRedoInEvent ? " (in event)" : ""); };
      connect(m_pPlugin, &plugin::base_interface::onMessage, this, [record](const QString& sMessage, int iType, int iTimeout)
              { record(QString("message %1 %2 '%3'").arg(iType).arg(iTimeout).arg(sMessage.section(" :", 0, 0))); });
      connect(m_pPlugin, &plugin::base_interface::onReloadProject, this, [record]() { record("reload"); });
      connect(m_pPlugin, &plugin::base_interface::onOrganizeLayout, this, [record]() { record("organize"); });
   }

   void cleanupTestCase()
   {
      context::ctx_global::setMainWnd(nullptr);
      context::ctx_project::closeProject();
   }

   // only the first import that finds a main window and a generic importer runs headless: the warning said, then
   // reload, layout and count under the host's flag, one undo step; the calls around it open the settings dialog
   void importFlow()
   {
      m_wnd.setAppArgs(kel_test::importArgs(m_sDsn, "5", { "--KelOdbcImport_filter_regexp=^(customer|orders|v_broken)$", "--KelOdbcImport_namespace=shop" }));
      QCOMPARE(runImport(false).getDesc(), QString("Generic importer process is not defined"));
      QCOMPARE(m_lstEvents, QStringList());
      context::ctx_global::setMainWnd(nullptr);
      QVERIFY(runImport().getValue());
      context::ctx_global::setMainWnd(&m_wnd);
      QCOMPARE(m_lstEvents, QStringList("view::wnd_odbc_import"));

      const QList<model::entity> lstBefore = entities();
      const QStringList lstConnections = QSqlDatabase::connectionNames();
      const vx::VxBool result = runImport();
      QVERIFY2(result.getValue(), qPrintable(result.getDesc()));
      // every table handed over carries the namespace option for the host's importer
      QCOMPARE(m_pImporter->getListOfTables()->count(), 2L);
      for (long i = 0; i < m_pImporter->getListOfTables()->count(); ++i) { QCOMPARE(m_pImporter->getListOfTables()->getByIndex(i)->getMetaData("TABLE_ROOT_NAMESPACE").toString(), QString("shop")); }
      QCOMPARE(QSqlDatabase::connectionNames(), lstConnections); // the read closed its connection
      const QList<model::entity> lstAfter = entities();
      QStringList lstImported;
      for (const model::entity& e : lstAfter.mid(lstBefore.count())) { lstImported << (e.fullName() + " by " + e.generatedBy); }
      QCOMPARE(lstImported, QStringList({ "shop::customer by KEL_GENERATED_BY_ODBC_IMPORT_PLUGIN", "shop::orders by KEL_GENERATED_BY_ODBC_IMPORT_PLUGIN" }));
      QCOMPARE(m_lstEvents, QStringList({ "message 2 0 'View 'v_broken' is left out'", "reload (in event)", "message 1 10000 'Organize diagram layout' (in event)",
                                          "organize (in event)", "message 1 10000 '" + finished(2) + "' (in event)" }));
      QVERIFY(! undo_redo::undo_base::m_bCreateUndoRedoInEvent);
      m_wnd.getUndoStack()->undo();
      QVERIFY(entities() == lstBefore);
      m_wnd.getUndoStack()->redo();
      QVERIFY(entities() == lstAfter);

      QVERIFY(runImport().getValue());
      QCOMPARE(m_lstEvents, QStringList("view::wnd_odbc_import"));
      QVERIFY(! m_pImporter->getListOfTables() && (m_wnd.getUndoStack()->count() == 1) && (entities() == lstAfter));
   }

   // an interrupted host takes its reading program with it, however long the read would still wait
   void interrupted_data()
   {
      QTest::addColumn<int>("iSignal");
      QTest::newRow("SIGINT") << int(SIGINT);
      QTest::newRow("SIGTERM") << int(SIGTERM);
   }
   void interrupted()
   {
      QFETCH(int, iSignal);
      const QString sSource = m_dir.filePath(QString("held_%1.db").arg(iSignal));
      QFile::remove(sSource);
      QVERIFY(QFile::copy(m_dir.filePath("shop.db"), sSource));
      QProcess holder;
      holder.start("sh", { "-c", "(echo 'BEGIN EXCLUSIVE;'; sleep 20; echo 'COMMIT;') | sqlite3 \"$0\"", sSource });
      QVERIFY(holder.waitForStarted());
      QTRY_VERIFY_WITH_TIMEOUT(isLocked(sSource), 10000);
      const QByteArray sMark = "KEL_TEST_MARK=" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
      // a test run in the background inherits SIGINT ignored, and would hand that on: a terminal's Ctrl+C is meant
      ::signal(iSignal, SIG_DFL);
      QProcess host;
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
      env.insert(QString::fromLatin1(sMark.split('=').at(0)), QString::fromLatin1(sMark.split('=').at(1)));
      host.setProcessEnvironment(env);
      host.start(KEL_HOST_FILE, QStringList({ "--project", m_dir.filePath(QString("held_%1.kelmar").arg(iSignal)), "--import", "KelOdbcImport" })
                                   + kel_test::importArgs(kel_test::sqliteDsn(sSource) + ";Timeout=30000", "5", {}).mid(1));
      QTRY_COMPARE_WITH_TIMEOUT(kel_test::readingPrograms(sMark), 1, 10000);
      ::kill(static_cast<pid_t>(host.processId()), iSignal);
      QVERIFY(host.waitForFinished(5000));
      QTRY_COMPARE_WITH_TIMEOUT(kel_test::readingPrograms(sMark), 0, 2000);
      holder.kill();
      holder.waitForFinished();
   }

   void commandLine_data()
   {
      QTest::addColumn<QString>("sSetup");       // the project: "new", "filled" (the shop imported), "read" or "locked" by another program, "filled, 60 KiB files";
                                                 // "source locked": the database read, by another program for a while
      QTest::addColumn<QStringList>("lstArgs");  // PROJECT and DIR stand for the project and the test folder
      QTest::addColumn<int>("iExit");
      QTest::addColumn<QStringList>("lstSays");  // "!text": never said
      QTest::addColumn<int>("iEntities");        // in the project (and the dump) after; -1: the project file and the dump as they were
      const QStringList lstImport({ "--project", "PROJECT", "--import", "KelOdbcImport" });
      const auto shop = [&](const QStringList& lstMore, const QString& sDsn = QString(), const QString& sType = "5") {
         return lstImport + kel_test::importArgs(sDsn.isEmpty() ? m_sDsn : sDsn, sType, lstMore).mid(1); };
      const QString sNs = kel_test::postgresqlDsn("kel_headless_ns"), sNoDriver("Driver={No Such Driver}");
      QTest::newRow("no arguments: the help") << "new" << QStringList() << 0 << QStringList({ "Usage: kelmar --project FILE", "Options of KelOdbcImport:" }) << -1;
      QTest::newRow("SQLite shop") << "new" << shop({ "--KelOdbcImport_namespace=imp" }) << 0 << QStringList({ "View 'v_broken' is left out : ", "Organize diagram layout", finished(5), "view   imp::v_customer" }) << 5;
      QTest::newRow("PostgreSQL Sakila") << "new" << shop({}, kel_test::postgresqlDsn(kel_test::env("KEL_TEST_SAKILA_PG_DB")), "1") << 0 << QStringList(finished(28)) << 28;
      QTest::newRow("MariaDB Sakila") << "new" << shop({}, kel_test::mysqlDsn(kel_test::env("KEL_TEST_SAKILA_MYSQL_DB")), "2") << 0 << QStringList(finished(23)) << 23;
      // every option, the first occurrence counts, whole names only; a repeated SQL type keeps its first C++ type, incomplete pairs go
      QTest::newRow("options") << "new" << shop({ "--KelOdbcImport_import_default_value=1", "--KelOdbcImport_boost_optional=1",
         "--KelOdbcImport_namespace=app::db_1", "--KelOdbcImport_namespace=second", "--KelOdbcImport_relation_decoration=2", "--KelOdbcImport_relation_decoration=1",
         "--KelOdbcImport_relation_collection=3", "--KelOdbcImport_mapping_sql_to_cpp=;TEXT~std::string;;TEXT~QByteArray;INT~;~x;a~b~c" }) << 0
         << QStringList({ "std::string name   [not null, default 'none']", "boost::optional<long long> customer_id", "QSharedPointer<app::db_1::customer> customer ",
                          "std::list<QSharedPointer<app::db_1::customer_note>> list_of_customer_note ", "entity app::db_1::customer\n" }) << 5;
      QTest::newRow("verbose, password masked") << "new" << shop({ "--KelOdbcImport_verbose=1" }, m_sDsn + ";PWD=s3cret") << 0 << QStringList({ "connect to database (", "PWD=", "!s3cret" }) << 5;
      QTest::newRow("flags false for any text but 1") << "new" << shop({ "--KelOdbcImport_import_default_value=true", "--KelOdbcImport_boost_optional=yes" }) << 0
                                                      << QStringList({ "!default", "!optional" }) << 5;
      // the generic reader, for engine type 0 or any unknown one, leaves SQLite's own sqlite_sequence out too
      QTest::newRow("generic reader") << "new" << shop({}, m_sDsn, "0") << 0 << QStringList({ "View 'v_broken' is left out : ", "!entity sqlite_sequence",
         "The server is SQLite, which has a reader of its own (database type \"SQLite\"): it reads the whole catalogue in a few queries and knows the engine's own types" }) << 5;
      QTest::newRow("unknown engine type") << "new" << shop({}, m_sDsn, "7") << 0 << QStringList({ "View 'v_broken' is left out : ", "!entity sqlite_sequence" }) << 5;
      // the table filter, anywhere in the name, case-sensitive; on PostgreSQL it sees namespace "." name
      QTest::newRow("filter *") << "new" << shop({ "--KelOdbcImport_filter_regexp=*" }) << 0 << QStringList(finished(5)) << 5;
      QTest::newRow("filter ^cust") << "new" << shop({ "--KelOdbcImport_filter_regexp=^cust", "--KelOdbcImport_namespace=ns" }) << 0 << QStringList({ "entity ns::customer\n", "entity ns::customer_note\n" }) << 2;
      QTest::newRow("filter cust") << "new" << shop({ "--KelOdbcImport_filter_regexp=cust" }) << 0 << QStringList("view   v_customer") << 3;
      QTest::newRow("filter ^cust, namespaced") << "new" << shop({ "--KelOdbcImport_filter_regexp=^cust" }, sNs, "1") << 0 << QStringList("entity customer\n") << 1;
      QTest::newRow("filter ^sales\\., namespaced") << "new" << shop({ "--KelOdbcImport_filter_regexp=^sales\\.", "--KelOdbcImport_verbose=1" }, sNs, "1") << 0
         << QStringList({ "entity sales::customer\n", "entity sales::orders\n", "database tables/views found (3)", "table 'customer' doesn't match regexp '^sales\\.'" }) << 2;
      QTest::newRow("filter keeping nothing") << "filled" << shop({ "--KelOdbcImport_filter_regexp=^nothing" }) << 1 << QStringList("No table found after applying regexp : ^nothing") << -1;
      QTest::newRow("run again, delete_namespace without namespace: replaced, not doubled") << "filled"
         << shop({ "--KelOdbcImport_delete_namespace=1", "--KelOdbcImport_organize_diagram=0" }) << 0 << QStringList({ "0 entities added, 5 replaced", "!Organize" }) << 5;
      QTest::newRow("project read by another program") << "read" << shop({ "--KelOdbcImport_delete_namespace=1" }) << 1 << QStringList({ "database is locked", finished(0) }) << 5;
      QTest::newRow("project locked by another program") << "locked" << shop({}) << 1 << QStringList("is locked by another program : database is locked") << -1;
      QTest::newRow("no display, no option") << "filled" << lstImport << 1 << QStringList("kelmar: no display for the settings dialog of KelOdbcImport : give --KelOdbcImport_dsn") << -1;
      QTest::newRow("unknown driver") << "filled" << shop({}, sNoDriver) << 1
         << QStringList({ "The ODBC driver \"No Such Driver\" is not installed. Installed drivers: ", "Error connecting to database :\n" + kel_test::odbcOpenError(sNoDriver) }) << -1;
      QTest::newRow("engine type not the server's") << "filled" << shop({}, m_sDsn, "1") << 1
         << QStringList("The database type is \"PostgreSQL\", but the server is SQLite: choose the database type \"SQLite\" and connect again.") << -1;
      // another program holds the database for 3.5 s: the read says where it waits, once a second after 2 s, then imports
      QTest::newRow("slow read") << "source locked 3.5 s" << shop({}, kel_test::sqliteDsn(m_dir.filePath("locked_source.db")) + ";Timeout=20000") << 0
         << QStringList({ "KelOdbcImport: reading the catalogue", " (2 s)\n", "!(1 s)", finished(5) }) << 5;
      QTest::newRow("no table") << "filled" << shop({}, kel_test::sqliteDsn(m_dir.filePath("empty.db"))) << 1 << QStringList("The database holds no table or view you may read") << -1;
      // the command line's own faults: status 2
      QTest::newRow("misspelt option, new project") << "new" << shop({ "--KelOdbcImport_password=x" }) << 2
         << QStringList("--KelOdbcImport_password : unknown option; did you mean --KelOdbcImport_pwd?") << -1;
      QTest::newRow("empty dump path") << "filled" << shop({ "--dump-tables", "" }) << 2 << QStringList("kelmar: --dump-tables needs a file name") << -1;
      QTest::newRow("invalid pattern") << "new" << shop({ "--KelOdbcImport_filter_regexp=(" }) << 2 << QStringList("'(' is not a valid regular expression : unexpected end") << -1;
      QTest::newRow("engine type not a number") << "filled" << shop({}, m_sDsn, "abc") << 2 << QStringList("--KelOdbcImport_db_type : 'abc' is not a number") << -1;
      QTest::newRow("namespace the dialog refuses") << "filled" << shop({ "--KelOdbcImport_namespace=app::1db" }) << 2 << QStringList("'app::1db' is not a C++ namespace") << -1;
      // the dump path is checked before the import
      QTest::newRow("dump") << "new" << shop({ "--dump-tables", "DIR/dump.json" }) << 0 << QStringList() << 5;
      QTest::newRow("dump over the project") << "filled" << shop({ "--dump-tables", "PROJECT" }) << 2 << QStringList("is the project file") << -1;
      QTest::newRow("dump into a folder") << "filled" << shop({ "--dump-tables", "DIR/sub" }) << 2 << QStringList("is not a regular file") << -1;
      QTest::newRow("dump into a pipe") << "filled" << shop({ "--dump-tables", "DIR/pipe" }) << 2 << QStringList("is not a regular file") << -1;
      // the project of the wide table grows to 40 KiB, its dump would be 80 KiB: the import is kept, the earlier dump stays
      QTest::newRow("dump cut short") << "filled, 60 KiB files" << shop({ "--dump-tables", "DIR/earlier.json" }, kel_test::sqliteDsn(m_dir.filePath("wide.db"))) << 1
                                      << QStringList("cannot write DIR/earlier.json : only ") << 6;
   }

   // what a user sees of each command line: the status, the lines written, the project and the dump left
   void commandLine()
   {
      QFETCH(QString, sSetup); QFETCH(QStringList, lstArgs); QFETCH(int, iExit); QFETCH(QStringList, lstSays); QFETCH(int, iEntities);
      // a server's port missing: the test servers are not running
      if (QString(QTest::currentDataTag()).contains("Sakila")) { KEL_REQUIRE_FIXTURES(); }
      if (lstArgs.join(' ').contains("Port=;")) { KEL_REQUIRE(false, "test servers (run through tests/services/with_servers.sh)"); }
      const QString sProject = m_dir.filePath(QString("project_%1.kelmar").arg(++m_iProject));
      QVERIFY((sSetup == "new") || QFile::copy(m_sFilled, sProject));
      lstArgs.replaceInStrings("PROJECT", sProject).replaceInStrings("DIR", m_dir.path());
      lstSays.replaceInStrings("DIR", m_dir.path());
      const QString sDump = lstArgs.value(lstArgs.indexOf("--dump-tables") + 1, m_dir.filePath("earlier.json"));
      QFile::remove(m_dir.filePath("dump.json"));
      { QFile earlier(m_dir.filePath("earlier.json")); QVERIFY(earlier.open(QIODevice::WriteOnly) && (earlier.write("{ \"tables\": [] }\n") > 0)); }

      kel_test::connection other((sSetup == "new") ? QString(":memory:") : sProject, "QSQLITE");
      const QByteArray projectBefore = fileHash(sProject), dumpBefore = fileHash(sDump);
      // after the hashes: closing any descriptor of the file would end this process's locks on it
      if (sSetup == "read") { QCOMPARE(other.exec({ "BEGIN", "SELECT count(*) FROM t_entity" }), QString()); }
      if (sSetup == "locked") { QCOMPARE(other.exec({ "BEGIN EXCLUSIVE" }), QString()); }
      if (sSetup.startsWith("source locked"))
      {
         QFile::remove(m_dir.filePath("locked_source.db"));
         QVERIFY(QFile::copy(m_dir.filePath("shop.db"), m_dir.filePath("locked_source.db")));
         QVERIFY(QProcess::startDetached("sh", { "-c", "(echo 'BEGIN EXCLUSIVE;'; sleep 3.5; echo 'COMMIT;') | sqlite3 \"$0\"", m_dir.filePath("locked_source.db") }));
         QTRY_VERIFY_WITH_TIMEOUT(isLocked(m_dir.filePath("locked_source.db")), 3000);
      }
      QString sOutput;
      const int iStatus = runHost(lstArgs, sSetup.endsWith("KiB files") ? 120 : 0, sOutput);
      other.exec({ "ROLLBACK" });

      QVERIFY2(iStatus == iExit, qPrintable(QString("status %1:\n").arg(iStatus) + sOutput));
      for (const QString& sSays : lstSays) { QVERIFY2(sOutput.contains(sSays.mid(sSays.startsWith('!'))) != sSays.startsWith('!'), qPrintable(sSays + "\n--- in:\n" + sOutput)); }
      // the reading program ended and reaped before the host exits, never left to Qt's warning
      QVERIFY2(! sOutput.contains("QProcess: Destroyed while process"), qPrintable(sOutput));
      if (iEntities < 0) { QCOMPARE(fileHash(sProject), projectBefore); }
      else { QCOMPARE(kel_test::connection(sProject, "QSQLITE").column("SELECT count(*) FROM t_entity"), QStringList(QString::number(iEntities))); }
      QFile dump(sDump);
      if ((iExit == 0) && lstArgs.contains("--dump-tables")) { QVERIFY(dump.open(QIODevice::ReadOnly) && (QJsonDocument::fromJson(dump.readAll())["tables"].toArray().count() == iEntities)); }
      else { QCOMPARE(fileHash(sDump), dumpBefore); }
   }
};

QTEST_MAIN(tst_headless)
#include "tst_headless.moc"
