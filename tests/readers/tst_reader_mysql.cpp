// The MySQL reader on databases of the MariaDB test server, read through MariaDB Connector/ODBC.
// information_schema gives tables and columns in no guaranteed order: lists are compared sorted.
#include <QtTest>

#include "reader_support.h"

using namespace kel_readers;

class tst_reader_mysql : public QObject
{
   Q_OBJECT

   read_result m_shop;   // the shop database below, read once

   static QStringList sorted(QStringList lst) { lst.sort(); return lst; }

private Q_SLOTS:
   void initTestCase()
   {
      KEL_REQUIRE_MYSQL();
      QCOMPARE(createDatabase(k_mysql, "kel_readers_my_other", { "CREATE TABLE ext_target (id int PRIMARY KEY)" }), QString());
      m_shop = readNew(k_mysql, "kel_readers_my_shop", {
         "CREATE TABLE shop (id int unsigned NOT NULL AUTO_INCREMENT PRIMARY KEY, name varchar(40) NOT NULL DEFAULT 'main' COMMENT 'Name shown', "
         "opened datetime DEFAULT CURRENT_TIMESTAMP, motto text DEFAULT 'it''s ours') COMMENT='Shops of the chain'",
         "CREATE TABLE item (shop_id int unsigned NOT NULL, code varchar(10) NOT NULL, price decimal(8,2) DEFAULT 0.00, flag tinyint(1) DEFAULT 1, "
         "kind enum('a','b') DEFAULT 'a', big bigint(20) unsigned, PRIMARY KEY (shop_id, code), CONSTRAINT fk_item_shop FOREIGN KEY (shop_id) REFERENCES shop(id))",
         // no primary key; shop_id is in two foreign keys, one of them on two columns
         "CREATE TABLE line (line_no bigint, shop_id int unsigned NOT NULL, code varchar(10), qty smallint DEFAULT (1+1), note text, at date, "
         "CONSTRAINT fk_line_item FOREIGN KEY (shop_id, code) REFERENCES item(shop_id, code), CONSTRAINT fk_line_shop FOREIGN KEY (shop_id) REFERENCES shop(id))",
         "CREATE VIEW v_line AS SELECT shop_id, qty FROM line",
         // MariaDB reports the table type "SYSTEM VERSIONED" for this one
         "CREATE TABLE hist (id int PRIMARY KEY, v int) WITH SYSTEM VERSIONING",
         "CREATE TABLE `Ärger \"mit\" ``Quotes``` (`spalte ö` int PRIMARY KEY, `x y` text DEFAULT 'a b')",
         "CREATE TABLE ext_ref (x int, CONSTRAINT fk_ext FOREIGN KEY (x) REFERENCES kel_readers_my_other.ext_target(id))",
         // no default, a NULL default, the string 'NULL'; a table whose comment is the text VIEW
         "CREATE TABLE defaults (a int, b varchar(10) DEFAULT 'NULL', c int DEFAULT NULL, d int NOT NULL) COMMENT='VIEW'" });
      QVERIFY2(m_shop.result.getValue(), qPrintable(m_shop.result.getDesc()));
   }

   void tablesOfTheCurrentDatabaseOnly()
   {
      QCOMPARE(sorted(tableNames(m_shop.tables)), QStringList({ "defaults", "ext_ref", "hist", "item", "line", "shop", "v_line (view)", QString::fromUtf8("Ärger \"mit\" `Quotes`") }));
      KEL_VERIFY_SHAPE(m_shop.tables);
      QCOMPARE(m_shop.progress, QList<int>({ 12, 25, 37, 50, 62, 75, 87, 100 }));
   }

   void model_data()
   {
      addModelData();
      QTest::newRow("auto_increment key, comment") << "shop" << "" << "cols[motto,name,opened] pk[id] desc[Shops of the chain]";
      QTest::newRow("composite key") << "item" << "" << "cols[big,flag,kind,price] pk[code,shop_id] fk[fk_item_shop->shop(shop_id>id)]";
      QTest::newRow("no key, two-column foreign key, column in two keys") << "line" << ""
         << "cols[at,line_no,note,qty] pk[] fk[fk_line_item->item(code>code,shop_id>shop_id)] fk[fk_line_shop->shop(shop_id>id)]";
      // information_schema gives every view the comment "VIEW": that is no description; a table's comment VIEW is one
      QTest::newRow("view") << "v_line" << "" << "cols[qty,shop_id] pk[]";
      QTest::newRow("table commented VIEW") << "defaults" << "" << "cols[a,b,c,d] pk[] desc[VIEW]";
      QTest::newRow("system-versioned table") << "hist" << "" << "cols[v] pk[id]";
      QTest::newRow("quotes, blanks, non-ASCII") << QString::fromUtf8("Ärger \"mit\" `Quotes`") << "" << QString::fromUtf8("cols[x y] pk[spalte ö]");
      QTest::newRow("foreign key into another database") << "ext_ref" << "" << "cols[] pk[] fk[fk_ext->ext_target(x>id)]";
      // full column types; defaults as information_schema prints them, but for the bare text NULL of "no default"
      QTest::newRow("unsigned key") << "shop" << "id" << "int(10) unsigned|4||not null|";
      QTest::newRow("quoted literal, comment") << "shop" << "name" << "varchar(40)|10|'main'|not null|Name shown";
      QTest::newRow("function default") << "shop" << "opened" << "datetime|16|current_timestamp()|null|";
      QTest::newRow("escaped quote") << "shop" << "motto" << "text|10|'it\\'s ours'|null|";
      QTest::newRow("tinyint(1)") << "item" << "flag" << "tinyint(1)|2|1|null|";
      QTest::newRow("bigint unsigned") << "item" << "big" << "bigint(20) unsigned|5||null|";
      QTest::newRow("expression") << "line" << "qty" << "smallint(6)|2|(1 + 1)|null|";
      QTest::newRow("view column") << "v_line" << "shop_id" << "int(10) unsigned|4||not null|";
      QTest::newRow("system-versioned column") << "hist" << "v" << "int(11)|4||null|";
      QTest::newRow("nullable, no default") << "defaults" << "a" << "int(11)|4||null|";
      QTest::newRow("the string 'NULL'") << "defaults" << "b" << "varchar(10)|10|'NULL'|null|";
      QTest::newRow("DEFAULT NULL") << "defaults" << "c" << "int(11)|4||null|";
      QTest::newRow("not null, no default") << "defaults" << "d" << "int(11)|4||not null|";
      QTest::newRow("blank in names") << QString::fromUtf8("Ärger \"mit\" `Quotes`") << "x y" << "text|10|'a b'|null|";
   }
   void model() { verifyModel(m_shop.tables, true); }

   void noDatabaseSelected()
   {
      kel_test::connection connection(kel_test::mysqlDsn(QString()));
      QVERIFY2(connection.isOpen(), qPrintable(connection.openError()));
      const read_result read = runReader(k_mysql, connection.db());
      QVERIFY(! read.result.getValue());
      QCOMPARE(read.result.getDesc(), QString("Unable to get current database name"));
      QCOMPARE(read.tables->count(), 0L);
   }
};

QTEST_GUILESS_MAIN(tst_reader_mysql)
#include "tst_reader_mysql.moc"
