// The readers, each on a shop schema that holds what its engine must read right, and on Sakila: databases of
// the PostgreSQL and MariaDB test servers, SQLite files, and SQL Server and Oracle catalogues that the PostgreSQL
// test server serves (catalogue_emulation.h) so that those readers' own SQL runs on them. All through QODBC.
#include <map>

#include <QFile>
#include <QSqlDriver>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

#include <odbc_import_mssqlserver.h>
#include <odbc_import_mysql.h>
#include <odbc_import_oracle.h>
#include <odbc_import_postgresql.h>

#include "catalogue_emulation.h"
#include "reader_support.h"

using namespace kel_readers;

namespace {

const QStringList k_lstPostgreSql = {
   "CREATE SCHEMA sales",
   "CREATE TABLE shop (id serial PRIMARY KEY, name varchar(40) NOT NULL DEFAULT 'main')",
   "COMMENT ON TABLE shop IS 'Shops of the chain'", "COMMENT ON COLUMN shop.name IS 'Name shown'",
   "CREATE TABLE item (shop_id integer NOT NULL, code varchar(10) NOT NULL, price numeric(8,2), PRIMARY KEY (shop_id, code), "
   "CONSTRAINT fk_item_shop FOREIGN KEY (shop_id) REFERENCES shop(id))",
   // no primary key; shop_id is in two foreign keys, one of them on two columns
   "CREATE TABLE line (line_no bigint, shop_id int NOT NULL, code varchar(10), qty smallint, "
   "CONSTRAINT fk_line_item FOREIGN KEY (shop_id, code) REFERENCES item(shop_id, code), CONSTRAINT fk_line_shop FOREIGN KEY (shop_id) REFERENCES shop(id))",
   "CREATE VIEW v_line AS SELECT shop_id, qty FROM line", "COMMENT ON VIEW v_line IS 'Lines'",
   // a second schema with a table of the same name
   "CREATE TABLE sales.shop (id int PRIMARY KEY, region text)",
   "CREATE TABLE sales.order_ref (id int PRIMARY KEY, shop_id int CONSTRAINT fk_sales_shop REFERENCES public.shop(id), "
   "local_shop int CONSTRAINT fk_local REFERENCES sales.shop(id))",
   "CREATE TABLE \"Ärger \"\"mit\"\" Quotes\" (\"spalte ö\" int PRIMARY KEY, \"x y\" text)",
   // declarative partitioning, and a foreign key to the partitioned table
   "CREATE TABLE measure (id int NOT NULL, taken date NOT NULL, value real, PRIMARY KEY (id, taken)) PARTITION BY RANGE (taken)",
   "CREATE TABLE measure_2023 PARTITION OF measure FOR VALUES FROM ('2023-01-01') TO ('2024-01-01')",
   "CREATE TABLE measure_2024 PARTITION OF measure FOR VALUES FROM ('2024-01-01') TO ('2025-01-01')",
   "CREATE TABLE probe (id bigserial PRIMARY KEY, m_id int, m_taken date, CONSTRAINT fk_probe_measure FOREIGN KEY (m_id, m_taken) REFERENCES measure (id, taken))",
   // a key covering a column it does not key on; a generated column
   "CREATE TABLE covered (id int, extra text, PRIMARY KEY (id) INCLUDE (extra))", "CREATE TABLE gen (a int, twice int GENERATED ALWAYS AS (a * 2) STORED)",
   // schemas named like public in other letter cases are schemas of their own
   "CREATE SCHEMA \"Public\"", "CREATE SCHEMA \"PUBLIC\"",
   "CREATE TABLE \"Public\".shop (id int PRIMARY KEY, upper_a text)", "CREATE TABLE \"PUBLIC\".shop (id int PRIMARY KEY, upper_b text)",
   "CREATE TABLE shop_ref (x int CONSTRAINT fk_ref_upper REFERENCES \"Public\".shop(id), y int CONSTRAINT fk_ref_public REFERENCES public.shop(id))",
   // qHash("Aa") == qHash("BB"), qHash("AaBB") == qHash("BBAa"); "a.b".c and a."b.c" hash the same text
   "CREATE TABLE \"Aa\" (id int PRIMARY KEY)", "CREATE TABLE \"BB\" (id int PRIMARY KEY, \"Aa\" int, \"BB\" int, \"AaBB\" int, \"BBAa\" int, "
   "x int CONSTRAINT \"fk_Aa\" REFERENCES \"Aa\"(id), y int CONSTRAINT \"fk_BB\" REFERENCES \"BB\"(id))",
   "CREATE SCHEMA \"a.b\"", "CREATE SCHEMA a", "CREATE TABLE \"a.b\".c (x int)", "CREATE TABLE a.\"b.c\" (y int)" };

const QStringList k_lstMySql = {
   "CREATE TABLE shop (id int unsigned NOT NULL AUTO_INCREMENT PRIMARY KEY, name varchar(40) NOT NULL DEFAULT 'main' COMMENT 'Name shown') COMMENT='Shops of the chain'",
   "CREATE TABLE item (shop_id int unsigned NOT NULL, code varchar(10) NOT NULL, price decimal(8,2), PRIMARY KEY (shop_id, code), "
   "CONSTRAINT fk_item_shop FOREIGN KEY (shop_id) REFERENCES shop(id))",
   "CREATE TABLE line (line_no bigint, shop_id int unsigned NOT NULL, code varchar(10), qty smallint, "
   "CONSTRAINT fk_line_item FOREIGN KEY (shop_id, code) REFERENCES item(shop_id, code), CONSTRAINT fk_line_shop FOREIGN KEY (shop_id) REFERENCES shop(id))",
   "CREATE VIEW v_line AS SELECT shop_id, qty FROM line",
   // MariaDB reports the table type "SYSTEM VERSIONED" for this one
   "CREATE TABLE hist (id int PRIMARY KEY, v int) WITH SYSTEM VERSIONING",
   "CREATE TABLE `Ärger \"mit\" ``Quotes``` (`spalte ö` int PRIMARY KEY, `x y` text)",
   "CREATE TABLE ext_ref (x int, CONSTRAINT fk_ext FOREIGN KEY (x) REFERENCES kel_readers_my_other.ext_target(id))",
   // no default, the string 'NULL', a NULL default; a table whose comment is the text VIEW
   "CREATE TABLE defaults (a int, b varchar(10) DEFAULT 'NULL', c int DEFAULT NULL) COMMENT='VIEW'",
   "CREATE TABLE Aa (id int PRIMARY KEY)", "CREATE TABLE BB (id int PRIMARY KEY, Aa int, BB int, AaBB int, BBAa int, x int, y int, "
   "CONSTRAINT fk_Aa FOREIGN KEY (x) REFERENCES Aa(id), CONSTRAINT fk_BB FOREIGN KEY (y) REFERENCES BB(id))",
   // a view of a dropped table
   "CREATE TABLE gone (x int)", "CREATE VIEW v_broken AS SELECT x FROM gone", "DROP TABLE gone" };

const QStringList k_lstSqlite = {
   // AUTOINCREMENT makes SQLite add its own table sqlite_sequence to the catalogue
   "CREATE TABLE customer (id INTEGER PRIMARY KEY AUTOINCREMENT, name VARCHAR(40) NOT NULL DEFAULT 'nobody')",
   "CREATE TABLE shop (id INTEGER PRIMARY KEY)",
   "CREATE TABLE item (shop INTEGER NOT NULL REFERENCES shop(id), code TEXT NOT NULL, price REAL, PRIMARY KEY (shop, code))",
   // no primary key; shop is in two foreign keys; customer is referenced without a column
   "CREATE TABLE line (customer_id INTEGER NOT NULL REFERENCES customer, shop INTEGER, code TEXT, qty BIGINT, "
   "FOREIGN KEY (shop, code) REFERENCES item(shop, code), FOREIGN KEY (shop) REFERENCES shop(id))",
   "CREATE VIEW v_line AS SELECT customer_id, qty FROM line",
   // generated columns, stored and virtual; a foreign key to a composite key named without its columns
   "CREATE TABLE calc (a INTEGER, twice INT GENERATED ALWAYS AS (a * 2) STORED, next INT AS (a + 1), shop INTEGER, code TEXT, FOREIGN KEY (shop, code) REFERENCES item)",
   // a virtual table has hidden columns (its own name, rank): those are no columns
   "CREATE VIRTUAL TABLE notes USING fts5(body, title)",
   "CREATE TABLE \"Aa\" (id INTEGER PRIMARY KEY)", "CREATE TABLE \"BB\" (id INTEGER PRIMARY KEY, \"Aa\" INT, \"BB\" INT, \"AaBB\" INT, \"BBAa\" INT, "
   "x INT CONSTRAINT \"fk_Aa\" REFERENCES \"Aa\"(id), y INT CONSTRAINT \"fk_BB\" REFERENCES \"BB\"(id))",
   "CREATE TABLE gone (x INT)", "CREATE VIEW v_broken AS SELECT x FROM gone", "DROP TABLE gone" };

// dbo and a second schema with a table of the same name; constraint names that need quoting; the diagrams table of the management tools
const QString k_sMsSqlServer = R"(
CREATE TABLE customer (id INT NOT NULL IDENTITY, name NVARCHAR(40) NOT NULL, since DATETIME2 NOT NULL, credit MONEY NULL,
  CONSTRAINT [PK customer.id [1]]] PRIMARY KEY NONCLUSTERED (id))
