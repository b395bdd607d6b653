// Headless imports end to end: the host program run as a user runs it, one process per import, on
// real SQLite, PostgreSQL and MariaDB databases, checked through its output, its exit status, the
// tables it dumps as JSON and the project file it leaves.
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

#include "headless_support.h"

namespace {

struct host_run
{
   bool finished = false;
   bool crashed = false;
   int exitCode = -1;
   QStringList out;
   QStringList err;
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
   run.finished = process.waitForFinished(120000);
   if (! run.finished) { process.kill(); process.waitForFinished(); }
   run.crashed = (process.exitStatus() == QProcess::CrashExit);
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

/** Entities in the project file (-1 when there is no such file). */
int entityCount(const QString& sProject)
{
   if (! QFile::exists(sProject)) { return -1; }
   kel_test::connection project(sProject, "QSQLITE");
   const QStringList lst = project.column("SELECT count(*) FROM t_entity");
   return (lst.isEmpty() ? -1 : lst.first().toInt());
}

QString finalMessage(int iCount) { return QString("ODBC plugin import process to current project finished (%1 entities imported)").arg(iCount); }

/** A loopback port that nothing listens on once this returns. */
quint16 closedPort()
{
   const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
   sockaddr_in address {};
   address.sin_family = AF_INET;
   address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
   socklen_t size = sizeof(address);
   ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
   ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
   ::close(fd);
   return ntohs(address.sin_port);
}

} // namespace

class tst_headless_host : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;
   QString m_sShopDsn, m_sEmptyDsn;
   int m_iShopTables = 0;
   int m_iProject = 0;

   QString newProject() { return m_dir.filePath(QString("project_%1.kelmar").arg(++m_iProject)); }

   static QStringList importArgs(const QString& sProject, const QString& sDsn, const QString& sType, const QStringList& lstMore = QStringList())
   {
      return QStringList({ "--project", sProject, "--import", "KelOdbcImport" }) + kel_headless::importArgs(sDsn, sType, lstMore).mid(1);
   }

private Q_SLOTS:
   void initTestCase()
   {
      QVERIFY(m_dir.isValid());
      QVERIFY(QFile::exists(QString(KEL_HOST_FILE)));
      // the sample the main job imports: ten tables and a view
      QFile script(QString(KEL_SOURCE_DIR) + "/samples/shop.sql");
      QVERIFY(script.open(QIODevice::ReadOnly));
      QStringList lstStatements;
      for (const QString& s : QString::fromUtf8(script.readAll()).split(";\n"))
      {
         QStringList lstLines = s.split('\n').filter(QRegularExpression("^(?!\\s*--)"));
         if (! lstLines.join("").trimmed().isEmpty()) { lstStatements << lstLines.join('\n'); }
      }
      QCOMPARE(kel_headless::makeSqlite(m_dir.filePath("shop.db"), lstStatements), QString());
      m_sShopDsn = kel_test::sqliteDsn(m_dir.filePath("shop.db"));
      {
         kel_test::connection shop(m_dir.filePath("shop.db"), "QSQLITE");
         m_iShopTables = shop.column("SELECT count(*) FROM sqlite_master WHERE type IN ('table', 'view') AND name NOT LIKE 'sqlite_%'").value(0).toInt();
      }
      QVERIFY(m_iShopTables > 0);
      QFile empty(m_dir.filePath("empty.db"));
      QVERIFY(empty.open(QIODevice::WriteOnly));
      empty.close();
      m_sEmptyDsn = kel_test::sqliteDsn(empty.fileName());
   }

