// The PostgreSQL reader on databases of the test server, read through psqlODBC.
#include <QtTest>

#include "reader_support.h"

using namespace kel_readers;

class tst_reader_postgresql : public QObject
{
   Q_OBJECT

   read_result m_shop;   // the shop database below, read once

private Q_SLOTS:
   void initTestCase()
   {
      KEL_REQUIRE_POSTGRESQL();
      m_shop = readNew(k_postgresql, "kel_readers_pg_shop", {
         "CREATE SCHEMA sales",
         "CREATE TABLE shop (id serial PRIMARY KEY, name varchar(40) NOT NULL DEFAULT 'main', opened date DEFAULT CURRENT_DATE, motto text DEFAULT 'it''s ours')",
         "COMMENT ON TABLE shop IS 'Shops of the chain'",
         "COMMENT ON COLUMN shop.name IS 'Name shown'",
         "CREATE TABLE item (shop_id integer NOT NULL, code varchar(10) NOT NULL, price numeric(8,2) DEFAULT 0, weight float8 DEFAULT (1.5 * 2), "
         "PRIMARY KEY (shop_id, code), CONSTRAINT fk_item_shop FOREIGN KEY (shop_id) REFERENCES shop(id))",
         // no primary key; shop_id is in two foreign keys, one of them on two columns
         "CREATE TABLE line (line_no bigint, shop_id int NOT NULL, code varchar(10), qty smallint DEFAULT 1, flag boolean DEFAULT true, "
         "at timestamptz DEFAULT now(), data bytea, CONSTRAINT fk_line_item FOREIGN KEY (shop_id, code) REFERENCES item(shop_id, code), "
         "CONSTRAINT fk_line_shop FOREIGN KEY (shop_id) REFERENCES shop(id))",
         "CREATE VIEW v_line AS SELECT shop_id, qty FROM line",
         "COMMENT ON VIEW v_line IS 'Lines'",
         // a second schema with a table of the same name
         "CREATE TABLE sales.shop (id int PRIMARY KEY, region text)",
         "CREATE TABLE sales.order_ref (id int PRIMARY KEY, shop_id int CONSTRAINT fk_sales_shop REFERENCES public.shop(id), "
         "local_shop int CONSTRAINT fk_local REFERENCES sales.shop(id))",
         "CREATE TABLE \"Ärger \"\"mit\"\" Quotes\" (\"spalte ö\" int PRIMARY KEY, \"x y\" text DEFAULT 'a b')",
         // declarative partitioning, and a foreign key to the partitioned table
         "CREATE TABLE measure (id int NOT NULL, taken date NOT NULL, value real, PRIMARY KEY (id, taken)) PARTITION BY RANGE (taken)",
         "CREATE TABLE measure_2023 PARTITION OF measure FOR VALUES FROM ('2023-01-01') TO ('2024-01-01')",
         "CREATE TABLE measure_2024 PARTITION OF measure FOR VALUES FROM ('2024-01-01') TO ('2025-01-01')",
         "CREATE TABLE probe (id bigserial PRIMARY KEY, m_id int, m_taken date, "
         "CONSTRAINT fk_probe_measure FOREIGN KEY (m_id, m_taken) REFERENCES measure (id, taken))",
         // a key covering a column it does not key on; a generated column
         "CREATE TABLE covered (id int, extra text DEFAULT 'e', PRIMARY KEY (id) INCLUDE (extra))",
         "CREATE TABLE gen (a int DEFAULT 3, twice int GENERATED ALWAYS AS (a * 2) STORED)",
         // schemas named like public in other letter cases are schemas of their own
         "CREATE SCHEMA \"Public\"", "CREATE SCHEMA \"PUBLIC\"",
         "CREATE TABLE \"Public\".shop (id int PRIMARY KEY, upper_a text)", "CREATE TABLE \"PUBLIC\".shop (id int PRIMARY KEY, upper_b text)",
         "CREATE TABLE shop_ref (x int CONSTRAINT fk_ref_upper REFERENCES \"Public\".shop(id), y int CONSTRAINT fk_ref_public REFERENCES public.shop(id))" });
      QVERIFY2(m_shop.result.getValue(), qPrintable(m_shop.result.getDesc()));
   }

   void tablesThenViewsBySchemaAndName()
   {
      // the partitions of measure are left out; names sort bytewise, so "Ä" comes after ASCII
      QCOMPARE(tableNames(m_shop.tables), QStringList({ "PUBLIC.shop", "Public.shop", "covered", "gen", "item", "line", "measure", "probe", "shop", "shop_ref",
                                                        QString::fromUtf8("Ärger \"mit\" Quotes"), "sales.order_ref", "sales.shop", "v_line (view)" }));
      KEL_VERIFY_SHAPE(m_shop.tables);
      QList<int> lstProgress;
      for (int i = 1; i <= 14; ++i) { lstProgress.append((i * 100) / 14); }
      QCOMPARE(m_shop.progress, lstProgress);
   }