GO
ALTER TABLE customer ADD CONSTRAINT DF_customer_since DEFAULT (sysdatetime()) FOR since
GO
CREATE TABLE item (shop_id INT NOT NULL, code NVARCHAR(10) NOT NULL, price MONEY, CONSTRAINT [pk.item] PRIMARY KEY (shop_id, code))
GO
CREATE TABLE sales.shop (id INT NOT NULL PRIMARY KEY, region VARCHAR(20))
GO
CREATE TABLE line (line_no BIGINT, shop_id INT NOT NULL, code NVARCHAR(10), customer_id INT, qty SMALLINT,
  CONSTRAINT fk_line_item FOREIGN KEY (shop_id, code) REFERENCES item (shop_id, code),
  CONSTRAINT fk_line_shop FOREIGN KEY (shop_id) REFERENCES sales.shop (id),
  CONSTRAINT fk_line_customer FOREIGN KEY (customer_id) REFERENCES customer (id))
GO
CREATE TABLE sales.customer (cust_no INT NOT NULL, home_id INT, CONSTRAINT [PK customer.id [1]]] PRIMARY KEY (cust_no),
  CONSTRAINT fk_sales_home FOREIGN KEY (home_id) REFERENCES dbo.customer (id))
GO
CREATE VIEW v_line AS SELECT line.shop_id, line.qty FROM line
GO
CREATE TABLE sysdiagrams (name NVARCHAR(128) NOT NULL, principal_id INT NOT NULL, diagram_id INT NOT NULL IDENTITY PRIMARY KEY, definition VARBINARY(8000))
GO
)";

// Owners SHOP, ARCHIVE (a table and a key of the same names as SHOP's), REPORT (views only) and one
// the exclusion list drops; tables without tablespace; Oracle's own segments of SHOP's tables.
const QString k_sOracle = R"(
CREATE TABLE customer (id NUMBER(10) NOT NULL, name VARCHAR2(40) DEFAULT 'anon' NOT NULL, CONSTRAINT pk_customer PRIMARY KEY (id));
CREATE TABLE archive.customer (cust_no NUMBER(10) NOT NULL, name VARCHAR2(40), CONSTRAINT pk_customer PRIMARY KEY (cust_no));
CREATE TABLE item (shop_id INT NOT NULL, code VARCHAR2(10) NOT NULL, price NUMBER(8,2),
  CONSTRAINT pk_item PRIMARY KEY (shop_id, code)) ORGANIZATION INDEX OVERFLOW TABLESPACE users;
