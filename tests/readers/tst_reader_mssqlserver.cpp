// The SQL Server reader on SQL Server catalogues that the PostgreSQL test server serves
// (catalogue_emulation.h): the reader's own SQL runs on them through psqlODBC.
#include <QtTest>

#include "emulated_run.h"

using namespace kel_readers;
using kel_emulation::dialect;

namespace {

// dbo and a second schema with a table of the same name; constraint names that need quoting
const QString k_sShop = R"(
CREATE TABLE customer (id INT NOT NULL IDENTITY, name NVARCHAR(40) NOT NULL, since DATETIME2 NOT NULL, vip BIT NOT NULL DEFAULT 0,
  credit MONEY NULL, CONSTRAINT [PK customer.id [1]]] PRIMARY KEY NONCLUSTERED (id))
GO
ALTER TABLE customer ADD CONSTRAINT DF_customer_since DEFAULT (sysdatetime()) FOR since
GO
CREATE TABLE item (shop_id INT NOT NULL, code NVARCHAR(10) NOT NULL, guid UNIQUEIDENTIFIER DEFAULT newid(), price MONEY DEFAULT 0,
  CONSTRAINT [pk.item] PRIMARY KEY (shop_id, code))
GO
CREATE TABLE sales.shop (id INT NOT NULL PRIMARY KEY, region VARCHAR(20) DEFAULT 'north')
GO
CREATE TABLE line (line_no BIGINT, shop_id INT NOT NULL, code NVARCHAR(10), customer_id INT, qty SMALLINT DEFAULT 1,
  CONSTRAINT fk_line_item FOREIGN KEY (shop_id, code) REFERENCES item (shop_id, code),
  CONSTRAINT fk_line_shop FOREIGN KEY (shop_id) REFERENCES sales.shop (id),
  CONSTRAINT fk_line_customer FOREIGN KEY (customer_id) REFERENCES customer (id))
GO
CREATE TABLE sales.customer (cust_no INT NOT NULL, home_id INT, CONSTRAINT [PK customer.id [1]]] PRIMARY KEY (cust_no),
  CONSTRAINT fk_sales_home FOREIGN KEY (home_id) REFERENCES dbo.customer (id))
GO
CREATE VIEW v_line AS SELECT line.shop_id, line.qty FROM line
GO
)";

const QString k_sSmall = "CREATE TABLE a (x INT PRIMARY KEY)\nGO\nCREATE TABLE b (y INT, CONSTRAINT fk_b FOREIGN KEY (y) REFERENCES a (x))\nGO\n"
                         "CREATE TABLE c (z INT)\nGO\nCREATE VIEW v AS SELECT a.x FROM a\nGO\n";

QStringList catalogue(const QString& sDdl) { return kel_emulation::sqlServerCatalogue(kel_emulation::ddl_reader(dialect::mssqlserver, "dbo").read(sDdl)); }

} // namespace

class tst_reader_mssqlserver : public QObject
{
   Q_OBJECT

   emulated_read m_shop;   // the shop catalogue below, read once

private Q_SLOTS:
   void initTestCase()
   {
      KEL_REQUIRE_POSTGRESQL();
      readEmulated(k_mssqlserver, "kel_readers_mssql_shop", catalogue(k_sShop), m_shop);
   }

   void tablesOfEverySchema()
   {
      QStringList lstNames = tableNames(m_shop.read.tables);
      lstNames.sort();
      QCOMPARE(lstNames, QStringList({ "customer", "item", "line", "sales.customer", "sales.shop", "v_line (view)" }));
      KEL_VERIFY_SHAPE(m_shop.read.tables);
      QCOMPARE(m_shop.read.progress, QList<int>({ 16, 33, 50, 66, 83, 100 }));
   }

   // columns and composite keys in position order, though the dictionary keeps them last first
   void model_data()
   {
      addModelData();
      QTest::newRow("key name with blank, dot and bracket") << "customer" << "" << "cols[name,since,vip,credit] pk[id]";
      QTest::newRow("composite key, dotted name") << "item" << "" << "cols[guid,price] pk[shop_id,code]";
      QTest::newRow("no key, column in two foreign keys, other schema") << "line" << ""
         << "cols[line_no,qty] pk[] fk[fk_line_customer->customer(customer_id>id)] fk[fk_line_item->item(shop_id>shop_id,code>code)] fk[fk_line_shop->sales.shop(shop_id>id)]";
      QTest::newRow("same name, other schema; target in dbo") << "sales.customer" << "" << "cols[] pk[cust_no] fk[fk_sales_home->customer(home_id>id)]";
      QTest::newRow("other schema") << "sales.shop" << "" << "cols[region] pk[id]";
      QTest::newRow("view") << "v_line" << "" << "cols[shop_id,qty] pk[]";
      QTest::newRow("identity") << "customer" << "id" << "int|4||not null|";
      QTest::newRow("nvarchar") << "customer" << "name" << "nvarchar|10||not null|";
      QTest::newRow("datetime2, default constraint") << "customer" << "since" << "datetime2|16|(sysdatetime())|not null|";
      QTest::newRow("bit") << "customer" << "vip" << "bit|0|((0))|not null|";
      QTest::newRow("money, nullable") << "customer" << "credit" << "money|0||null|";
      QTest::newRow("uniqueidentifier") << "item" << "guid" << "uniqueidentifier|0|(newid())|null|";
      QTest::newRow("bigint") << "line" << "line_no" << "bigint|5||null|";
      QTest::newRow("string default") << "sales.shop" << "region" << "varchar|10|('north')|null|";
   }
   void model() { verifyModel(m_shop.read.tables); }

