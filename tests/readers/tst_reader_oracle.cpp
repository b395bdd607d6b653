// The Oracle reader on Oracle dictionaries that the PostgreSQL test server serves
// (catalogue_emulation.h): the reader's own SQL runs on them through psqlODBC.
#include <QtTest>

#include "emulated_run.h"

using namespace kel_readers;
using kel_emulation::dialect;

namespace {

// Owners SHOP, ARCHIVE (a table and a key of the same names as SHOP's), REPORT (views only) and one
// the exclusion list drops; tables without tablespace; Oracle's own segments of SHOP's tables.
const QString k_sShop = R"(
CREATE TABLE customer (id NUMBER(10) NOT NULL, name VARCHAR2(40) DEFAULT 'anon' NOT NULL, active CHAR(1) DEFAULT 'Y' , created DATE DEFAULT SYSDATE,
  CONSTRAINT pk_customer PRIMARY KEY (id));
CREATE TABLE archive.customer (cust_no NUMBER(10) NOT NULL, name VARCHAR2(40), CONSTRAINT pk_customer PRIMARY KEY (cust_no));
CREATE TABLE item (shop_id INT NOT NULL, code VARCHAR2(10) NOT NULL, price NUMBER(8,2) DEFAULT 0,
  CONSTRAINT pk_item PRIMARY KEY (shop_id, code)) ORGANIZATION INDEX OVERFLOW TABLESPACE users;
CREATE TABLE outlet (id INT PRIMARY KEY, city VARCHAR2(30));
CREATE TABLE line (line_no INT, shop_id INT NOT NULL, code VARCHAR2(10), customer_id INT, qty SMALLINT DEFAULT 1 NOT NULL, amount NUMBER(10,2),
  amount12 NUMBER GENERATED ALWAYS AS (amount*12) VIRTUAL,
  CONSTRAINT fk_line_item FOREIGN KEY (shop_id, code) REFERENCES shop.item (shop_id, code),
  CONSTRAINT fk_line_customer FOREIGN KEY (customer_id) REFERENCES shop.customer (id),
  CONSTRAINT fk_line_outlet FOREIGN KEY (shop_id) REFERENCES shop.outlet (id));
CREATE TABLE measure (id INT NOT NULL, taken DATE NOT NULL, value FLOAT, CONSTRAINT pk_measure PRIMARY KEY (id, taken))
  PARTITION BY RANGE (taken) (PARTITION p2024 VALUES LESS THAN (DATE '2025-01-01'));
CREATE GLOBAL TEMPORARY TABLE scratch (note VARCHAR2(100)) ON COMMIT DELETE ROWS;
CREATE TABLE person (id INT PRIMARY KEY, phones phone_list) NESTED TABLE phones STORE AS person_phones;
CREATE TABLE doc (id INT PRIMARY KEY, body CLOB);
CREATE INDEX doc_text ON doc (body) INDEXTYPE IS ctxsys.context;
CREATE TABLE audit_trail (at TIMESTAMP, what VARCHAR2(100)) TABLESPACE sysaux;
CREATE TABLE mysysapp.settings (k VARCHAR2(10) PRIMARY KEY);
CREATE VIEW v_line AS SELECT line.shop_id, line.qty FROM line;
CREATE VIEW report.v_sales AS SELECT line.customer_id, SUM(line.amount) AS total FROM line GROUP BY line.customer_id;
)";

const QString k_sSmall = "CREATE TABLE a (x INT PRIMARY KEY); CREATE TABLE b (y INT, CONSTRAINT fk_b FOREIGN KEY (y) REFERENCES shop.a (x)); "
                         "CREATE TABLE c (z INT); CREATE VIEW v AS SELECT a.x FROM a;";

QStringList catalogue(const QString& sDdl) { return kel_emulation::oracleCatalogue(kel_emulation::ddl_reader(dialect::oracle, "SHOP").read(sDdl)); }

} // namespace

class tst_reader_oracle : public QObject
{
   Q_OBJECT

   emulated_read m_shop;   // the shop catalogue below, read once

private Q_SLOTS:
   void initTestCase()
   {
      KEL_REQUIRE_POSTGRESQL();
      readEmulated(k_oracle, "kel_readers_oracle_shop", catalogue(k_sShop), m_shop);
   }

   // tables, then views; the tables without tablespace stay; no segment of Oracle's own, no excluded owner
   void tablesThenViews()
   {
      QCOMPARE(tableNames(m_shop.read.tables), QStringList({ "SHOP.CUSTOMER", "ARCHIVE.CUSTOMER", "SHOP.ITEM", "SHOP.OUTLET", "SHOP.LINE", "SHOP.MEASURE", "SHOP.SCRATCH",
                                                        "SHOP.PERSON", "SHOP.DOC", "SHOP.V_LINE (view)", "REPORT.V_SALES (view)" }));
      KEL_VERIFY_SHAPE(m_shop.read.tables);
      // over tables then views; what the queries leave out is no row
      QCOMPARE(m_shop.read.progress, QList<int>({ 9, 18, 27, 36, 45, 54, 63, 72, 81, 90, 100 }));
   }

