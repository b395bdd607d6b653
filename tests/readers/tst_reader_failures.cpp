// Readers given nothing to read or bad input: no table, no database, the database of another engine, a
// connection that the server drops while the model is built, servers of other versions, tables SQLite cannot read.
#include <sqlite3.h>

#include <QSqlDriver>
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

   // the catalogue is read in a few queries before the model is built: a session that the server ends while the
   // tables are being built has nothing left to answer
   void connectionDroppedWhileBuilding_data()
   {
      QTest::addColumn<int>("engine");
      QTest::newRow("postgresql") << int(k_postgresql);
      QTest::newRow("mariadb") << int(k_mysql);
   }
   void connectionDroppedWhileBuilding()
   {
      QFETCH(int, engine);
      const bool pg = (engine == k_postgresql);
      KEL_REQUIRE_ENGINE(engine);
      auto connection = connectNew(engine_type(engine), "kel_readers_dropped", k_lstThree);
      QVERIFY(connection);
      const QString sSession = connection->column(pg ? "SELECT pg_backend_pid()" : "SELECT CONNECTION_ID()").value(0);
      kel_test::connection admin(pg ? kel_test::postgresqlDsn("postgres") : kel_test::mysqlDsn(QString()));
      QVERIFY2(admin.isOpen(), qPrintable(admin.openError()));
      // (pg_terminate_backend waits up to 5 s for the session to be gone)
      QString sKillError = "not killed";
      const read_result read = runReader(engine, connection->db(), [&](int iPercent) {
         if (iPercent == 66) { sKillError = admin.exec({ pg ? ("SELECT pg_terminate_backend(" + sSession + ", 5000)") : ("KILL CONNECTION " + sSession) }); }
      });
      QVERIFY2(sKillError.isEmpty(), qPrintable(sKillError));
      QVERIFY2(read.result.getValue(), qPrintable(read.result.getDesc()));
      QCOMPARE(read.progress, QList<int>({ 33, 66, 100 }));
      QCOMPARE(read.tables->count(), 3L);
   }

   // what the server's version decides, on catalogues that the PostgreSQL test server serves under another version
   void serverVersion_data()
   {
      QTest::addColumn<int>("type");
      QTest::addColumn<QString>("version");
      QTest::addColumn<QString>("expected");   // the failure, or the default read of a column whose default is the string NULL
      QTest::newRow("postgresql 9.3") << int(k_postgresql) << "90324" << "PostgreSQL 9.4 or later is required (the server is 9.3.24)";
      // MariaDB quotes string defaults from 10.2.7 on: the bare text NULL is no default there, the string elsewhere
      QTest::newRow("mysql 8.0") << int(k_mysql) << "8.0.36" << "NULL";
      QTest::newRow("mariadb 10.2.6") << int(k_mysql) << "10.2.6-MariaDB" << "NULL";
      QTest::newRow("mariadb 10.2.7") << int(k_mysql) << "10.2.7-MariaDB-log" << "";
   }
   void serverVersion()
   {
      QFETCH(int, type);
      QFETCH(QString, version);
      QFETCH(QString, expected);
      KEL_REQUIRE_POSTGRESQL();
      const QString sConstant = "RETURNS text LANGUAGE sql AS $$ SELECT '%1'::text $$";
      auto connection = connectNew(k_postgresql, "kel_readers_version", {
         // functions of schema old come before pg_catalog's
         "CREATE SCHEMA old", "ALTER DATABASE kel_readers_version SET search_path = old, pg_catalog",
         "CREATE FUNCTION old.current_setting(text) " + sConstant.arg(version), "CREATE FUNCTION old.version() " + sConstant.arg(version),
         "CREATE FUNCTION old.database() " + sConstant.arg("shop"),
         // MySQL's information_schema with one table: a column whose default is the string NULL, one without default
         "DROP SCHEMA information_schema CASCADE", "CREATE SCHEMA information_schema",
         "CREATE TABLE information_schema.tables AS SELECT 'shop'::text AS table_schema, 'defaults'::text AS table_name, 'BASE TABLE'::text AS table_type, ''::text AS table_comment",
         "CREATE TABLE information_schema.columns AS SELECT 'shop'::text AS table_schema, 'defaults'::text AS table_name, c AS column_name, o AS ordinal_position, "
         "'varchar(10)'::text AS column_type, ''::text AS column_comment, d AS column_default, 'YES'::text AS is_nullable, ''::text AS column_key "
         "FROM (VALUES ('b', 1, 'NULL'), ('c', 2, NULL)) AS v(c, o, d)",
         "CREATE TABLE information_schema.key_column_usage (table_schema text, table_name text, column_name text, constraint_name text, ordinal_position int, "
         "referenced_table_name text, referenced_column_name text)" });
      QVERIFY(connection);
      const read_result read = runReader(type, connection->db());
      if (type == k_postgresql)
      {
         QCOMPARE(read.result.getDesc(), expected);
         QCOMPARE(read.tables->count(), 0L);
         return;
      }
      QVERIFY2(read.result.getValue(), qPrintable(read.result.getDesc()));
      const table_ptr pTable = findTable(read.tables, "defaults");
      QVERIFY(pTable);
      QCOMPARE(describe(findColumn(pTable, "b")) + " " + describe(findColumn(pTable, "c")), "varchar(10)|10|" + expected + "|null| varchar(10)|10||null|");
   }

   // SQLite tables it cannot read are named in a failure, never imported empty: an old SQLite that answers an unknown
   // pragma with nothing (Qt's own SQLite driver, its connection given an authorizer that ignores the pragmas), a name
   // that is no UTF-8 (through the ODBC driver, as an import reads it)
   void sqliteUnreadable_data()
   {
      QTest::addColumn<QStringList>("ignored");
      QTest::addColumn<QString>("expected");   // the table's layout, or the failure
      QTest::newRow("no table_xinfo") << QStringList({ "table_xinfo" }) << "cols[b] pk[a]";
      QTest::newRow("no column pragma") << QStringList({ "table_xinfo", "table_info" })
                                        << "An error occurred getting all columns for table 't' :\nthe table has no column that can be read";
      QTest::newRow("name not UTF-8") << QStringList() << "The name of table 't\\xff\\xfex' is not UTF-8 text: the table cannot be read";
   }
   void sqliteUnreadable()
   {
      QFETCH(QStringList, ignored);
      QFETCH(QString, expected);
      const QString sFile = m_dir.filePath(QString("unreadable_%1.db").arg(ignored.count()));
      sqlite3* pFile = nullptr;
      QCOMPARE(sqlite3_open(QFile::encodeName(sFile).constData(), &pFile), SQLITE_OK);
      const QByteArray ddl = "CREATE TABLE \"" + QByteArray(ignored.isEmpty() ? "t\xff\xfex" : "t") + "\" (a INTEGER PRIMARY KEY, b TEXT)";
      const int iCreated = sqlite3_exec(pFile, ddl.constData(), nullptr, nullptr, nullptr);
      sqlite3_close(pFile);
      QCOMPARE(iCreated, SQLITE_OK);
      kel_test::connection connection(ignored.isEmpty() ? kel_test::sqliteDsn(sFile) : sFile, ignored.isEmpty() ? "QODBC" : "QSQLITE");
      QVERIFY2(connection.isOpen(), qPrintable(connection.openError()));
      if (! ignored.isEmpty())
      {
         sqlite3* pHandle = *static_cast<sqlite3* const*>(connection.db()->driver()->handle().constData());
         sqlite3_set_authorizer(pHandle, [](void* pIgnored, int iAction, const char* sPragma, const char*, const char*, const char*) {
            return (((iAction == SQLITE_PRAGMA) && static_cast<QStringList*>(pIgnored)->contains(QString::fromUtf8(sPragma), Qt::CaseInsensitive)) ? SQLITE_IGNORE : SQLITE_OK);
         }, &ignored);
      }
      const read_result read = runReader(k_sqlite, connection.db());
      if (expected.startsWith("cols["))
      {
         QVERIFY2(read.result.getValue(), qPrintable(read.result.getDesc()));
         QCOMPARE(layout(findTable(read.tables, "t")), expected);
         return;
      }
      QCOMPARE(read.result.getDesc(), expected);
      QCOMPARE(read.tables->count(), 0L);
   }
};

QTEST_GUILESS_MAIN(tst_reader_failures)
#include "tst_reader_failures.moc"
