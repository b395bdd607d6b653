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
         "CONSTRAINT fk_probe_measure FOREIGN KEY (m_id, m_taken) REFERENCES measure (id, taken))" });
      QVERIFY2(m_shop.result.getValue(), qPrintable(m_shop.result.getDesc()));
   }

   void tablesThenViewsBySchemaAndName()
   {
      // the partitions of measure are left out; names sort bytewise, so "Ä" comes after ASCII
      QCOMPARE(tableNames(m_shop.tables), QStringList({ "item", "line", "measure", "probe", "shop", QString::fromUtf8("Ärger \"mit\" Quotes"),
                                                        "sales.order_ref", "sales.shop", "v_line (view)" }));
      KEL_VERIFY_SHAPE(m_shop.tables);
      QCOMPARE(m_shop.progress, QList<int>({ 11, 22, 33, 44, 55, 66, 77, 88, 100 }));
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
   }
   void model() { verifyModel(m_shop.tables); }

   void schemaPublicInTwoCases()
   {
      // "Public" and "public" both give the empty namespace: of the two twin tables only the first read stays
      const read_result read = readNew(k_postgresql, "kel_readers_pg_public", {
         "CREATE SCHEMA \"Public\"",
         "CREATE TABLE public.twin (a int)", "CREATE TABLE \"Public\".twin (b int)",
         "CREATE TABLE \"Public\".solo (c int PRIMARY KEY)",
         "CREATE TABLE public.ref (x int CONSTRAINT fk_ref_solo REFERENCES \"Public\".solo(c))" });
      QVERIFY2(read.result.getValue(), qPrintable(read.result.getDesc()));
      KEL_VERIFY_SHAPE(read.tables);
      // the reader orders schemas as the server sorts names: ask the server which comes first
      kel_test::connection connection(kel_test::postgresqlDsn("kel_readers_pg_public"));
      const bool bUpperFirst = (connection.column("SELECT min(nspname) FROM pg_namespace WHERE nspname IN ('public', 'Public')").value(0) == "Public");
      QCOMPARE(tableNames(read.tables), bUpperFirst ? QStringList({ "solo", "twin", "ref" }) : QStringList({ "ref", "twin", "solo" }));
      QCOMPARE(layout(findTable(read.tables, "twin")), QString(bUpperFirst ? "cols[b] pk[]" : "cols[a] pk[]"));
      QCOMPARE(layout(findTable(read.tables, "ref")), QString("cols[] pk[] fk[fk_ref_solo->solo(x>c)]"));
      // the duplicate row still counts for progress
      QCOMPARE(read.progress, QList<int>({ 25, 50, 75, 100 }));
   }
};

QTEST_GUILESS_MAIN(tst_reader_postgresql)
#include "tst_reader_postgresql.moc"