CREATE TABLE outlet (id INT PRIMARY KEY, city VARCHAR2(30));
CREATE TABLE line (line_no INT, shop_id INT NOT NULL, code VARCHAR2(10), customer_id INT, qty SMALLINT, amount NUMBER(10,2),
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

// three tables and a view, for the runs that a statement breaks
const QString k_sSmallMsSqlServer = "CREATE TABLE a (x INT PRIMARY KEY)\nGO\nCREATE TABLE b (y INT, CONSTRAINT fk_b FOREIGN KEY (y) REFERENCES a (x))\nGO\n"
                                    "CREATE TABLE c (z INT)\nGO\nCREATE VIEW v AS SELECT a.x FROM a\nGO\n";
const QString k_sSmallOracle = "CREATE TABLE a (x INT PRIMARY KEY); CREATE TABLE b (y INT, CONSTRAINT fk_b FOREIGN KEY (y) REFERENCES shop.a (x)); "
                               "CREATE TABLE c (z INT); CREATE VIEW v AS SELECT a.x FROM a;";

const QMap<int, QString> k_sakilaScripts = { { k_mysql, "mysql-sakila-schema.sql" }, { k_postgresql, "postgres-sakila-schema.sql" },
                                              { k_sqlite, "sqlite-sakila-schema.sql" }, { k_mssqlserver, "sql-server-sakila-schema.sql" }, { k_oracle, "oracle-sakila-schema.sql" } };

const QString k_sNoTable = "No table found, please check your database type or select the generic import";

QStringList emulated(int engine, const QString& sDdl)
{
   return kel_emulation::catalogue((engine == k_oracle) ? kel_emulation::dialect::oracle : kel_emulation::dialect::mssqlserver, (engine == k_oracle) ? "SHOP" : "dbo", sDdl);
}

// "col>target,..." sorted, of the column lists of a FOREIGN KEY (...) REFERENCES t (...) clause
QString pairs(QString sColumns, QString sTargets)
{
   const QRegularExpression noise("[\\s`\"]");
   const QStringList lstColumns = sColumns.remove(noise).split(','), lstTargets = sTargets.remove(noise).split(',');
   QStringList lst;
   for (int i = 0; i < lstColumns.count(); ++i) { lst.append(lstColumns.at(i) + ">" + lstTargets.value(i)); }
   lst.sort();
   return lst.join(",");
}

struct declared_schema
{
   QStringList tables, views;
   QStringList foreignKeys; // "table: fk[name->target(col>target,...)]", as layout() shows them
};

// Tables, views and foreign keys a Sakila script declares outside its comments. A foreign key
// belongs to the table of the CREATE TABLE or ALTER TABLE statement it stands in.
declared_schema parseScript(const QString& sFile)
{
   declared_schema schema;
   QFile file(sFile);
   if (! file.open(QIODevice::ReadOnly)) { return schema; }
   QString sql = QString::fromUtf8(file.readAll());
   sql.remove(QRegularExpression("/\\*.*?\\*/", QRegularExpression::DotMatchesEverythingOption)).remove(QRegularExpression("--[^\n]*"));
   const auto ci = QRegularExpression::CaseInsensitiveOption;
   const QRegularExpression table("\\b(CREATE\\s+TABLE|ALTER\\s+TABLE(?:\\s+ONLY)?)\\s+[`\"]?(?:\\w+[`\"]?\\.[`\"]?)?(\\w+)", ci);
   const QRegularExpression view("\\bCREATE\\s+(?:OR\\s+REPLACE\\s+)?(?:DEFINER\\s*=\\s*\\S+\\s+)?(?:SQL\\s+SECURITY\\s+\\w+\\s+)?VIEW\\s+[`\"]?(\\w+)", ci);
   const QRegularExpression foreignKey("CONSTRAINT\\s+[`\"]?(\\w+)[`\"]?\\s+FOREIGN\\s+KEY\\s*\\(([^)]*)\\)\\s*REFERENCES\\s+[`\"]?(\\w+)[`\"]?\\s*\\(([^)]*)\\)", ci);
   for (auto itr = view.globalMatch(sql); itr.hasNext();) { schema.views.append(itr.next().captured(1)); }
   QMap<int, QString> owners; // statement start -> table
   for (auto itr = table.globalMatch(sql); itr.hasNext();)
   {
      const auto match = itr.next();
      owners.insert(match.capturedStart(), match.captured(2));
      if (match.captured(1).startsWith("CREATE", Qt::CaseInsensitive)) { schema.tables.append(match.captured(2)); }
   }
   for (auto itr = foreignKey.globalMatch(sql); itr.hasNext();)
   {
      const auto m = itr.next();
      schema.foreignKeys.append((--owners.upperBound(m.capturedStart())).value() + ": fk[" + m.captured(1) + "->" + m.captured(3) + "(" + pairs(m.captured(2), m.captured(4)) + ")]");
   }
   return schema;
}

} // namespace

class tst_reader_catalogues : public QObject
{
   Q_OBJECT

   struct shop
   {
      std::unique_ptr<kel_test::connection> connection;
      read_result read;
   };
   QTemporaryDir m_dir;
   std::map<int, shop> m_shops;
   // the driver manager reads its settings once, for the process's first connection: the trace is on from before it to the end
   kel_emulation::odbc_trace m_trace;
   QStringList m_lstSent;   // what the SQL Server and Oracle readers prepared through ODBC

   /** The engine's shop, built and read on first use. */
   const shop& shopOf(int engine)
   {
      shop& s = m_shops[engine];
      if (s.connection) { return s; }
      const QString sName = QString("kel_readers_shop_%1").arg(engine);
      if (engine == k_mysql) { createDatabase(k_mysql, "kel_readers_my_other", { "CREATE TABLE ext_target (id int PRIMARY KEY)" }); }
      if ((engine == k_oracle) || (engine == k_mssqlserver)) { s.connection = connectNew(k_postgresql, sName, emulated(engine, (engine == k_oracle) ? k_sOracle : k_sMsSqlServer)); }
      else { s.connection = connectNew(engine_type(engine), sName, (engine == k_postgresql) ? k_lstPostgreSql : ((engine == k_mysql) ? k_lstMySql : k_lstSqlite), m_dir.path()); }
      if (s.connection) { s.read = runReader(engine, s.connection->db()); }
      return s;
   }

   /** A connection string to Sakila of the engine (SQL Server and Oracle: its catalogue made from the script and served by the PostgreSQL test server); empty when there is none. */
   static QString sakilaDsn(int engine)
   {
      const QString script = kel_test::sakilaDir() + "/" + k_sakilaScripts.value(engine);
      if ((engine == k_mysql) || (engine == k_postgresql))
      {
         const QString sDatabase = qEnvironmentVariable((engine == k_mysql) ? "KEL_TEST_SAKILA_MYSQL_DB" : "KEL_TEST_SAKILA_PG_DB");
         return (sDatabase.isEmpty() ? QString() : ((engine == k_mysql) ? kel_test::mysqlDsn(sDatabase) : kel_test::postgresqlDsn(sDatabase)));
      }
      const QString sFile = qEnvironmentVariable("KEL_TEST_SAKILA_SQLITE");
      if (engine == k_sqlite) { return (sFile.isEmpty() ? QString() : kel_test::sqliteDsn(sFile)); }
      QFile file(script);
      const QString sDatabase = QString("kel_readers_sakila_%1").arg(engine);
      const bool bOracle = (engine == k_oracle);
      if (! file.open(QIODevice::ReadOnly)) { return QString(); }
      const auto dialect = (bOracle ? kel_emulation::dialect::oracle : kel_emulation::dialect::mssqlserver);
      const QString sError = kel_test::createDatabase(k_postgresql, sDatabase, kel_emulation::catalogue(dialect, bOracle ? "SAKILA" : "dbo", QString::fromUtf8(file.readAll())));
      if (! sError.isEmpty()) { qWarning("%s", qPrintable(sError)); }
      return (sError.isEmpty() ? kel_test::postgresqlDsn(sDatabase) : QString());
   }

   /** The engine's reader, made to read table by table: its catalogue-wide columns query fails. */
   template <class reader>
   class table_by_table : public reader
   {
   public:
      explicit table_by_table(QSqlDatabase* pDatabase) : reader(pDatabase) { ; }

   protected:
      vx::VxSqlQuery allColumnsQuery() const override { return vx::VxSqlQuery("SELECT no_such_column FROM no_such_table"); }
   };
   static plugin::odbc_import_process* tableByTable(int engine, QSqlDatabase* pDatabase)
   {
      switch (engine)
      {
         case k_postgresql: return new table_by_table<plugin::odbc_import_postgresql>(pDatabase);
         case k_mysql: return new table_by_table<plugin::odbc_import_mysql>(pDatabase);
         case k_oracle: return new table_by_table<plugin::odbc_import_oracle>(pDatabase);
         default: return new table_by_table<plugin::odbc_import_mssqlserver>(pDatabase);
      }
   }

private Q_SLOTS:
   void initTestCase()
   {
      QVERIFY(m_dir.isValid());
      if (kel_test::env("KEL_TEST_PG_PORT").isEmpty()) { return; }
      for (int engine : { k_mssqlserver, k_oracle })
      {
         QTest::ignoreMessage(QtDebugMsg, QRegularExpression("catalogue-wide query failed"));
         runReader(tableByTable(engine, shopOf(engine).connection->db()));
      }
      m_lstSent = m_trace.prepared();
   }

