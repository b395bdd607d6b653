// Readers on small databases (three tables, none), and given bad input: no database, the database
// of another engine, a connection that the server drops in the middle of a read.
#include <QTemporaryDir>
#include <QtTest>

#include "reader_support.h"

using namespace kel_readers;

class tst_reader_failures : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;

   // A new database of the engine with the tables a, b and c.
   std::unique_ptr<kel_test::connection> connectThree(int engine, const QString& sName)
   {
      return connectNew(engine_type(engine), sName, { "CREATE TABLE a (x int)", "CREATE TABLE b (y int)", "CREATE TABLE c (z int)" }, m_dir.path());
   }

private Q_SLOTS:
   void initTestCase() { QVERIFY(m_dir.isValid()); }

   void readerByType_data()
   {
      QTest::addColumn<int>("type");
      QTest::addColumn<QString>("className");
      QTest::newRow("0") << 0 << "plugin::odbc_import_generic";
      QTest::newRow("1") << 1 << "plugin::odbc_import_postgresql";
      QTest::newRow("2") << 2 << "plugin::odbc_import_mysql";
      QTest::newRow("5") << 5 << "plugin::odbc_import_sqlite";
      QTest::newRow("-1") << -1 << "plugin::odbc_import_generic";
      QTest::newRow("6") << 6 << "plugin::odbc_import_generic";
   }
   void readerByType()
   {
      QFETCH(int, type);
      QFETCH(QString, className);
      std::unique_ptr<plugin::odbc_import_process> reader(plugin::odbc_import_process::createReader(type, nullptr));
      QCOMPARE(QString(reader->metaObject()->className()), className);
      QVERIFY(! reader->getListOfTables());
   }

   void progressOfThreeRows_data()
   {
      QTest::addColumn<int>("engine");
      QTest::newRow("sqlite") << int(k_sqlite);
      QTest::newRow("postgresql") << int(k_postgresql);
      QTest::newRow("mariadb") << int(k_mysql);
   }
   void progressOfThreeRows()
   {
      QFETCH(int, engine);
      KEL_REQUIRE_ENGINE(engine);
      auto connection = connectThree(engine, "kel_readers_three");
      QVERIFY(connection);
      const read_result read = runReader(engine, connection->db());
      QVERIFY2(read.result.getValue(), qPrintable(read.result.getDesc()));
      QCOMPARE(read.progress, QList<int>({ 33, 66, 100 }));
      QCOMPARE(read.tables->count(), 3L);
   }

   void emptyDatabase_data()
   {
      QTest::addColumn<int>("engine");
      QTest::addColumn<int>("type");
      QTest::addColumn<QString>("message");
      const QString sNoTable = "No table found, please check your database type or select the generic import";
      QTest::newRow("sqlite") << int(k_sqlite) << int(k_sqlite) << sNoTable;
      QTest::newRow("postgresql") << int(k_postgresql) << int(k_postgresql) << sNoTable;
      QTest::newRow("mariadb") << int(k_mysql) << int(k_mysql) << sNoTable;
      // the generic reader succeeds with an empty list
      QTest::newRow("generic on sqlite") << int(k_sqlite) << int(k_generic) << "";
      QTest::newRow("generic on postgresql") << int(k_postgresql) << int(k_generic) << "";
   }
   void emptyDatabase()
   {
      QFETCH(int, engine);
      QFETCH(int, type);
      QFETCH(QString, message);
      KEL_REQUIRE_ENGINE(engine);
      auto connection = connectNew(engine_type(engine), QString("kel_readers_empty_%1").arg(type), {}, m_dir.path());
      QVERIFY(connection);
      const read_result read = runReader(type, connection->db());
      QCOMPARE(read.result.getValue(), message.isEmpty());
      QCOMPARE(read.result.getCode(), 0);
      QCOMPARE(read.result.getDesc(), message);
      QVERIFY(read.tables);
      QCOMPARE(read.tables->count(), 0L);
      QVERIFY(read.progress.isEmpty());
   }

   void noDatabase_data()
   {
      QTest::addColumn<int>("type");
      QTest::newRow("generic") << int(k_generic);
      QTest::newRow("postgresql") << int(k_postgresql);
      QTest::newRow("mysql") << int(k_mysql);
      QTest::newRow("sqlite") << int(k_sqlite);
   }
   void noDatabase()
   {
      QFETCH(int, type);
      const read_result read = runReader(type, nullptr);
      QVERIFY(! read.result.getValue());
      QCOMPARE(read.result.getCode(), 0);
      QCOMPARE(read.result.getDesc(), QString("No database defined"));
      QVERIFY(read.tables);
      QCOMPARE(read.tables->count(), 0L);
      QVERIFY(read.progress.isEmpty());
   }

   void wrongEngine_data()
   {
      QTest::addColumn<int>("type");
      QTest::addColumn<int>("engine");
      QTest::addColumn<QString>("message");
      const QString sDatabase = "An error occurred getting current database :\n";
      const QString sTables = "An error occurred fetching all tables :\n";
      QTest::newRow("MySQL reader on PostgreSQL") << int(k_mysql) << int(k_postgresql) << sDatabase;
      QTest::newRow("MySQL reader on SQLite") << int(k_mysql) << int(k_sqlite) << sDatabase;
      QTest::newRow("PostgreSQL reader on SQLite") << int(k_postgresql) << int(k_sqlite) << sTables;
      QTest::newRow("PostgreSQL reader on MariaDB") << int(k_postgresql) << int(k_mysql) << sTables;
      QTest::newRow("SQLite reader on PostgreSQL") << int(k_sqlite) << int(k_postgresql) << sTables;
      QTest::newRow("SQLite reader on MariaDB") << int(k_sqlite) << int(k_mysql) << sTables;
   }
   void wrongEngine()
   {
      QFETCH(int, type);
      QFETCH(int, engine);
      QFETCH(QString, message);
      KEL_REQUIRE_ENGINE(engine);
      auto connection = connectThree(engine, QString("kel_readers_wrong_%1_%2").arg(engine).arg(type));
      QVERIFY(connection);
      const read_result read = runReader(type, connection->db());
      QVERIFY(! read.result.getValue());
      QCOMPARE(read.result.getCode(), 0);
      // the fixed text, then the driver's error text
      QVERIFY2(read.result.getDesc().startsWith(message), qPrintable(read.result.getDesc()));
      QVERIFY2(! read.result.getDesc().mid(message.length()).trimmed().isEmpty(), qPrintable(read.result.getDesc()));
      QVERIFY(read.tables);
      QCOMPARE(read.tables->count(), 0L);
   }

   void connectionDroppedMidRead_data()
   {
      QTest::addColumn<int>("engine");
      QTest::newRow("postgresql") << int(k_postgresql);
      QTest::newRow("mariadb") << int(k_mysql);
   }
   void connectionDroppedMidRead()
   {
      QFETCH(int, engine);
      const bool pg = (engine == k_postgresql);
      KEL_REQUIRE_ENGINE(engine);
      auto connection = connectThree(engine, "kel_readers_dropped");
      QVERIFY(connection);
      const QString sSession = connection->column(pg ? "SELECT pg_backend_pid()" : "SELECT CONNECTION_ID()").value(0);
      QVERIFY(! sSession.isEmpty());
      kel_test::connection admin(pg ? kel_test::postgresqlDsn("postgres") : kel_test::mysqlDsn(QString()));
      QVERIFY2(admin.isOpen(), qPrintable(admin.openError()));

      // when the second table is about to be read, the server ends the reader's session
      // (pg_terminate_backend waits up to 5 s for the session to be gone)
      QString sKillError = "not killed";
      const read_result read = runReader(engine, connection->db(), [&](int iPercent) {
         if (iPercent == 66) { sKillError = admin.exec({ pg ? ("SELECT pg_terminate_backend(" + sSession + ", 5000)") : ("KILL CONNECTION " + sSession) }); }
      });
      QVERIFY2(sKillError.isEmpty(), qPrintable(sKillError));
      QVERIFY(! read.result.getValue());
      QCOMPARE(read.result.getCode(), 0);
      QCOMPARE(read.progress, QList<int>({ 33, 66 }));
      // the first table read stays in the list; the failure names the second, the one being read
      QCOMPARE(read.tables->count(), 1L);
      const QString sFirst = read.tables->getByIndex(0)->getName();
      if (pg) { QCOMPARE(sFirst, QString("a")); }
      const QString sPrefix = "An error occurred getting primary key for table '";
      QVERIFY2(read.result.getDesc().startsWith(sPrefix), qPrintable(read.result.getDesc()));
      const QString sSecond = read.result.getDesc().mid(sPrefix.length()).section('\'', 0, 0);
      QVERIFY2(QStringList({ "a", "b", "c" }).contains(sSecond) && (sSecond != sFirst), qPrintable(read.result.getDesc()));
      if (pg) { QCOMPARE(sSecond, QString("b")); }
      QVERIFY2(read.result.getDesc().startsWith(sPrefix + sSecond + "' :\n"), qPrintable(read.result.getDesc()));
   }
};

QTEST_GUILESS_MAIN(tst_reader_failures)
#include "tst_reader_failures.moc"