   void model_data()
   {
      addModelData();
      QTest::newRow("key") << "SHOP.CUSTOMER" << "" << "cols[NAME,ACTIVE,CREATED] pk[ID]";
      QTest::newRow("same name and key name, other owner") << "ARCHIVE.CUSTOMER" << "" << "cols[NAME] pk[CUST_NO]";
      QTest::newRow("index-organized, composite key") << "SHOP.ITEM" << "" << "cols[PRICE] pk[SHOP_ID,CODE]";
      QTest::newRow("key owner's target, column in two foreign keys") << "SHOP.LINE" << ""
         << "cols[LINE_NO,QTY,AMOUNT,AMOUNT12] pk[] fk[FK_LINE_CUSTOMER->SHOP.CUSTOMER(CUSTOMER_ID>ID)] fk[FK_LINE_ITEM->SHOP.ITEM(SHOP_ID>SHOP_ID,CODE>CODE)] "
            "fk[FK_LINE_OUTLET->SHOP.OUTLET(SHOP_ID>ID)]";
      QTest::newRow("partitioned") << "SHOP.MEASURE" << "" << "cols[VALUE] pk[ID,TAKEN]";
      QTest::newRow("temporary") << "SHOP.SCRATCH" << "" << "cols[NOTE] pk[]";
      QTest::newRow("nested-table column, unnamed key") << "SHOP.PERSON" << "" << "cols[PHONES] pk[ID]";
      QTest::newRow("view") << "SHOP.V_LINE" << "" << "cols[SHOP_ID,QTY] pk[]";
      QTest::newRow("views-only owner") << "REPORT.V_SALES" << "" << "cols[CUSTOMER_ID,TOTAL] pk[]";
      QTest::newRow("number") << "SHOP.CUSTOMER" << "ID" << "NUMBER|6||not null|";
      QTest::newRow("default kept with its blank") << "SHOP.CUSTOMER" << "NAME" << "VARCHAR2|10|'anon' |not null|";
      QTest::newRow("nullable, blank before the comma") << "SHOP.CUSTOMER" << "ACTIVE" << "CHAR|10|'Y' |null|";
      QTest::newRow("function default") << "SHOP.CUSTOMER" << "CREATED" << "DATE|14|SYSDATE|null|";
      QTest::newRow("virtual column has no default") << "SHOP.LINE" << "AMOUNT12" << "NUMBER|6||null|";
      QTest::newRow("smallint") << "SHOP.LINE" << "QTY" << "NUMBER|6|1 |not null|";
      QTest::newRow("clob") << "SHOP.DOC" << "BODY" << "CLOB|10||null|";
   }
   void model()
   {
      QFETCH(QString, table);
      QFETCH(QString, column);
      QFETCH(QString, expected);
      const table_ptr pTable = findTable(m_shop.read.tables, table.section('.', 1), table.section('.', 0, 0));
      QVERIFY(pTable);
      if (! column.isEmpty()) { QCOMPARE(describe(findColumn(pTable, column)), expected); return; }
      QCOMPARE(pTable->getIsView(), pTable->getName().startsWith("V_"));
      QCOMPARE(layout(pTable), expected);
   }

   // the reader's own texts, none ending with ";" (ORA-00911), reach the server unchanged
   void textsSent()
   {
      QStringList lstOwn;
      verifyTextsSent(m_shop, "odbc_import_oracle.cpp", 5, lstOwn);
      QCOMPARE(lstOwn.filter(QRegularExpression(";\\s*$")), QStringList());
   }

   // 3 tables and a view; a dictionary view that goes away makes that step's query fail
   void run_data()
   {
      addRunData();
      const QString sNoTable = "No table found, please check your database type or select the generic import";
      QTest::newRow("all read") << "" << false << "" << 4;
      QTest::newRow("views only") << "DELETE FROM emul.all_tables" << false << "" << 1;
      QTest::newRow("tables") << "ALTER VIEW sys.all_tables RENAME TO gone" << false << "An error occurred fetching all tables :\n" << 0;
      QTest::newRow("views") << "ALTER VIEW sys.all_views RENAME TO gone" << false << "An error occurred fetching all views :\n" << 0;
      QTest::newRow("primary key") << "ALTER VIEW sys.all_constraints RENAME TO gone" << true << "An error occurred getting primary key for table " << 2;
      QTest::newRow("relationships") << "ALTER VIEW sys.all_constraints RENAME COLUMN r_owner TO gone" << true << "An error occurred getting all relationships for table " << 2;
      QTest::newRow("columns") << "ALTER VIEW sys.all_tab_cols RENAME TO gone" << true << "An error occurred getting all columns for table " << 2;
      QTest::newRow("nothing") << "DELETE FROM emul.all_tables; DELETE FROM emul.all_views" << false << sNoTable << 0;
      QTest::newRow("only what the exclusions drop") << "DELETE FROM emul.all_tables WHERE owner = 'SHOP'; DELETE FROM emul.all_views WHERE owner = 'SHOP'" << false << sNoTable << 0;
   }
   void run() { verifyEmulatedRun(k_oracle, "kel_readers_oracle_small", catalogue(k_sSmall)); }
};

QTEST_GUILESS_MAIN(tst_reader_oracle)
#include "tst_reader_oracle.moc"
