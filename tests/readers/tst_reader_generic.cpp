// The generic reader, which knows only what the ODBC driver reports through Qt: on a SQLite file,
// a PostgreSQL database and a MariaDB database.
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

#include "reader_support.h"

using namespace kel_readers;

class tst_reader_generic : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;

private Q_SLOTS:
   void initTestCase() { QVERIFY(m_dir.isValid()); }

   void tablesViewsAndFields_data()
   {
      QTest::addColumn<int>("engine");
      // psqlODBC lists the fields of a primary key in key order, the SQLite and MariaDB drivers in column order
      QTest::addColumn<QString>("firstKeyField");
      QTest::newRow("sqlite") << int(k_sqlite) << "a";
      QTest::newRow("postgresql") << int(k_postgresql) << "b";
      // the server has other databases, its system ones among them: they are not read
      QTest::newRow("mariadb") << int(k_mysql) << "a";
   }
   void tablesViewsAndFields()
   {
      QFETCH(int, engine);
      QFETCH(QString, firstKeyField);
      KEL_REQUIRE_ENGINE(engine);
      // the primary key of pair names b before a
      auto connection = connectNew(engine_type(engine), "kel_readers_generic", {
         "CREATE TABLE pair (a INTEGER NOT NULL, b VARCHAR(20) NOT NULL, note TEXT, PRIMARY KEY (b, a))",
         "CREATE TABLE solo (id INTEGER PRIMARY KEY, val NUMERIC(8,2))",
         "CREATE VIEW v_pair AS SELECT a, b FROM pair",
         "CREATE VIEW v_solo AS SELECT id FROM solo" }, m_dir.path());
      QVERIFY(connection);
      QCOMPARE(connection->db()->primaryIndex("pair").fieldName(0), firstKeyField);
      const read_result read = runReader(k_generic, connection->db());
      QVERIFY(read.result.getValue());
      QCOMPARE(read.progress, QList<int>({ 25, 50, 75, 100 }));

      QStringList lstNames = tableNames(read.tables);
      std::sort(lstNames.begin(), lstNames.begin() + 2);
      std::sort(lstNames.begin() + 2, lstNames.end());
      QCOMPARE(lstNames, QStringList({ "pair", "solo", "v_pair (view)", "v_solo (view)" }));

      // every field is a column of the table's list, key fields too, typed as the driver says; only the
      // first field of the primary index is marked; no namespace or keys
      const QString sPair = ((firstKeyField == "a") ? "a:1 b:0 note:0" : "a:0 b:1 note:0");
      const QMap<QString, QString> expected = { { "pair", sPair }, { "solo", "id:1 val:0" }, { "v_pair", "a:0 b:0" }, { "v_solo", "id:0" } };
      for (long i = 0; i < read.tables->count(); ++i)
      {
         const table_ptr pTable = read.tables->getByIndex(i);
         QCOMPARE(read.tables->getKeyByIndex(i), plugin::odbc_import_process::getKey(pTable->getName()));
         QCOMPARE(pTable->getNamespace(), QString());
         QVERIFY(! pTable->getPrimaryKey() && ! pTable->getListOfRelations());
         const column_list_ptr pColumns = pTable->getListOfColumns();
         QStringList lstMarked;
         for (long c = 0; c < pColumns->count(); ++c)
         {
            const column_ptr pColumn = pColumns->getByIndex(c);
            lstMarked.append(pColumn->getName() + ":" + QString::number(pColumn->getMetaData("COLUMN_IS_PRIMARY_KEY").toInt()));
            QCOMPARE(pColumn->getType().toInt(), int(connection->db()->record(pTable->getName()).field(pColumn->getName()).type()));
         }
         QCOMPARE(lstMarked.join(" "), expected.value(pTable->getName()));
      }
   }
};

QTEST_GUILESS_MAIN(tst_reader_generic)
#include "tst_reader_generic.moc"