   // engine type 0 expects what the driver reports; the others what the catalogue holds. No generic
   // read of MariaDB: its driver lists every database of the server, and reading the columns of the
   // performance_schema tables has crashed the shared MariaDB 10.11 test server (signal 11).
   void engines_data()
   {
      QTest::addColumn<QString>("sNeeds");
      QTest::addColumn<QString>("sDsn");
      QTest::addColumn<QString>("sType");
      QTest::addColumn<QString>("sCatalogue");
      const QString sSqlite("SELECT name FROM sqlite_master WHERE type IN ('table', 'view') AND name NOT LIKE 'sqlite_%'");
      const QString sSakilaSqlite = kel_test::sqliteDsn(kel_test::env("KEL_TEST_SAKILA_SQLITE"));
      const QString sPg = kel_test::postgresqlDsn(kel_test::env("KEL_TEST_SAKILA_PG_DB"));
      const QString sMy = kel_test::mysqlDsn(kel_test::env("KEL_TEST_SAKILA_MYSQL_DB"));
      QTest::newRow("SQLite shop, SQLite reader") << "" << m_sShopDsn << "5" << sSqlite;
      QTest::newRow("SQLite shop, generic reader") << "" << m_sShopDsn << "0" << "";
      QTest::newRow("SQLite Sakila, SQLite reader") << "KEL_TEST_SAKILA_SQLITE" << sSakilaSqlite << "5" << sSqlite;
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

      const QString sProject = newProject();
      const QString sDump = sProject + ".json";
      const host_run run = runHost(importArgs(sProject, sDsn, sType, { "--KelOdbcImport_namespace=imp", "--dump-tables", sDump }));
      QVERIFY(run.finished && ! run.crashed);
      QVERIFY2(run.exitCode == 0, qPrintable(run.err.join('\n')));

      QFile dump(sDump);
      QVERIFY(dump.open(QIODevice::ReadOnly));
      const QJsonArray tables = QJsonDocument::fromJson(dump.readAll()).object().value("tables").toArray();
      QStringList lstNames, lstPrinted;
      for (const QJsonValue& value : tables)
      {
         const QJsonObject table = value.toObject();
         lstNames << table.value("name").toString();
         const QString sNamespace = table.value("namespace").toString();
         lstPrinted << (table.value("isView").toBool() ? "view   imp::" : "entity imp::") + (sNamespace.isEmpty() ? QString() : (sNamespace + "::")) + lstNames.last();
         const QJsonObject metadata = table.value("metadata").toObject();
         QCOMPARE(metadata.value("TABLE_ROOT_NAMESPACE").toString(), QString("imp"));
         QCOMPARE(metadata.value("TABLE_HASH_ID").toVariant().toLongLong(), table.value("key").toVariant().toLongLong());
         // a catalogue reader sets a primary key on every table, the generic reader none but marks its columns
         QCOMPARE(table.value("primaryKey").isObject(), sType != "0");
         for (const QJsonValue& column : table.value("columns").toArray())
         {
            QCOMPARE(column.toObject().value("metadata").toObject().contains("COLUMN_IS_PRIMARY_KEY"), sType == "0");
         }
      }
      lstNames.sort();
      QCOMPARE(lstNames, lstExpected);

      // what a person reads: the count before and after, the host's messages and every entity
      QCOMPARE(run.out.value(0), QString("Project %1 : 0 entities").arg(sProject));
      QVERIFY(run.out.contains(finalMessage(tables.count())));
      QVERIFY(run.out.contains(QString("Project %1 : %2 entities").arg(sProject).arg(tables.count())));
      QStringList lstEntityLines = run.out.filter(QRegularExpression("^(entity|view  ) "));
      lstEntityLines.sort();
      lstPrinted.sort();
      QCOMPARE(lstEntityLines, lstPrinted);
      QCOMPARE(entityCount(sProject), tables.count());
   }

   void organizeDiagram_data()
   {
      QTest::addColumn<QStringList>("lstOption");
      QTest::addColumn<bool>("bOrganize");
      QTest::newRow("absent") << QStringList() << true;
      QTest::newRow("empty") << QStringList("--KelOdbcImport_organize_diagram=") << true;
      QTest::newRow("1") << QStringList("--KelOdbcImport_organize_diagram=1") << true;
      QTest::newRow("0") << QStringList("--KelOdbcImport_organize_diagram=0") << false;
      QTest::newRow("yes") << QStringList("--KelOdbcImport_organize_diagram=yes") << false;
   }

   void organizeDiagram()
   {
      QFETCH(QStringList, lstOption);
      QFETCH(bool, bOrganize);
      const host_run run = runHost(importArgs(newProject(), m_sShopDsn, "5", lstOption));
      QVERIFY(run.finished && ! run.crashed);
      QVERIFY2(run.exitCode == 0, qPrintable(run.err.join('\n')));
      const QStringList lstMessages = run.out.filter(QRegularExpression("^(Organize|ODBC plugin)"));
      QCOMPARE(lstMessages, (bOrganize ? QStringList({ "Organize diagram layout", finalMessage(m_iShopTables) }) : QStringList(finalMessage(m_iShopTables))));
   }

   // without both options carrying a value the import is not headless: nothing is imported
   void notHeadless_data()
   {
      QTest::addColumn<QStringList>("lstOptions");
      QTest::newRow("no option") << QStringList();
      QTest::newRow("engine type only") << QStringList("--KelOdbcImport_db_type=5");
      QTest::newRow("empty data source") << QStringList({ "--KelOdbcImport_dsn=", "--KelOdbcImport_db_type=5" });
      QTest::newRow("empty engine type") << QStringList({ "--KelOdbcImport_dsn=" + m_sShopDsn, "--KelOdbcImport_db_type=" });
   }

   void notHeadless()
   {
      QFETCH(QStringList, lstOptions);
      const QString sProject = newProject();
      const host_run run = runHost(QStringList({ "--project", sProject, "--import", "KelOdbcImport" }) + lstOptions);
      QVERIFY(run.finished && ! run.crashed);
      QCOMPARE(run.exitCode, 0);
      QCOMPARE(run.out.filter(QRegularExpression("^(Organize|ODBC plugin)")), QStringList());
      QCOMPARE(entityCount(sProject), 0);
   }

