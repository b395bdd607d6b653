// The SQLite reader on real SQLite files opened through the SQLite ODBC driver.
#include <QTemporaryDir>
#include <QtTest>

#include "reader_support.h"

using namespace kel_readers;

class tst_reader_sqlite : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;
   read_result m_shop;      // the shop schema below, read once
   read_result m_awkward;   // tables whose names SQLite reads only quoted

   static QStringList awkward() { return { "with blank", "say \"hi\"", "it's", "br[ack]et", "dot.ted", "select", QString::fromUtf8("Ünïcödé"), "sqlitex" }; }

private Q_SLOTS:
   void initTestCase()
   {
      QVERIFY(m_dir.isValid());
      auto connection = connectNew(k_sqlite, "shop", {
         // AUTOINCREMENT makes SQLite add its own table sqlite_sequence to the catalogue
         "CREATE TABLE customer (id INTEGER PRIMARY KEY AUTOINCREMENT, name VARCHAR(40) NOT NULL DEFAULT 'nobody', "
         "created DATETIME DEFAULT CURRENT_TIMESTAMP, score NUMERIC(10,2) DEFAULT (1 + 2), note)",
         "CREATE TABLE shop (id INTEGER PRIMARY KEY, opened DATE, closes TIME)",
         "CREATE TABLE item (shop INTEGER NOT NULL REFERENCES shop(id), code TEXT NOT NULL, label VARCHAR(20), "
         "price REAL DEFAULT 0.5, PRIMARY KEY (shop, code))",
         // no primary key; shop is in two foreign keys; customer is referenced without a column
         "CREATE TABLE line (customer_id INTEGER NOT NULL REFERENCES customer, shop INTEGER, code TEXT, qty BIGINT DEFAULT 1, "
         "flag BOOLEAN DEFAULT TRUE, FOREIGN KEY (shop, code) REFERENCES item(shop, code), FOREIGN KEY (shop) REFERENCES shop(id))",
         "CREATE VIEW v_line AS SELECT customer_id, qty FROM line",
         // generated columns, virtual and stored; a foreign key to a composite key named without its columns
         "CREATE TABLE calc (a INTEGER DEFAULT 2, twice INT GENERATED ALWAYS AS (a * 2) STORED, next INT AS (a + 1), "
         "shop INTEGER, code TEXT, FOREIGN KEY (shop, code) REFERENCES item)",
         // a virtual table has hidden columns (its own name, rank): those are no columns
         "CREATE VIRTUAL TABLE notes USING fts5(body, title)" }, m_dir.path());
      QVERIFY(connection);
      m_shop = runReader(k_sqlite, connection->db());
      QVERIFY2(m_shop.result.getValue(), qPrintable(m_shop.result.getDesc()));

      // every table refers to the one with a double quote in its name, which refers to itself
      auto quoted = [](QString s) { return "\"" + s.replace("\"", "\"\"") + "\""; };
      QStringList lstDdl;
      for (const QString& sName : awkward())
      {
         lstDdl.append("CREATE TABLE " + quoted(sName) + " (id INTEGER PRIMARY KEY, " + quoted(QString::fromUtf8("vál ") + sName)
                       + " TEXT DEFAULT 'x', ref INTEGER REFERENCES \"say \"\"hi\"\"\"(id))");
      }
      // ANALYZE adds sqlite_stat1, another of SQLite's own tables
      lstDdl << "CREATE INDEX \"idx.ref\" ON \"with blank\"(ref)" << "INSERT INTO \"with blank\" (id) VALUES (1)" << "ANALYZE";
      auto awkwardConnection = connectNew(k_sqlite, "awkward", lstDdl, m_dir.path());
      QVERIFY(awkwardConnection);
      m_awkward = runReader(k_sqlite, awkwardConnection->db());
      QVERIFY2(m_awkward.result.getValue(), qPrintable(m_awkward.result.getDesc()));
   }

   // SQLite's own tables are left out, and nothing else
   void tablesInCatalogueOrder()
   {
      // fts5 keeps its data in tables of its own, read as the tables they are
      QCOMPARE(tableNames(m_shop.tables), QStringList({ "customer", "shop", "item", "line", "v_line (view)", "calc", "notes",
                                                        "notes_data", "notes_idx", "notes_content", "notes_docsize", "notes_config" }));
      KEL_VERIFY_SHAPE(m_shop.tables);
      // thirteen catalogue rows, sqlite_sequence among them: skipped, but counted for progress
      QList<int> lstProgress;
      for (int i = 1; i <= 13; ++i) { lstProgress.append((i * 100) / 13); }
      QCOMPARE(m_shop.progress, lstProgress);
      QCOMPARE(tableNames(m_awkward.tables), awkward());
      KEL_VERIFY_SHAPE(m_awkward.tables);
   }

   void model_data()
   {
      addModelData();
      QTest::newRow("integer primary key") << "customer" << "" << "cols[name,created,score,note] pk[id]";
      QTest::newRow("composite key, key column also in a foreign key") << "item" << "" << "cols[label,price] pk[shop,code] fk[->shop(shop>id)]";
      QTest::newRow("no primary key, two-column and implicit foreign keys") << "line" << ""
         << "cols[qty,flag] pk[] fk[->customer(customer_id>id)] fk[->item(shop>shop,code>code)] fk[->shop(shop>id)]";
      QTest::newRow("view") << "v_line" << "" << "cols[customer_id,qty] pk[]";
      QTest::newRow("generated columns; implicit two-column foreign key") << "calc" << "" << "cols[a,twice,next] pk[] fk[->item(shop>shop,code>code)]";
      QTest::newRow("virtual table without its hidden columns") << "notes" << "" << "cols[body,title] pk[]";
      QTest::newRow("integer key") << "customer" << "id" << "INTEGER|4||null|";
      QTest::newRow("quoted literal default") << "customer" << "name" << "VARCHAR(40)|10|'nobody'|not null|";
      QTest::newRow("keyword default") << "customer" << "created" << "DATETIME|16|CURRENT_TIMESTAMP|null|";
      QTest::newRow("expression default") << "customer" << "score" << "NUMERIC(10,2)|6|1 + 2|null|";
      QTest::newRow("untyped") << "customer" << "note" << "|0||null|";
      QTest::newRow("time") << "shop" << "closes" << "TIME|15||null|";
      QTest::newRow("text key part") << "item" << "code" << "TEXT|10||not null|";
      QTest::newRow("real") << "item" << "price" << "REAL|6|0.5|null|";
      QTest::newRow("boolean") << "line" << "flag" << "BOOLEAN|1|TRUE|null|";
      QTest::newRow("foreign key column") << "line" << "customer_id" << "INTEGER|4||not null|";
      QTest::newRow("stored generated column") << "calc" << "twice" << "INT|4||null|";
      QTest::newRow("virtual generated column") << "calc" << "next" << "INT|4||null|";
   }
   void model() { verifyModel(m_shop.tables); }

   void awkwardNames_data()
   {
      QTest::addColumn<QString>("table");
      for (const QString& sName : awkward()) { QTest::newRow(qPrintable(sName)) << sName; }
   }
   void awkwardNames()
   {
      QFETCH(QString, table);
      const table_ptr pTable = findTable(m_awkward.tables, table);
      QVERIFY(pTable);
      QCOMPARE(layout(pTable), QString::fromUtf8("cols[vál %1] pk[id] fk[->say \"hi\"(ref>id)]").arg(table));
      QCOMPARE(describe(findColumn(pTable, QString::fromUtf8("vál ") + table)), QString("TEXT|10|'x'|null|"));
   }
};

QTEST_GUILESS_MAIN(tst_reader_sqlite)
#include "tst_reader_sqlite.moc"