   // every table and view, once; progress over the rows of the catalogue, the skipped ones too
   void tables_data()
   {
      QTest::addColumn<int>("engine");
      QTest::addColumn<QStringList>("names");   // sorted for the servers that give no fixed order
      QTest::addColumn<int>("rows");
      QTest::addColumn<QString>("leftOut");     // what the warning says of a view the database cannot describe
      // partitions are left out; names sort bytewise, so "Ä" comes after ASCII; tables whose keys collide come each once
      QTest::newRow("postgresql") << int(k_postgresql) << QStringList({ "PUBLIC.shop", "Public.shop", "a.b.c", "a.b.c", "Aa", "BB", "covered", "gen", "item", "line", "measure",
                                                                        "probe", "shop", "shop_ref", "Ärger \"mit\" Quotes", "sales.order_ref", "sales.shop", "v_line (view)" }) << 18 << "";
      QTest::newRow("mariadb, its own database only") << int(k_mysql)
         << QStringList({ "Aa", "BB", "defaults", "ext_ref", "hist", "item", "line", "shop", "v_line (view)", "Ärger \"mit\" `Quotes`" }) << 11
         << "View 'v_broken' is left out : the database describes no column of it";
      // SQLite's own sqlite_sequence is left out, and so are the tables in which fts5 keeps the data of notes
      QTest::newRow("sqlite") << int(k_sqlite) << QStringList({ "customer", "shop", "item", "line", "v_line (view)", "calc", "notes", "Aa", "BB" }) << 11
                              << "View 'v_broken' is left out : the database cannot describe it :\n[SQLite]no such table: main.gone";
      QTest::newRow("sql server") << int(k_mssqlserver) << QStringList({ "customer", "item", "line", "sales.customer", "sales.shop", "v_line (view)" }) << 6 << "";
      // tables, then views; those without tablespace stay; no segment of Oracle's own, no excluded owner
      QTest::newRow("oracle") << int(k_oracle) << QStringList({ "SHOP.CUSTOMER", "ARCHIVE.CUSTOMER", "SHOP.ITEM", "SHOP.OUTLET", "SHOP.LINE", "SHOP.MEASURE",
                                                                "SHOP.SCRATCH", "SHOP.PERSON", "SHOP.DOC", "SHOP.V_LINE (view)", "REPORT.V_SALES (view)" }) << 11 << "";
   }
   void tables()
   {
      QFETCH(int, engine);
      QFETCH(QStringList, names);
      QFETCH(int, rows);
      QFETCH(QString, leftOut);
      KEL_REQUIRE_ENGINE(engine);
      const read_result& read = shopOf(engine).read;
      QVERIFY2(read.result.getValue(), qPrintable(read.result.getDesc()));
      QStringList lstNames = tableNames(read.tables);
      if ((engine == k_mysql) || (engine == k_mssqlserver)) { lstNames.sort(); }
      QCOMPARE(lstNames, names);
      QCOMPARE(read.warnings.join("|").left(leftOut.size()), leftOut);
      QCOMPARE(read.warnings.count(), leftOut.isEmpty() ? 0 : 1);
      KEL_VERIFY_SHAPE(read.tables);
      QList<int> lstProgress;
      for (int i = 1; i <= rows; ++i) { lstProgress.append((i * 100) / rows); }
      QCOMPARE(read.progress, lstProgress);
   }