   void model_data()
   {
      addModelData();
      QTest::newRow("serial key, comment") << "shop" << "" << "cols[name,opened,motto] pk[id] desc[Shops of the chain]";
      QTest::newRow("composite key read whole") << "item" << "" << "cols[price,weight] pk[shop_id,code] fk[fk_item_shop->shop(shop_id>id)]";
      QTest::newRow("no key, two-column foreign key, column in two keys") << "line" << ""
         << "cols[line_no,qty,flag,at,data] pk[] fk[fk_line_item->item(shop_id>shop_id,code>code)] fk[fk_line_shop->shop(shop_id>id)]";
      QTest::newRow("view") << "v_line" << "" << "cols[shop_id,qty] pk[] desc[Lines]";
      QTest::newRow("same name, other schema") << "sales.shop" << "" << "cols[region] pk[id]";
      QTest::newRow("foreign keys into two schemas") << "sales.order_ref" << "" << "cols[] pk[id] fk[fk_local->sales.shop(local_shop>id)] fk[fk_sales_shop->shop(shop_id>id)]";
      QTest::newRow("quotes, blanks, non-ASCII") << QString::fromUtf8("Ärger \"mit\" Quotes") << "" << QString::fromUtf8("cols[x y] pk[spalte ö]");
      QTest::newRow("partitioned table") << "measure" << "" << "cols[value] pk[id,taken]";
      QTest::newRow("foreign key to a partitioned table, once") << "probe" << "" << "cols[] pk[id] fk[fk_probe_measure->measure(m_id>id,m_taken>taken)]";
      QTest::newRow("covering key: only its key columns") << "covered" << "" << "cols[extra] pk[id]";
      QTest::newRow("schema \"Public\"") << "Public.shop" << "" << "cols[upper_a] pk[id]";
      QTest::newRow("schema \"PUBLIC\"") << "PUBLIC.shop" << "" << "cols[upper_b] pk[id]";
      QTest::newRow("schema public beside them") << "shop" << "" << "cols[name,opened,motto] pk[id] desc[Shops of the chain]";
      QTest::newRow("foreign keys to \"Public\" and public") << "shop_ref" << "" << "cols[] pk[] fk[fk_ref_public->shop(y>id)] fk[fk_ref_upper->Public.shop(x>id)]";
      // defaults as pg_get_expr() prints them (the server is 15)
      QTest::newRow("serial") << "shop" << "id" << "int4|4|nextval('shop_id_seq'::regclass)|not null|";
      QTest::newRow("quoted literal, comment") << "shop" << "name" << "varchar|10|'main'::character varying|not null|Name shown";
      QTest::newRow("function default") << "shop" << "opened" << "date|14|CURRENT_DATE|null|";
      QTest::newRow("doubled quote") << "shop" << "motto" << "text|10|'it''s ours'::text|null|";
      QTest::newRow("numeric has no value type") << "item" << "price" << "numeric|0|0|null|";
      QTest::newRow("expression") << "item" << "weight" << "float8|6|(1.5 * (2)::numeric)|null|";
      QTest::newRow("bool") << "line" << "flag" << "bool|1|true|null|";
      QTest::newRow("timestamptz") << "line" << "at" << "timestamptz|16|now()|null|";
      QTest::newRow("partitioned table's column") << "measure" << "taken" << "date|14||not null|";
      QTest::newRow("other schema's column") << "sales.shop" << "region" << "text|10||null|";
      QTest::newRow("covered column") << "covered" << "extra" << "text|10|'e'::text|null|";
      QTest::newRow("generated column has no default") << "gen" << "twice" << "int4|4||null|";
      QTest::newRow("its source column has") << "gen" << "a" << "int4|4|3|null|";
   }
   void model() { verifyModel(m_shop.tables); }

   // the read is one consistent picture of the catalogue, in a transaction that ends with the read
   void oneTransaction_data()
   {
      QTest::addColumn<QString>("change");      // made by another session when the first table is about to be read
      QTest::addColumn<QString>("expected");    // the tables read, or the failure
      QTest::newRow("tables dropped and renamed meanwhile") << "DROP TABLE doomed; ALTER TABLE moved RENAME TO moved_away"
         << "doomed: cols[note] pk[id] | first: cols[] pk[id] | moved: cols[] pk[id] fk[fk_moved->first(v>id)]";
      // the other session holds the lock until after the read: the reader's next query gives up waiting
      QTest::newRow("read fails") << "LOCK TABLE pg_catalog.pg_index IN ACCESS EXCLUSIVE MODE" << "An error occurred getting primary key for table 'doomed' :\n";
   }
   void oneTransaction()
   {
      QFETCH(QString, change);
      QFETCH(QString, expected);
      const bool bFails = expected.startsWith("An error");
      auto connection = connectNew(k_postgresql, "kel_readers_pg_moving", {
         "CREATE TABLE first (id int PRIMARY KEY)", "CREATE TABLE doomed (id int PRIMARY KEY, note text)",
         "CREATE TABLE moved (id int PRIMARY KEY, v int CONSTRAINT fk_moved REFERENCES first(id))" });
      QVERIFY(connection);
      QCOMPARE(connection->exec({ "SET lock_timeout = '200ms'" }), QString());
      kel_test::connection other(kel_test::postgresqlDsn("kel_readers_pg_moving"));
      QString sChangeError = "not made";
      const read_result read = runReader(k_postgresql, connection->db(), [&](int iPercent) {
         if (iPercent != 33) { return; }
         other.db()->transaction();
         sChangeError = other.exec(change.split("; "));
         if (! bFails) { other.db()->commit(); }
      });
      other.db()->rollback();
      QCOMPARE(sChangeError, QString());
      QCOMPARE(read.result.getValue(), ! bFails);
      QStringList lstLayouts;
      for (long i = 0; i < read.tables->count(); ++i) { lstLayouts.append(read.tables->getByIndex(i)->getName() + ": " + layout(read.tables->getByIndex(i))); }
      QVERIFY2(bFails ? read.result.getDesc().startsWith(expected) : (lstLayouts.join(" | ") == expected), qPrintable(read.result.getDesc() + lstLayouts.join(" | ")));
      // the reader's session is out of its read-only transaction: it can write again
      QCOMPARE(connection->exec({ "CREATE TABLE after_read (x int)" }), QString());
   }
};

QTEST_GUILESS_MAIN(tst_reader_postgresql)
#include "tst_reader_postgresql.moc"
