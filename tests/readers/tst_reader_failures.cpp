// Readers given nothing to read or bad input: no table, no database, the database of another engine,
// a connection that the server drops in the middle of a read.
#include <QTemporaryDir>
#include <QtTest>

#include "reader_support.h"

using namespace kel_readers;

class tst_reader_failures : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;

   const QStringList k_lstThree = { "CREATE TABLE a (x int)", "CREATE TABLE b (y int)", "CREATE TABLE c (z int)" };

private Q_SLOTS:
   void initTestCase() { QVERIFY(m_dir.isValid()); }

   // no table, or no database at all (engine -1), or a server connection with no database selected (engine -2)
   void noTable_data()
   {
      QTest::addColumn<int>("engine");
      QTest::addColumn<int>("type");
      QTest::addColumn<QString>("message");
      for (int engine : { k_sqlite, k_postgresql, k_mysql })
      {
         QTest::addRow("%d, none", engine) << engine << engine << "No table found, please check your database type or select the generic import";
         QTest::addRow("%d, no database", engine) << -1 << engine << "No database defined";
      }
      QTest::newRow("mariadb, no database selected") << -2 << int(k_mysql) << "Unable to get current database name";
      // the generic reader succeeds with an empty list
      QTest::newRow("generic, none") << int(k_sqlite) << int(k_generic) << "";
      QTest::newRow("generic, no database") << -1 << int(k_generic) << "No database defined";
   }
   void noTable()
   {
      QFETCH(int, engine);
      QFETCH(int, type);
      QFETCH(QString, message);
      KEL_REQUIRE_ENGINE((engine == -2) ? k_mysql : engine);
      std::unique_ptr<kel_test::connection> connection;
      if (engine == -2) { connection.reset(new kel_test::connection(kel_test::mysqlDsn(QString()))); }
      if (engine >= 0) { connection = connectNew(engine_type(engine), QString("kel_readers_none_%1").arg(type), {}, m_dir.path()); }
      QVERIFY((engine == -1) || (connection && connection->isOpen()));
      const read_result read = runReader(type, connection ? connection->db() : nullptr);
      QCOMPARE(read.result.getValue(), message.isEmpty());
      QCOMPARE(read.result.getDesc(), message);
      QCOMPARE(read.tables->count(), 0L);
      QCOMPARE(read.progress, QList<int>());
   }

   void wrongEngine_data()
   {
      QTest::addColumn<int>("type");
      QTest::addColumn<int>("engine");
      QTest::addColumn<QString>("message");
      QTest::newRow("MySQL reader on PostgreSQL") << int(k_mysql) << int(k_postgresql) << "An error occurred getting current database :\n";
      QTest::newRow("PostgreSQL reader on SQLite") << int(k_postgresql) << int(k_sqlite) << "An error occurred fetching all tables :\n";
      QTest::newRow("SQLite reader on MariaDB") << int(k_sqlite) << int(k_mysql) << "An error occurred fetching all tables :\n";
   }
   void wrongEngine()
   {
      QFETCH(int, type);
      QFETCH(int, engine);
      QFETCH(QString, message);
      KEL_REQUIRE_ENGINE(engine);
      auto connection = connectNew(engine_type(engine), QString("kel_readers_wrong_%1_%2").arg(engine).arg(type), k_lstThree, m_dir.path());
      QVERIFY(connection);
      const read_result read = runReader(type, connection->db());
      QVERIFY(! read.result.getValue());
      // the fixed text, then the driver's error text
      QVERIFY2(read.result.getDesc().startsWith(message), qPrintable(read.result.getDesc()));
      QVERIFY2(! read.result.getDesc().mid(message.length()).trimmed().isEmpty(), qPrintable(read.result.getDesc()));
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
      auto connection = connectNew(engine_type(engine), "kel_readers_dropped", k_lstThree);
      QVERIFY(connection);
      const QString sSession = connection->column(pg ? "SELECT pg_backend_pid()" : "SELECT CONNECTION_ID()").value(0);
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
      QCOMPARE(read.progress, QList<int>({ 33, 66 }));
      // the first table read stays in the list; the failure names the second, the one being read, then
      // gives the driver's text (MariaDB lists the tables in no fixed order)
      QCOMPARE(read.tables->count(), 1L);
      const auto match = QRegularExpression("^An error occurred getting primary key for table '([abc])' :\n").match(read.result.getDesc());
      QVERIFY2(match.hasMatch() && (match.captured(1) != read.tables->getByIndex(0)->getName()), qPrintable(read.result.getDesc()));
      if (pg) { QCOMPARE(read.tables->getByIndex(0)->getName() + match.captured(1), QString("ab")); }
   }
};

QTEST_GUILESS_MAIN(tst_reader_failures)
#include "tst_reader_failures.moc"