   // a table ("name", or "schema.name" outside the empty namespace) and its layout, or one of its columns as describe() gives it
   void model_data()
   {
      QTest::addColumn<int>("engine");
      QTest::addColumn<QString>("table");
      QTest::addColumn<QString>("column");
      QTest::addColumn<QString>("expected");
      const auto row = [](int engine, const char* name, const QString& table, const QString& column, const QString& expected) {
         QTest::addRow("%d %s", engine, name) << engine << table << column << expected;
      };
      const int pg = k_postgresql, my = k_mysql, lite = k_sqlite, ms = k_mssqlserver, ora = k_oracle;
      row(pg, "serial key, comment", "shop", "", "cols[name] pk[id] desc[Shops of the chain]");
      row(pg, "composite key read whole", "item", "", "cols[price] pk[shop_id,code] fk[fk_item_shop->shop(shop_id>id)]");
      row(pg, "no key, column in two foreign keys", "line", "", "cols[line_no,qty] pk[] fk[fk_line_item->item(shop_id>shop_id,code>code)] fk[fk_line_shop->shop(shop_id>id)]");
      row(pg, "view", "v_line", "", "cols[shop_id,qty] pk[] desc[Lines]");
      row(pg, "same name, other schema", "sales.shop", "", "cols[region] pk[id]");
      row(pg, "foreign keys into two schemas", "sales.order_ref", "", "cols[] pk[id] fk[fk_local->sales.shop(local_shop>id)] fk[fk_sales_shop->shop(shop_id>id)]");
      row(pg, "quotes, blanks, non-ASCII", "Ärger \"mit\" Quotes", "", "cols[x y] pk[spalte ö]");
      row(pg, "partitioned table", "measure", "", "cols[value] pk[id,taken]");
      row(pg, "foreign key to a partitioned table, once", "probe", "", "cols[] pk[id] fk[fk_probe_measure->measure(m_id>id,m_taken>taken)]");
      row(pg, "covering key: only its key columns", "covered", "", "cols[extra] pk[id]");
      row(pg, "schema \"Public\"", "Public.shop", "", "cols[upper_a] pk[id]");
      row(pg, "schema \"PUBLIC\"", "PUBLIC.shop", "", "cols[upper_b] pk[id]");
      row(pg, "foreign keys to \"Public\" and public", "shop_ref", "", "cols[] pk[] fk[fk_ref_public->shop(y>id)] fk[fk_ref_upper->Public.shop(x>id)]");
      row(pg, "serial", "shop", "id", "int4|4|nextval('shop_id_seq'::regclass)|not null|");
      row(pg, "literal default, comment", "shop", "name", "varchar|10|'main'::character varying|not null|Name shown");
      row(pg, "generated column has no default", "gen", "twice", "int4|4||null|");
      row(pg, "columns and foreign keys whose keys collide", "BB", "", "cols[Aa,BB,AaBB,BBAa] pk[id] fk[fk_Aa->Aa(x>id)] fk[fk_BB->BB(y>id)]");
      row(pg, "the key text of another table", "a.b.c", "", "cols[y] pk[]");
      // lists sorted: information_schema gives no fixed order
      row(my, "auto_increment key, comment", "shop", "", "cols[name] pk[id] desc[Shops of the chain]");
      row(my, "composite key", "item", "", "cols[price] pk[code,shop_id] fk[fk_item_shop->shop(shop_id>id)]");
      row(my, "no key, column in two foreign keys", "line", "", "cols[line_no,qty] pk[] fk[fk_line_item->item(code>code,shop_id>shop_id)] fk[fk_line_shop->shop(shop_id>id)]");
      // information_schema gives every view the comment "VIEW": that is no description; a table's comment VIEW is one
      row(my, "view", "v_line", "", "cols[qty,shop_id] pk[]");
      row(my, "table commented VIEW", "defaults", "", "cols[a,b,c] pk[] desc[VIEW]");
      row(my, "system-versioned table", "hist", "", "cols[v] pk[id]");
      row(my, "quotes, blanks, non-ASCII", "Ärger \"mit\" `Quotes`", "", "cols[x y] pk[spalte ö]");
      row(my, "foreign key into another database", "ext_ref", "", "cols[] pk[] fk[fk_ext->ext_target(x>id)]");
      row(my, "full column type", "shop", "id", "int(10) unsigned|4||not null|");
      row(my, "literal default, comment", "shop", "name", "varchar(40)|10|'main'|not null|Name shown");
      // MariaDB reports "no default" as the bare text NULL
      row(my, "nullable, no default", "defaults", "a", "int(11)|4||null|");
      row(my, "the string 'NULL'", "defaults", "b", "varchar(10)|10|'NULL'|null|");
      row(my, "DEFAULT NULL", "defaults", "c", "int(11)|4||null|");
      row(my, "columns and foreign keys whose keys collide", "BB", "", "cols[Aa,AaBB,BB,BBAa] pk[id] fk[fk_Aa->Aa(x>id)] fk[fk_BB->BB(y>id)]");
      row(lite, "integer primary key", "customer", "", "cols[name] pk[id]");
      row(lite, "composite key, key column also in a foreign key", "item", "", "cols[price] pk[shop,code] fk[->shop(shop>id)]");
      row(lite, "no key, two-column and implicit foreign keys", "line", "", "cols[qty] pk[] fk[->customer(customer_id>id)] fk[->item(shop>shop,code>code)] fk[->shop(shop>id)]");
      row(lite, "view", "v_line", "", "cols[customer_id,qty] pk[]");
      row(lite, "generated columns; implicit two-column foreign key", "calc", "", "cols[a,twice,next] pk[] fk[->item(shop>shop,code>code)]");
      row(lite, "virtual table without its hidden columns", "notes", "", "cols[body,title] pk[]");
      row(lite, "literal default", "customer", "name", "VARCHAR(40)|10|'nobody'|not null|");
      row(lite, "columns whose keys collide", "BB", "", "cols[Aa,BB,AaBB,BBAa] pk[id] fk[->Aa(x>id)] fk[->BB(y>id)]");
      // columns and keys in position order, though the dictionary keeps them otherwise
      row(ms, "key name with blank, dot and bracket", "customer", "", "cols[name,since,credit] pk[id]");
      row(ms, "composite key, dotted name", "item", "", "cols[price] pk[shop_id,code]");
      row(ms, "no key, column in two foreign keys, other schema", "line", "",
          "cols[line_no,qty] pk[] fk[fk_line_customer->customer(customer_id>id)] fk[fk_line_item->item(shop_id>shop_id,code>code)] fk[fk_line_shop->sales.shop(shop_id>id)]");
      row(ms, "same name, other schema; target in dbo", "sales.customer", "", "cols[] pk[cust_no] fk[fk_sales_home->customer(home_id>id)]");
      row(ms, "other schema", "sales.shop", "", "cols[region] pk[id]");
      row(ms, "view", "v_line", "", "cols[shop_id,qty] pk[]");
      row(ms, "default constraint", "customer", "since", "datetime2|16|(sysdatetime())|not null|");
      row(ms, "nullable", "customer", "credit", "money|0||null|");
      row(ora, "key", "SHOP.CUSTOMER", "", "cols[NAME] pk[ID]");
      row(ora, "same name and key name, other owner", "ARCHIVE.CUSTOMER", "", "cols[NAME] pk[CUST_NO]");
      row(ora, "index-organized, composite key", "SHOP.ITEM", "", "cols[PRICE] pk[SHOP_ID,CODE]");
      row(ora, "key owner's target, column in two foreign keys", "SHOP.LINE", "", "cols[LINE_NO,QTY,AMOUNT,AMOUNT12] pk[] fk[FK_LINE_CUSTOMER->SHOP.CUSTOMER(CUSTOMER_ID>ID)] "
          "fk[FK_LINE_ITEM->SHOP.ITEM(SHOP_ID>SHOP_ID,CODE>CODE)] fk[FK_LINE_OUTLET->SHOP.OUTLET(SHOP_ID>ID)]");
      row(ora, "view", "SHOP.V_LINE", "", "cols[SHOP_ID,QTY] pk[]");
      row(ora, "views-only owner", "REPORT.V_SALES", "", "cols[CUSTOMER_ID,TOTAL] pk[]");
      row(ora, "default kept with its blank", "SHOP.CUSTOMER", "NAME", "VARCHAR2|10|'anon' |not null|");
      row(ora, "virtual column has no default", "SHOP.LINE", "AMOUNT12", "NUMBER|6||null|");
   }
   void model()
   {
      QFETCH(int, engine);
      QFETCH(QString, table);
      QFETCH(QString, column);
      QFETCH(QString, expected);
      KEL_REQUIRE_ENGINE(engine);
      const int iDot = table.indexOf('.');
      const table_ptr pTable = findTable(shopOf(engine).read.tables, table.mid(iDot + 1), (iDot < 0) ? QString() : table.left(iDot));
      QVERIFY(pTable);
      if (! column.isEmpty()) { QCOMPARE(describe(findColumn(pTable, column)), expected); return; }
      QCOMPARE(pTable->getIsView(), pTable->getName().startsWith("v_", Qt::CaseInsensitive));
      QCOMPARE(layout(pTable, engine == k_mysql), expected);
   }

   // the readers' own texts are what they hand to ODBC: none ends with ";" for Oracle (ORA-00911); SQL Server's
   // INFORMATION_SCHEMA names in upper case, which a database of case-sensitive collation alone knows
   void textsSent()
   {
      KEL_REQUIRE_POSTGRESQL();
      const QStringList lstOracle = kel_emulation::readerTexts(QString(KEL_SOURCE_DIR) + "/plugin/reader/odbc_import_oracle.cpp");
      const QStringList lstMsSqlServer = kel_emulation::readerTexts(QString(KEL_SOURCE_DIR) + "/plugin/reader/odbc_import_mssqlserver.cpp");
      QCOMPARE(lstOracle.count() * 100 + lstMsSqlServer.count(), 1107);
      // the shops read catalogue-wide, and table by table
      QVERIFY(! m_lstSent.isEmpty());
      for (const QString& sSent : m_lstSent.filter(QRegularExpression("^(?!SELECT no_such_column)"))) { QVERIFY2(kel_emulation::odbc_trace::traced(lstOracle + lstMsSqlServer).contains(sSent), qPrintable(sSent)); }
      QCOMPARE(lstOracle.filter(QRegularExpression(";\\s*$")), QStringList());
      for (QString sql : lstMsSqlServer.filter("INFORMATION_SCHEMA", Qt::CaseInsensitive))
      {
         // aliases and literals aside, every name is upper case
         sql.remove(QRegularExpression("'[^']*'")).remove(QRegularExpression("\\bAS \\w+"));
         QVERIFY2(sql == sql.toUpper(), qPrintable(sql));
      }
   }