   // each failure: its message on standard error, status 1, no host message and the project as it was
   void failures_data()
   {
      QTest::addColumn<QString>("sNeeds");
      QTest::addColumn<QStringList>("lstImport");
      QTest::addColumn<QString>("expected");
      const QString sNoDriver("Driver={No Such Driver}");
      const QString sNoServer = QString("Driver={FreeTDS};Server=127.0.0.1;Port=%1;TDS_Version=7.4").arg(closedPort());
      const QString sWrongLogin = QString("Driver={MariaDB Unicode};Server=127.0.0.1;Port=%1;Uid=%2;Pwd=not-%3")
                                     .arg(kel_test::env("KEL_TEST_MYSQL_PORT"), kel_test::env("KEL_TEST_MYSQL_USER"), kel_test::env("KEL_TEST_MYSQL_PWD"));
      const bool bMysql = ! kel_test::env("KEL_TEST_MYSQL_PORT").isEmpty();
      QTest::newRow("unknown driver") << "" << QStringList({ sNoDriver, "5" }) << "Error connecting to database : " + kel_headless::odbcOpenError(sNoDriver);
      QTest::newRow("server not running") << "" << QStringList({ sNoServer, "4" }) << "Error connecting to database : " + kel_headless::odbcOpenError(sNoServer);
      QTest::newRow("wrong password") << "KEL_TEST_MYSQL_PORT" << QStringList({ sWrongLogin, "2" })
         << (bMysql ? ("Error connecting to database : " + kel_headless::odbcOpenError(sWrongLogin)) : QString());
      QTest::newRow("no table for the SQLite reader") << "" << QStringList({ m_sEmptyDsn, "5" }) << "No table found, please check your database type or select the generic import";
      QTest::newRow("no table for the generic reader") << "" << QStringList({ m_sEmptyDsn, "0" }) << "No table found in database";
      QTest::newRow("invalid pattern") << "" << QStringList({ m_sShopDsn, "5", "--KelOdbcImport_filter_regexp=(" }) << "No table found after applying regexp : (";
   }

   void failures()
   {
      QFETCH(QString, sNeeds);
      QFETCH(QStringList, lstImport);
      QFETCH(QString, expected);
      if (! sNeeds.isEmpty()) { KEL_REQUIRE(! kel_test::env(qPrintable(sNeeds)).isEmpty(), sNeeds + " (run through tests/services/with_servers.sh)"); }
      QVERIFY2(! expected.endsWith(" : "), "the driver gave no text to check against");

      // a project that already holds entities
      const QString sProject = newProject();
      const host_run first = runHost(importArgs(sProject, m_sShopDsn, "5"));
      QVERIFY(first.finished && (first.exitCode == 0));
      const QByteArray before = fileHash(sProject);

      const host_run run = runHost(importArgs(sProject, lstImport.at(0), lstImport.at(1), lstImport.mid(2) + QStringList("--KelOdbcImport_delete_namespace=1")));
      QVERIFY(run.finished && ! run.crashed);
      QCOMPARE(run.exitCode, 1);
      QVERIFY2(run.err.contains(expected), qPrintable(run.err.join('\n')));
      QCOMPARE(run.out.filter(QRegularExpression("^(Organize|ODBC plugin)")), QStringList());
      QCOMPARE(fileHash(sProject), before);
   }

   // the project keeps its entities from run to run; only delete_namespace=1 replaces instead of adding
   void secondRun()
   {
      const QString sProject = newProject();
      QList<int> lstCounts;
      QVERIFY(! QFile::exists(sProject));
      for (const QString& sDelete : { "", "1", "true", "1" })
      {
         const int iBefore = entityCount(sProject);
         const host_run run = runHost(importArgs(sProject, m_sShopDsn, "5", { "--KelOdbcImport_delete_namespace=" + sDelete }));
         QVERIFY(run.finished && (run.exitCode == 0));
         QCOMPARE(run.out.value(0), QString("Project %1 : %2 entities").arg(sProject).arg(qMax(iBefore, 0)));
         lstCounts << entityCount(sProject);
      }
      const int n = lstCounts.first();
      QVERIFY(n > 0);
      QCOMPARE(lstCounts, QList<int>({ n, n, 2 * n, n }));
   }

   // an import that fails in the project still reloads and reports 0, and takes nothing away
   void failingImportReportsZero()
   {
      const QString sProject = newProject();
      QVERIFY(runHost(importArgs(sProject, m_sShopDsn, "5")).exitCode == 0);
      const int iBefore = entityCount(sProject);
      QCOMPARE(kel_headless::makeSqlite(sProject, { "CREATE TRIGGER refuse BEFORE INSERT ON t_entity BEGIN SELECT RAISE(ABORT, 'project is read-only'); END" }), QString());

      const host_run run = runHost(importArgs(sProject, m_sShopDsn, "5", { "--KelOdbcImport_delete_namespace=1" }));
      QVERIFY(run.finished && ! run.crashed);
      QCOMPARE(run.exitCode, 1);
      QVERIFY2(run.err.join('\n').contains("project is read-only"), qPrintable(run.err.join('\n')));
      QCOMPARE(run.out.filter(QRegularExpression("^(Organize|ODBC plugin)")), QStringList({ "Organize diagram layout", finalMessage(0) }));
      QCOMPARE(entityCount(sProject), iBefore);
   }
};

QTEST_MAIN(tst_headless_host)
#include "tst_headless_host.moc"