   // the reader's own texts reach the server unchanged (psqlODBC drops a trailing ";"); a database of
   // case-sensitive collation knows INFORMATION_SCHEMA's names in upper case only
   void textsSent()
   {
      QStringList lstOwn;
      verifyTextsSent(m_shop, "odbc_import_mssqlserver.cpp", 4, lstOwn);
      for (QString sql : m_shop.server)
      {
         if (! sql.contains("INFORMATION_SCHEMA", Qt::CaseInsensitive)) { continue; }
         // aliases and literals aside, every name is upper case
         sql.remove(QRegularExpression("'[^']*'")).remove(QRegularExpression("\\bAS \\w+"));
         QVERIFY2(sql == sql.toUpper(), qPrintable(sql));
      }
   }

   // the emulation's SQL Server functions resolve names as the server does
   void serverFunctions_data()
   {
      QTest::addColumn<QString>("sExpression");
      QTest::addColumn<QString>("sExpected");
      QTest::newRow("brackets, \"]\" doubled") << "QUOTENAME('a]b')" << "[a]]b]";
      QTest::newRow("string +") << "'a' + 'b'" << "ab";
      QTest::newRow("one part, bracketed") << "OBJECTPROPERTY(OBJECT_ID('[PK customer.id [1]]]'), 'IsPrimaryKey')" << "1";
      QTest::newRow("two parts") << "OBJECTPROPERTY(OBJECT_ID('dbo.[pk.item]'), 'IsPrimaryKey')" << "1";
      QTest::newRow("three parts, quoted") << "OBJECTPROPERTY(OBJECT_ID(current_database() + '.\"sales\".shop'), 'IsUserTable')" << "1";
      QTest::newRow("empty schema is dbo") << "OBJECTPROPERTY(OBJECT_ID(current_database() + '..customer'), 'IsPrimaryKey')" << "0";
      QTest::newRow("bare name with a dot") << "COALESCE(OBJECT_ID('dbo.pk.item'), 0)" << "0";
      QTest::newRow("bare name with a blank") << "COALESCE(OBJECT_ID('[dbo].PK customer'), 0)" << "0";
      QTest::newRow("other database") << "COALESCE(OBJECT_ID('elsewhere.dbo.customer'), 0)" << "0";
      QTest::newRow("four parts") << "COALESCE(OBJECT_ID('a.b.c.d'), 0)" << "0";
   }
   void serverFunctions()
   {
      QFETCH(QString, sExpression);
      QFETCH(QString, sExpected);
      QVERIFY(m_shop.connection);
      QCOMPARE(m_shop.connection->column("SELECT " + sExpression), QStringList(sExpected));
   }

   // 3 tables and a view; a catalogue view that goes away makes that step's query fail
   void run_data()
   {
      addRunData();
      QTest::newRow("all read") << "" << false << "" << 4;
      QTest::newRow("tables") << "ALTER VIEW information_schema.tables RENAME TO gone" << false << "An error occurred fetching all tables :\n" << 0;
      QTest::newRow("primary key") << "ALTER VIEW information_schema.key_column_usage RENAME TO gone" << true << "An error occurred getting primary key for table " << 2;
      QTest::newRow("relationships") << "ALTER VIEW sys.foreign_keys RENAME TO gone" << true << "An error occurred getting all relationships for table " << 2;
      QTest::newRow("columns") << "ALTER VIEW information_schema.columns RENAME TO gone" << true << "An error occurred getting all columns for table " << 2;
      QTest::newRow("views only") << "DELETE FROM emul.objects WHERE type <> 'V'" << false << "" << 1;
      QTest::newRow("no table") << "DELETE FROM emul.objects" << false << "No table found, please check your database type or select the generic import" << 0;
   }
   void run() { verifyEmulatedRun(k_mssqlserver, "kel_readers_mssql_small", catalogue(k_sSmall)); }
};

QTEST_GUILESS_MAIN(tst_reader_mssqlserver)
#include "tst_reader_mssqlserver.moc"