   // the catalogue-wide read and the read table by table (forced: the catalogue-wide columns query fails) build the
   // same model, key for key and in the same order, with the same progress
   void bothPaths_data()
   {
      QTest::addColumn<int>("engine");
      QTest::addColumn<QString>("script");   // Sakila's, or the shop
      for (int engine : { k_postgresql, k_mysql, k_mssqlserver, k_oracle })
      {
         QTest::addRow("%d shop", engine) << engine << "";
         QTest::addRow("%d sakila", engine) << engine << k_sakilaScripts.value(engine);
      }
   }
   void bothPaths()
   {
      QFETCH(int, engine);
      QFETCH(QString, script);
      KEL_REQUIRE_ENGINE(engine);
      std::unique_ptr<kel_test::connection> pSakila;
      if (! script.isEmpty())
      {
         const QString sDsn = sakilaDsn(engine);
         KEL_REQUIRE(! sDsn.isEmpty(), "Sakila loaded by tests/services/with_servers.sh");
         pSakila.reset(new kel_test::connection(sDsn));
      }
      QSqlDatabase* pDatabase = (pSakila ? pSakila->db() : shopOf(engine).connection->db());
      const read_result wide = runReader(engine, pDatabase);
      QTest::ignoreMessage(QtDebugMsg, QRegularExpression("catalogue-wide query failed, reading table by table : "));
      const read_result byTable = runReader(tableByTable(engine, pDatabase));
      QVERIFY2(wide.result.getValue() && byTable.result.getValue(), qPrintable(wide.result.getDesc() + byTable.result.getDesc()));
      QVERIFY(wide.tables->count() > 4);
      QCOMPARE(modelLines(byTable.tables), modelLines(wide.tables));
      QCOMPARE(byTable.progress, wide.progress);
   }

   // the emulation's SQL Server functions resolve names as the server does: the readers' quoted names are
   // found by the model test above; bare names that need quoting are not
   void serverFunctions_data()
   {
      QTest::addColumn<QString>("sExpression");
      QTest::addColumn<QString>("sExpected");
      QTest::newRow("brackets, \"]\" doubled") << "QUOTENAME('a]b')" << "[a]]b]";
      QTest::newRow("bare name with a dot") << "COALESCE(OBJECT_ID(current_database() + '.dbo.pk.item'), 0)" << "0";
      QTest::newRow("bare name with a blank") << "COALESCE(OBJECT_ID('[dbo].PK customer'), 0)" << "0";
      QTest::newRow("other database") << "COALESCE(OBJECT_ID('elsewhere.dbo.customer'), 0)" << "0";
   }
   void serverFunctions()
   {
      QFETCH(QString, sExpression);
      QFETCH(QString, sExpected);
      KEL_REQUIRE_POSTGRESQL();
      const shop& s = shopOf(k_mssqlserver);
      QVERIFY(s.connection);
      QCOMPARE(s.connection->column("SELECT " + sExpression), QStringList(sExpected));
   }

   // 3 tables and a view; a catalogue view that goes away makes the catalogue-wide query fail, then the per-table
   // query at the first table; an Oracle dictionary before 12.1 is read with the texts it has
   void run_data()
   {
      QTest::addColumn<int>("engine");
      QTest::addColumn<QString>("sBreak");
      QTest::addColumn<QString>("sMessage");   // ending "table ": a per-table query's failure, naming the first table
      QTest::addColumn<int>("iTables");
      const QString sAt = "An error occurred ";
      for (int engine : { k_mssqlserver, k_oracle })
      {
         const bool ora = (engine == k_oracle);
         const auto row = [engine](const char* name) -> QTestData& { return QTest::addRow("%s, %s", (engine == k_oracle) ? "oracle" : "sql server", name) << engine; };
         row("all read") << "" << "" << 4;
         row("views only") << (ora ? "DELETE FROM emul.all_tables" : "DELETE FROM emul.objects WHERE type <> 'V'") << "" << 1;
         row("tables") << (ora ? "ALTER VIEW sys.all_tables RENAME TO gone" : "ALTER VIEW information_schema.tables RENAME TO gone") << sAt + "fetching all tables :\n" << 0;
         row("primary key") << (ora ? "ALTER VIEW sys.all_constraints RENAME TO gone" : "ALTER VIEW information_schema.key_column_usage RENAME TO gone")
                            << sAt + "getting primary key for table " << 0;
         row("relationships") << (ora ? "ALTER VIEW sys.all_constraints RENAME COLUMN r_owner TO gone" : "ALTER VIEW sys.foreign_keys RENAME TO gone")
                              << sAt + "getting all relationships for table " << 0;
         row("columns") << (ora ? "ALTER VIEW sys.all_tab_cols RENAME TO gone" : "ALTER VIEW information_schema.columns RENAME TO gone")
                        << sAt + "getting all columns for table " << 0;
         row("no table") << (ora ? "DELETE FROM emul.all_tables; DELETE FROM emul.all_views" : "DELETE FROM emul.objects") << k_sNoTable << 0;
      }
      QTest::newRow("oracle, views") << int(k_oracle) << "ALTER VIEW sys.all_views RENAME TO gone" << sAt + "fetching all views :\n" << 0;
      QTest::newRow("oracle, only what the exclusions drop") << int(k_oracle) << "DELETE FROM emul.all_tables WHERE owner = 'SHOP'; DELETE FROM emul.all_views WHERE owner = 'SHOP'"
                                                            << k_sNoTable << 0;
      QTest::newRow("oracle 11g") << int(k_oracle) << "DROP VIEW sys.all_tab_cols; CREATE VIEW sys.all_tab_cols AS SELECT owner, table_name, column_name, data_type, "
                                                      "nullable, column_id, data_default, virtual_column FROM emul.all_tab_cols; CREATE OR REPLACE VIEW "
                                                      "sys.product_component_version AS SELECT 'Oracle Database 11g Express Edition' AS product, '11.2.0.2.0' AS version" << "" << 4;
   }
   void run()
   {
      QFETCH(int, engine);
      QFETCH(QString, sBreak);
      QFETCH(QString, sMessage);
      QFETCH(int, iTables);
      KEL_REQUIRE_POSTGRESQL();
      const QString sDatabase = QString("kel_readers_small_%1").arg(engine);
      auto connection = connectNew(k_postgresql, sDatabase, emulated(engine, (engine == k_oracle) ? k_sSmallOracle : k_sSmallMsSqlServer));
      QVERIFY(connection);
      if (! sBreak.isEmpty()) { QCOMPARE(kel_test::connection(kel_test::postgresqlDsn(sDatabase)).exec(sBreak.split("; ")), QString()); }
      const read_result read = runReader(engine, connection->db());
      QCOMPARE(read.result.getValue(), sMessage.isEmpty());
      QCOMPARE(read.tables->count(), long(iTables));
      const bool ora = (engine == k_oracle);
      if (iTables == 4) { QCOMPARE(layout(findTable(read.tables, ora ? "C" : "c", ora ? "SHOP" : "")), QString(ora ? "cols[Z] pk[]" : "cols[z] pk[]")); }
      if (sMessage.isEmpty() || sMessage.startsWith("No table")) { QCOMPARE(read.result.getDesc(), sMessage); }
      if (sMessage.isEmpty()) { QCOMPARE(read.progress, (iTables == 4) ? QList<int>({ 25, 50, 75, 100 }) : QList<int>({ 100 })); return; }
      if (! sMessage.endsWith("table ")) { return; }
      // the fixed text names the table being read (a view whose columns cannot be read is left out); then comes the driver's text
      QVERIFY2(QRegularExpression("^" + QRegularExpression::escape(sMessage) + "'\\w+' :\n\\S").match(read.result.getDesc()).hasMatch(), qPrintable(read.result.getDesc()));
   }

   // PostgreSQL: the read is one consistent picture of the catalogue, in a transaction that ends with the read. Another
   // session holds a lock that the catalogue-wide relationships query waits for, until it gives up: the reader then reads
   // table by table, in a transaction of its own; when the first table is about to be read, the other session changes
   // the catalogue and lets the lock go, or keeps it
   void postgresqlOneTransaction_data()
   {
      QTest::addColumn<QString>("change");
      QTest::addColumn<QString>("expected");    // the tables read, or the failure
      QTest::newRow("tables dropped and renamed meanwhile") << "DROP TABLE doomed; ALTER TABLE moved RENAME TO moved_away"
         << "doomed: cols[note] pk[id] | first: cols[] pk[id] | moved: cols[] pk[id] fk[fk_moved->first(v>id)]";
      QTest::newRow("read fails") << "" << "An error occurred getting all relationships for table 'doomed' :\n";
   }
   void postgresqlOneTransaction()
   {
      QFETCH(QString, change);
      QFETCH(QString, expected);
      KEL_REQUIRE_POSTGRESQL();
      const bool bFails = expected.startsWith("An error");
      auto connection = connectNew(k_postgresql, "kel_readers_pg_moving", {
         "CREATE TABLE first (id int PRIMARY KEY)", "CREATE TABLE doomed (id int PRIMARY KEY, note text)",
         "CREATE TABLE moved (id int PRIMARY KEY, v int CONSTRAINT fk_moved REFERENCES first(id))" });
      QVERIFY(connection);
      QCOMPARE(connection->exec({ "SET lock_timeout = '200ms'" }), QString());
      kel_test::connection other(kel_test::postgresqlDsn("kel_readers_pg_moving"));
      other.db()->transaction();
      QCOMPARE(other.exec({ "LOCK TABLE pg_catalog.pg_constraint IN ACCESS EXCLUSIVE MODE" }), QString());
      QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^\\[Kelmar\\] PostgreSQL catalogue-wide query failed, reading table by table : .*lock"));
      QString sChangeError = "not made";
      const read_result read = runReader(k_postgresql, connection->db(), [&](int iPercent) {
         if ((iPercent != 33) || bFails) { return; }
         sChangeError = other.exec(change.split("; "));
         other.db()->commit();
      });
      other.db()->rollback();
      QCOMPARE(sChangeError, QString(bFails ? "not made" : ""));
      QCOMPARE(read.result.getValue(), ! bFails);
      QStringList lstLayouts;
      for (long i = 0; i < read.tables->count(); ++i) { lstLayouts.append(read.tables->getByIndex(i)->getName() + ": " + layout(read.tables->getByIndex(i))); }
      QVERIFY2(bFails ? read.result.getDesc().startsWith(expected) : (lstLayouts.join(" | ") == expected), qPrintable(read.result.getDesc() + lstLayouts.join(" | ")));
      // the reader's session is out of its read-only transaction: it can write again
      QCOMPARE(connection->exec({ "CREATE TABLE after_read (x int)" }), QString());
   }

   // SQLite: tables whose names it reads only quoted, each referring to the one with a double quote in its name
   void sqliteAwkwardNames()
   {
      const QStringList lstNames = { "with blank", "say \"hi\"", "it's", "br[ack]et", "dot.ted", "select", "Ünïcödé", "sqlitex" };
      auto quoted = [](QString s) { return "\"" + s.replace("\"", "\"\"") + "\""; };
      QStringList lstDdl;
      for (const QString& sName : lstNames) { lstDdl.append("CREATE TABLE " + quoted(sName) + " (id INTEGER PRIMARY KEY, " + quoted("vál " + sName) + " TEXT DEFAULT 'x', ref INTEGER REFERENCES \"say \"\"hi\"\"\"(id))"); }
      // ANALYZE adds sqlite_stat1, another of SQLite's own tables
      lstDdl << "CREATE INDEX \"idx.ref\" ON \"with blank\"(ref)" << "INSERT INTO \"with blank\" (id) VALUES (1)" << "ANALYZE";
      auto connection = connectNew(k_sqlite, "awkward", lstDdl, m_dir.path());
      QVERIFY(connection);
      const read_result read = runReader(k_sqlite, connection->db());
      QVERIFY2(read.result.getValue(), qPrintable(read.result.getDesc()));
      QCOMPARE(tableNames(read.tables), lstNames);
      KEL_VERIFY_SHAPE(read.tables);
      for (const QString& sName : lstNames)
      {
         QCOMPARE(layout(findTable(read.tables, sName)), QString("cols[vál %1] pk[id] fk[->say \"hi\"(ref>id)]").arg(sName));
         QCOMPARE(describe(findColumn(findTable(read.tables, sName), "vál " + sName)), QString("TEXT|10|'x'|null|"));
      }
   }

   // Sakila, loaded by tests/services/with_servers.sh from the shared fixtures: the tables, the views and every
   // foreign key the script declares, as its text says
   void sakila_data()
   {
      QTest::addColumn<int>("type");
      QTest::addColumn<QList<int>>("counts"); // tables, views, foreign keys
      QTest::newRow("mariadb") << int(k_mysql) << QList<int>({ 16, 7, 22 });
      // the six payment partitions made with INHERITS are tables of their own, with three foreign keys each
      QTest::newRow("postgresql") << int(k_postgresql) << QList<int>({ 21, 7, 40 });
      // actor_info is commented out in the SQLite script
      QTest::newRow("sqlite") << int(k_sqlite) << QList<int>({ 16, 5, 22 });
      // no server of their own: their catalogues, made from the scripts, served by the PostgreSQL test server
      QTest::newRow("sql server") << int(k_mssqlserver) << QList<int>({ 16, 5, 22 });
      QTest::newRow("oracle") << int(k_oracle) << QList<int>({ 16, 5, 22 });
   }
   void sakila()
   {
      QFETCH(int, type);
      QFETCH(QList<int>, counts);
      const QString script = k_sakilaScripts.value(type);
      const bool bOracle = (type == k_oracle);
      KEL_REQUIRE(QFile::exists(kel_test::sakilaDir() + "/" + script), "Sakila fixtures in " + kel_test::sakilaDir());
      KEL_REQUIRE_ENGINE(type);
      const QString sDsn = sakilaDsn(type);
      KEL_REQUIRE(! sDsn.isEmpty(), "Sakila loaded by tests/services/with_servers.sh");

      declared_schema declared = parseScript(kel_test::sakilaDir() + "/" + script);
      QCOMPARE(QList<int>({ declared.tables.count(), declared.views.count(), declared.foreignKeys.count() }), counts);
      // Oracle keeps unquoted names in upper case
      if (bOracle)
      {
         for (QStringList* p : { &declared.tables, &declared.views, &declared.foreignKeys }) { *p = p->join('\n').toUpper().split('\n'); }
         declared.foreignKeys.replaceInStrings(": FK[", ": fk[").replaceInStrings("->", "->SAKILA.");
      }

      kel_test::connection connection(sDsn);
      QVERIFY2(connection.isOpen(), qPrintable(connection.openError()));
      const read_result read = runReader(type, connection.db());
      QVERIFY2(read.result.getValue(), qPrintable(read.result.getDesc()));
      KEL_VERIFY_SHAPE(read.tables);

      // every table and view, all in the empty namespace (Oracle: the owner's), and every declared foreign key and no other;
      // SQLite keeps no constraint names, so its foreign keys go by target and columns alone
      declared_schema read_back;
      for (long i = 0; i < read.tables->count(); ++i)
      {
         const table_ptr pTable = read.tables->getByIndex(i);
         QCOMPARE(pTable->getNamespace(), QString(bOracle ? "SAKILA" : ""));
         (pTable->getIsView() ? read_back.views : read_back.tables).append(pTable->getName());
         for (const QString& sKey : layout(pTable, true).split(' ').filter(QRegularExpression("^fk\\["))) { read_back.foreignKeys.append(pTable->getName() + ": " + sKey); }
      }
      if (type == k_sqlite) { declared.foreignKeys.replaceInStrings(QRegularExpression(": fk\\[\\w+->"), ": fk[->"); }
      for (QStringList* p : { &declared.tables, &declared.views, &declared.foreignKeys, &read_back.tables, &read_back.views, &read_back.foreignKeys }) { p->sort(); }
      QCOMPARE(read_back.tables, declared.tables);
      QCOMPARE(read_back.views, declared.views);
      QCOMPARE(read_back.foreignKeys, declared.foreignKeys);

      // the two composite primary keys
      for (const QString& sTable : { "film_actor", "film_category" })
      {
         const auto name = [&](const QString& s) { return (bOracle ? s.toUpper() : s); };
         const table_ptr pTable = findTable(read.tables, name(sTable), bOracle ? "SAKILA" : "");
         QVERIFY(pTable);
         QCOMPARE(columnNames(pTable->getPrimaryKey()->getListColumns(), true), QStringList({ name(sTable.mid(5) + "_id"), name("film_id") }));
      }
   }

   // the generic reader knows only what the ODBC driver reports through Qt
   void generic_data()
   {
      QTest::addColumn<int>("engine");
      // psqlODBC lists the fields of a primary key in key order, the SQLite and MariaDB drivers in column order
      QTest::addColumn<QString>("firstKeyField");
      QTest::newRow("sqlite") << int(k_sqlite) << "a";
      QTest::newRow("postgresql") << int(k_postgresql) << "b";
      // the server has other databases, its system ones among them: they are not read
      QTest::newRow("mariadb") << int(k_mysql) << "a";
   }
   void generic()
   {
      QFETCH(int, engine);
      QFETCH(QString, firstKeyField);
      KEL_REQUIRE_ENGINE(engine);
      // the primary key of pair names b before a; names whose keys collide
      const QString q = ((engine == k_mysql) ? "`" : "\"");
      auto connection = connectNew(engine_type(engine), "kel_readers_generic", {
         "CREATE TABLE pair (a INTEGER NOT NULL, b VARCHAR(20) NOT NULL, note TEXT, PRIMARY KEY (b, a))",
         "CREATE TABLE solo (id INTEGER PRIMARY KEY, val NUMERIC(8,2))",
         QString("CREATE TABLE %1Aa%1 (%1Aa%1 INTEGER, %1BB%1 INTEGER)").arg(q), QString("CREATE TABLE %1BB%1 (%1AaBB%1 INTEGER, %1BBAa%1 INTEGER)").arg(q),
         "CREATE VIEW v_pair AS SELECT a, b FROM pair",
         "CREATE VIEW v_solo AS SELECT id FROM solo" }, m_dir.path());
      QVERIFY(connection);
      QCOMPARE(connection->db()->primaryIndex("pair").fieldName(0), firstKeyField);
      const read_result read = runReader(k_generic, connection->db());
      QVERIFY(read.result.getValue());
      QCOMPARE(read.progress, QList<int>({ 16, 33, 50, 66, 83, 100 }));

      QStringList lstNames = tableNames(read.tables);
      std::sort(lstNames.begin(), lstNames.begin() + 4);
      std::sort(lstNames.begin() + 4, lstNames.end());
      QCOMPARE(lstNames, QStringList({ "Aa", "BB", "pair", "solo", "v_pair (view)", "v_solo (view)" }));

      // every field is a column of the table's list, key fields too, typed as the driver says; only the
      // first field of the primary index is marked; no namespace or keys
      const QString sPair = ((firstKeyField == "a") ? "a:1 b:0 note:0" : "a:0 b:1 note:0");
      const QMap<QString, QString> expected = { { "pair", sPair }, { "solo", "id:1 val:0" }, { "v_pair", "a:0 b:0" }, { "v_solo", "id:0" },
                                                { "Aa", "Aa:0 BB:0" }, { "BB", "AaBB:0 BBAa:0" } };
      for (long i = 0; i < read.tables->count(); ++i)
      {
         const table_ptr pTable = read.tables->getByIndex(i);
         QVERIFY(isKeyedBy(*read.tables, i, pTable->getName()));
         QCOMPARE(pTable->getNamespace(), QString());
         QVERIFY(! pTable->getPrimaryKey() && ! pTable->getListOfRelations());
         const column_list_ptr pColumns = pTable->getListOfColumns();
         QStringList lstMarked;
         for (long c = 0; c < pColumns->count(); ++c)
         {
            const column_ptr pColumn = pColumns->getByIndex(c);
            lstMarked.append(pColumn->getName() + ":" + QString::number(pColumn->getMetaData("COLUMN_IS_PRIMARY_KEY").toInt()));
            const QString sQuoted = connection->db()->driver()->escapeIdentifier(pTable->getName(), QSqlDriver::TableName);
            QCOMPARE(pColumn->getType().toInt(), int(connection->db()->record(sQuoted).field(pColumn->getName()).type()));
         }
         QCOMPARE(lstMarked.join(" "), expected.value(pTable->getName()));
      }
   }
};

QTEST_GUILESS_MAIN(tst_reader_catalogues)
#include "tst_reader_catalogues.moc"
