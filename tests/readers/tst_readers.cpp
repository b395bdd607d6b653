// The readers on real SQLite files, databases of the PostgreSQL and MariaDB test servers, and SQL Server and
// Oracle catalogues that the PostgreSQL test server serves (catalogue_emulation.h), all through QODBC.
#include <sqlite3.h>

#include <QFile>
#include <QProcess>
#include <QSqlDriver>
#include <QTemporaryDir>
#include <QtTest>

#include <model/app_model.h>
#include <odbc_import_driver_manager.h>
#include <odbc_import_engine.h>
#include <odbc_import_mssqlserver.h>
#include <odbc_import_mysql.h>
#include <odbc_import_oracle.h>
#include <odbc_import_postgresql.h>
#include <odbc_import_step.h>
#include <odbc_import_wire.h>

#include "catalogue_emulation.h"
#include "test_env.h"

using namespace kel_test;
using table_ptr = std::shared_ptr<model::app_table>;
using column_list_ptr = std::shared_ptr<model::type_lst_column>;

namespace {

const QString k_sNoTable = "The database holds no table or view you may read";
const QMap<int, QString> k_sakilaScripts = { { k_mysql, "mysql-sakila-schema.sql" }, { k_postgresql, "postgres-sakila-schema.sql" }, { k_sqlite, "sqlite-sakila-schema.sql" } };

/** Statements that build a database of the engine's shop: the emulated engines' catalogue, served by PostgreSQL. */
QStringList emulated(int engine, const QString& sSchema) { return kel_emulation::catalogue((engine == k_oracle) ? "oracle" : "mssqlserver", sSchema); }

/** A connection to a new database built with ddl: a SQLite file in sDir, else a database of the test server (PostgreSQL for the emulated engines). */
std::unique_ptr<connection> connectNew(int engine, const QString& sName, const QStringList& lstDdl, const QString& sDir)
{
   if (engine == k_sqlite)
   {
      std::unique_ptr<connection> pConnection(new connection(sqliteDsn(sDir + "/" + sName + ".db")));
      return (pConnection->exec(lstDdl).isEmpty() ? std::move(pConnection) : nullptr);
   }
   const engine_type server = ((engine == k_mysql) ? k_mysql : k_postgresql);
   const QString sError = createDatabase(server, sName, lstDdl);
   if (! sError.isEmpty()) { qWarning("set-up of %s: %s", qPrintable(sName), qPrintable(sError)); return nullptr; }
   return std::unique_ptr<connection>(new connection((server == k_mysql) ? mysqlDsn(sName) : postgresqlDsn(sName)));
}

struct read_result
{
   vx::VxBool result;
   plugin::type_lst_table_ptr tables;
   QList<int> progress;
   QStringList warnings;
   QStringList steps;
};

/** The steps a read announces; s_onStep, when set, runs at each. */
QStringList s_lstSteps;
std::function<void(const QString&)> s_onStep;
void recordStep(const QString& sStep) { s_lstSteps.append(sStep); if (s_onStep) { s_onStep(sStep); } }

/** Runs the reader once and deletes it; onProgress runs inside the progress signal. */
read_result runReader(plugin::odbc_import_process* pReader, const std::function<void(int)>& onProgress = {}, const plugin::odbc_import_process::type_table_filter& filter = {})
{
   std::unique_ptr<plugin::odbc_import_process> reader(pReader);
   read_result read;
   QObject::connect(reader.get(), &plugin::odbc_import_process::onProcessState, [&](int iPercent) { read.progress.append(iPercent); if (onProgress) { onProgress(iPercent); } });
   reader->setTableFilter(filter);
   s_lstSteps.clear();
   read.result = reader->startProcess();
   read.tables = reader->getListOfTables();
   read.warnings = reader->getWarnings();
   read.steps = s_lstSteps;
   return read;
}
read_result runReader(int iType, QSqlDatabase* pDatabase, const std::function<void(int)>& onProgress = {}, const plugin::odbc_import_process::type_table_filter& filter = {})
{
   return runReader(plugin::odbc_import_engine::createReader(iType, pDatabase).release(), onProgress, filter);
}

/** Whether a read's progress rises, from above 0 to 100. */
bool rising(const QList<int>& lst)
{
   for (int i = 1; i < lst.count(); ++i) { if (lst.at(i) <= lst.at(i - 1)) { return false; } }
   return (! lst.isEmpty() && (lst.first() > 0) && (lst.last() == 100));
}
QString toText(const QList<int>& lst)
{
   QStringList lstTexts;
   for (int i : lst) { lstTexts.append(QString::number(i)); }
   return lstTexts.join(' ');
}

/** The engine's reader, made to read table by table: its catalogue-wide columns query fails. */
template <class reader>
struct table_by_table : public reader
{
   explicit table_by_table(QSqlDatabase* pDatabase) : reader(pDatabase) { ; }
   vx::VxSqlQuery allColumnsQuery() const override { return vx::VxSqlQuery("SELECT no_such_column FROM no_such_table"); }
};
plugin::odbc_import_process* tableByTable(int engine, QSqlDatabase* pDatabase)
{
   switch (engine)
   {
      case k_postgresql: return new table_by_table<plugin::odbc_import_postgresql>(pDatabase);
      case k_mysql: return new table_by_table<plugin::odbc_import_mysql>(pDatabase);
      case k_oracle: return new table_by_table<plugin::odbc_import_oracle>(pDatabase);
      default: return new table_by_table<plugin::odbc_import_mssqlserver>(pDatabase);
   }
}

QString qualified(const QString& sNamespace, const QString& sName) { return (sNamespace.isEmpty() ? sName : (sNamespace + "." + sName)); }

/** Column names, a key column of the generic reader marked "*". */
QStringList names(const column_list_ptr& pColumns)
{
   QStringList lst;
   for (long c = 0; pColumns && (c < pColumns->count()); ++c)
   {
      lst.append(pColumns->getByIndex(c)->getName() + (pColumns->getByIndex(c)->getMetaData("COLUMN_IS_PRIMARY_KEY").toBool() ? "*" : ""));
   }
   return lst;
}

/** "ns.name (view): cols[a,b] pk[c] fk[name->ns.target(c>x)] desc[text]", foreign keys sorted; bSorted sorts the lists too (for servers of no fixed order). */
QString layout(const table_ptr& pTable, bool bSorted = false)
{
   const auto list = [bSorted](QStringList lst) { if (bSorted) { lst.sort(); } return lst.join(","); };
   QStringList lst = { qualified(pTable->getNamespace(), pTable->getName()) + (pTable->getIsView() ? " (view):" : ":"), "cols[" + list(names(pTable->getListOfColumns())) + "]" };
   if (pTable->getPrimaryKey()) { lst.append("pk[" + list(names(pTable->getPrimaryKey()->getListColumns())) + "]"); }
   QStringList lstKeys;
   for (long i = 0; pTable->getListOfRelations() && (i < pTable->getListOfRelations()->count()); ++i)
   {
      const auto pForeignKey = pTable->getListOfRelations()->getByIndex(i);
      QStringList lstPairs;
      for (long c = 0; c < pForeignKey->getListColumns()->count(); ++c) { lstPairs.append(pForeignKey->getListColumns()->getByIndex(c)->getName() + ">" + pForeignKey->getListColumns()->getByIndex(c)->getTargetColumn()); }
      lstKeys.append("fk[" + pForeignKey->getConstraintName() + "->" + qualified(pForeignKey->getTargetTableNamespace(), pForeignKey->getTargetTable()) + "(" + list(lstPairs) + ")]");
   }
   lstKeys.sort();
   return (lst + lstKeys + QStringList(pTable->getDescription().isEmpty() ? QString() : ("desc[" + pTable->getDescription() + "]"))).join(" ").trimmed();
}

/** What two readers of one database must agree on, per table: its layout (lists sorted, the generic reader's key marks
    counted in iMarked and left out; no comment: not every driver reads them) and its NOT NULL columns. */
QStringList agreed(const plugin::type_lst_table_ptr& pTables, int& iMarked)
{
   QStringList lst;
   iMarked = 0;
   for (long i = 0; i < pTables->count(); ++i)
   {
      const table_ptr pTable = pTables->getByIndex(i);
      QString sLayout = layout(pTable, true).section(" desc[", 0, 0);
      iMarked += sLayout.count('*');
      QStringList lstNotNull;
      QList<column_list_ptr> lstLists = { pTable->getListOfColumns(), pTable->getPrimaryKey()->getListColumns() };
      for (long f = 0; f < pTable->getListOfRelations()->count(); ++f) { lstLists.append(pTable->getListOfRelations()->getByIndex(f)->getListColumns()); }
      for (const column_list_ptr& pColumns : lstLists)
      {
         for (long c = 0; c < pColumns->count(); ++c) { if (pColumns->getByIndex(c)->getNotNull()) { lstNotNull.append(pColumns->getByIndex(c)->getName()); } }
      }
      lstNotNull.removeDuplicates();
      lstNotNull.sort();
      lst.append(sLayout.remove('*') + " notnull[" + lstNotNull.join(",") + "]");
   }
   lst.sort();
   return lst;
}

/** "table.column: sql type|value type|default|null or not null|description", the column wherever it sits (column list, primary key, foreign keys). */
QString describe(const plugin::type_lst_table_ptr& pTables, const QString& sColumn)
{
   for (long i = 0; i < pTables->count(); ++i)
   {
      const table_ptr pTable = pTables->getByIndex(i);
      QList<column_list_ptr> lstLists = { pTable->getListOfColumns(), pTable->getPrimaryKey() ? pTable->getPrimaryKey()->getListColumns() : nullptr };
      for (long f = 0; pTable->getListOfRelations() && (f < pTable->getListOfRelations()->count()); ++f) { lstLists.append(pTable->getListOfRelations()->getByIndex(f)->getListColumns()); }
      for (const column_list_ptr& pColumns : lstLists)
      {
         for (long c = 0; pColumns && (c < pColumns->count()); ++c)
         {
            const auto p = pColumns->getByIndex(c);
            if (qualified(pTable->getNamespace(), pTable->getName()) + "." + p->getName() != sColumn) { continue; }
            return QString("%1: %2|%3|%4|%5|%6").arg(sColumn, p->getSqlType()).arg(p->getType().toInt()).arg(p->getDefaultValue(), (p->getNotNull() ? "not null" : "null"), p->getDescription());
         }
      }
   }
   return sColumn + ": (missing)";
}

/** Whether entry i of a list is keyed by the hash of sText, or by the next free key when an earlier entry holds that one. */
template <class Value>
bool isKeyedBy(const vx::VxCollection<long, Value>& lst, long i, const QString& sText)
{
   const long lHash = plugin::odbc_import_process::getKey(sText);
   return ((lst.getKeyByIndex(i) == lHash) || (lst.exist(lHash) && (lst.getIndex(lHash) < i)));
}

/**
 * What the model breaks of its rules: keys are the hashes of their texts where free (tables: "ns.name"), TABLE_HASH_ID
 * is the table's key, a column points back at its table and at the key holding it.
 */
QStringList shapeProblems(const plugin::type_lst_table_ptr& pTables)
{
   QStringList lst;
   for (long i = 0; i < pTables->count(); ++i)
   {
      const table_ptr pTable = pTables->getByIndex(i);
      const QString sTable = pTable->getNamespace() + "." + pTable->getName();
      if (! isKeyedBy(*pTables, i, sTable) || (pTable->getMetaData("TABLE_HASH_ID") != QVariant(qlonglong(pTables->getKeyByIndex(i))))) { lst.append(sTable + ": key"); }
      const auto check = [&](const column_list_ptr& pColumns, const std::function<bool(const std::shared_ptr<model::app_column>&)>& isHeld) {
         for (long c = 0; pColumns && (c < pColumns->count()); ++c)
         {
            const auto p = pColumns->getByIndex(c);
            if (! isKeyedBy(*pColumns, c, p->getName()) || (p->getTable() != pTable) || ! isHeld(p)) { lst.append(sTable + "." + p->getName()); }
         }
      };
      const auto pPrimaryKey = pTable->getPrimaryKey();
      check(pTable->getListOfColumns(), [](const std::shared_ptr<model::app_column>& p) { return (! p->getPrimaryKey() && ! p->getForeignKey()); });
      if (pPrimaryKey) { check(pPrimaryKey->getListColumns(), [&](const std::shared_ptr<model::app_column>& p) { return (p->getPrimaryKey() == pPrimaryKey); }); }
      for (long f = 0; pTable->getListOfRelations() && (f < pTable->getListOfRelations()->count()); ++f)
      {
         const auto pForeignKey = pTable->getListOfRelations()->getByIndex(f);
         // SQLite keeps no constraint names: its foreign keys go by number
         if ((pForeignKey->getTable() != pTable) || (! pForeignKey->getConstraintName().isEmpty() && ! isKeyedBy(*pTable->getListOfRelations(), f, pForeignKey->getConstraintName()))) { lst.append(sTable + ": foreign key"); }
         check(pForeignKey->getListColumns(), [&](const std::shared_ptr<model::app_column>& p) { return (p->getForeignKey() == pForeignKey); });
      }
   }
   return lst;
}

/** Everything the model holds, every key too: two reads that give the same lines built the same model. */
QStringList modelLines(const plugin::type_lst_table_ptr& pTables)
{
   QStringList lst;
   for (long i = 0; i < pTables->count(); ++i)
   {
      const table_ptr pTable = pTables->getByIndex(i);
      lst << QString::number(pTables->getKeyByIndex(i)) + " " + layout(pTable);
      QList<column_list_ptr> lstLists = { pTable->getListOfColumns(), pTable->getPrimaryKey()->getListColumns() };
      for (long f = 0; f < pTable->getListOfRelations()->count(); ++f) { lstLists.append(pTable->getListOfRelations()->getByIndex(f)->getListColumns()); }
      for (const column_list_ptr& pColumns : lstLists)
      {
         for (long c = 0; c < pColumns->count(); ++c) { lst << QString::number(pColumns->getKeyByIndex(c)) + " " + describe(pTables, qualified(pTable->getNamespace(), pTable->getName()) + "." + pColumns->getByIndex(c)->getName()); }
      }
   }
   return lst;
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

/** The tables, the views and the foreign keys ("table: fk[name->target(col>target,...)]") a Sakila script declares outside its comments, sorted. */
QList<QStringList> declared(const QString& sFile)
{
   QFile file(sFile);
   if (! file.open(QIODevice::ReadOnly)) { return {}; }
   QString sql = QString::fromUtf8(file.readAll());
   sql.remove(QRegularExpression("/\\*.*?\\*/", QRegularExpression::DotMatchesEverythingOption)).remove(QRegularExpression("--[^\n]*"));
   const auto ci = QRegularExpression::CaseInsensitiveOption;
   const QRegularExpression table("\\b(CREATE\\s+TABLE|ALTER\\s+TABLE(?:\\s+ONLY)?)\\s+[`\"]?(?:\\w+[`\"]?\\.[`\"]?)?(\\w+)", ci);
   const QRegularExpression view("\\bCREATE\\s+(?:OR\\s+REPLACE\\s+)?(?:DEFINER\\s*=\\s*\\S+\\s+)?(?:SQL\\s+SECURITY\\s+\\w+\\s+)?VIEW\\s+[`\"]?(\\w+)", ci);
   const QRegularExpression foreignKey("CONSTRAINT\\s+[`\"]?(\\w+)[`\"]?\\s+FOREIGN\\s+KEY\\s*\\(([^)]*)\\)\\s*REFERENCES\\s+[`\"]?(\\w+)[`\"]?\\s*\\(([^)]*)\\)", ci);
   QList<QStringList> schema = { {}, {}, {} };
   QMap<int, QString> owners;   // statement start -> table: a foreign key belongs to the CREATE or ALTER TABLE it stands in
   for (auto itr = table.globalMatch(sql); itr.hasNext();)
   {
      const auto m = itr.next();
      owners.insert(m.capturedStart(), m.captured(2));
      if (m.captured(1).startsWith("CREATE", Qt::CaseInsensitive)) { schema[0].append(m.captured(2)); }
   }
   for (auto itr = view.globalMatch(sql); itr.hasNext();) { schema[1].append(itr.next().captured(1)); }
   for (auto itr = foreignKey.globalMatch(sql); itr.hasNext();)
   {
      const auto m = itr.next();
      schema[2].append((--owners.upperBound(m.capturedStart())).value() + ": fk[" + m.captured(1) + "->" + m.captured(3) + "(" + pairs(m.captured(2), m.captured(4)) + ")]");
   }
   for (QStringList& lst : schema) { lst.sort(); }
   return schema;
}

/** The text of the SQL statements a reader's source states, their parameters and literals left out. */
QStringList sqlTexts(const QString& sSource)
{
   QFile file(QString(KEL_SOURCE_DIR) + "/plugin/reader/" + sSource);
   if (! file.open(QIODevice::ReadOnly)) { return {}; }
   const QString source = QString::fromUtf8(file.readAll()).section("namespace sql {", 1).section("} // namespace sql", 0, 0);
   QStringList lst;
   for (auto itr = QRegularExpression("\\bk_\\w+\\s*=\\s*((?:\"(?:[^\"\\\\]|\\\\.)*\"\\s*)+);").globalMatch(source); itr.hasNext();)
   {
      lst.append(itr.next().captured(1).remove(QLatin1Char('"')).remove(QRegularExpression(":\\w+|'[^']*'")));
   }
   return lst;
}

} // namespace

/** Skips (or fails under CI) when the server of the engine (PostgreSQL for the emulated ones) is not running. */
#define KEL_REQUIRE_ENGINE(engine) do { if ((engine) == k_mysql) { KEL_REQUIRE_MYSQL(); } else if ((engine) != k_sqlite) { KEL_REQUIRE_POSTGRESQL(); } } while (false)

class tst_readers : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;
   std::unique_ptr<connection> m_pMany;   // 600 tables, built once
   QStringList m_lstManyLines;            // what the whole read of them gives

private Q_SLOTS:
   void initTestCase() { QVERIFY(m_dir.isValid()); plugin::odbc_import_step::setListener(&recordStep); }
   void cleanup() { s_onStep = nullptr; }

   // each engine's reader builds the model its shop holds: tables and views once (the engine's own and the unreadable left
   // out), columns, keys, relationships, comments and defaults; read table by table it builds the same, key for key
   void shop_data()
   {
      QTest::addColumn<int>("type");          // reader
      QTest::addColumn<int>("engine");        // database
      QTest::addColumn<QStringList>("ddl");
      QTest::addColumn<QStringList>("tables"); // layouts, sorted for the servers that give no fixed order
      QTest::addColumn<QStringList>("columns");
      QTest::addColumn<QStringList>("warnings"); // their beginnings
      const auto row = [](const char* name, int type, int engine, const QStringList& ddl) -> QTestData& { return QTest::newRow(name) << type << engine << ddl; };
      // partitions are left out; schemas "Public" and "PUBLIC" are no public; names sort bytewise; keys collide: qHash("Aa") == qHash("BB"),
      // qHash("AaBB") == qHash("BBAa"); "a.b".c and a."b.c" hash the same text
      row("postgresql", k_postgresql, k_postgresql, { "CREATE SCHEMA sales",
         "CREATE TABLE shop (id serial PRIMARY KEY, name varchar(40) NOT NULL DEFAULT 'main')", "COMMENT ON TABLE shop IS 'Shops of the chain'", "COMMENT ON COLUMN shop.name IS 'Name shown'",
         "CREATE TABLE item (shop_id integer NOT NULL, code varchar(10) NOT NULL, price numeric(8,2), PRIMARY KEY (shop_id, code), CONSTRAINT fk_item_shop FOREIGN KEY (shop_id) REFERENCES shop(id))",
         "CREATE TABLE line (line_no bigint, shop_id int NOT NULL, code varchar(10), qty smallint, CONSTRAINT fk_line_item FOREIGN KEY (shop_id, code) REFERENCES item(shop_id, code), "
         "CONSTRAINT fk_line_shop FOREIGN KEY (shop_id) REFERENCES shop(id))",
         "CREATE VIEW v_line AS SELECT shop_id, qty FROM line", "COMMENT ON VIEW v_line IS 'Lines'",
         "CREATE TABLE sales.shop (id int PRIMARY KEY, region text)",
         "CREATE TABLE sales.order_ref (id int PRIMARY KEY, shop_id int CONSTRAINT fk_sales_shop REFERENCES public.shop(id), local_shop int CONSTRAINT fk_local REFERENCES sales.shop(id))",
         "CREATE TABLE \"Ärger \"\"mit\"\" Quotes\" (\"spalte ö\" int PRIMARY KEY, \"x y\" text)",
         "CREATE TABLE measure (id int NOT NULL, taken date NOT NULL, value real, PRIMARY KEY (id, taken)) PARTITION BY RANGE (taken)",
         "CREATE TABLE measure_2023 PARTITION OF measure FOR VALUES FROM ('2023-01-01') TO ('2024-01-01')",
         "CREATE TABLE probe (id bigserial PRIMARY KEY, m_id int, m_taken date, CONSTRAINT fk_probe_measure FOREIGN KEY (m_id, m_taken) REFERENCES measure (id, taken))",
         "CREATE TABLE covered (id int, extra text, PRIMARY KEY (id) INCLUDE (extra))", "CREATE TABLE gen (a int, twice int GENERATED ALWAYS AS (a * 2) STORED)",
         "CREATE SCHEMA \"Public\"", "CREATE SCHEMA \"PUBLIC\"", "CREATE TABLE \"Public\".shop (id int PRIMARY KEY, upper_a text)", "CREATE TABLE \"PUBLIC\".shop (id int PRIMARY KEY, upper_b text)",
         "CREATE TABLE shop_ref (x int CONSTRAINT fk_ref_upper REFERENCES \"Public\".shop(id), y int CONSTRAINT fk_ref_public REFERENCES public.shop(id))",
         "CREATE TABLE \"Aa\" (id int PRIMARY KEY)", "CREATE TABLE \"BB\" (id int PRIMARY KEY, \"Aa\" int, \"BB\" int, \"AaBB\" int, \"BBAa\" int, "
         "x int CONSTRAINT \"fk_Aa\" REFERENCES \"Aa\"(id), y int CONSTRAINT \"fk_BB\" REFERENCES \"BB\"(id))",
         "CREATE SCHEMA \"a.b\"", "CREATE SCHEMA a", "CREATE TABLE \"a.b\".c (x int)", "CREATE TABLE a.\"b.c\" (y int)",
         // "b::c" would be schema b's c in the project: left out, and so is the key into it
         "CREATE SCHEMA b", "CREATE TABLE b.c (id int PRIMARY KEY)", "CREATE TABLE \"b::c\" (id int PRIMARY KEY)",
         "CREATE TABLE to_c (x int CONSTRAINT fk_to_bc REFERENCES b.c(id), y int CONSTRAINT fk_to_colons REFERENCES \"b::c\"(id))" })
         << QStringList({ "PUBLIC.shop: cols[upper_b] pk[id]", "Public.shop: cols[upper_a] pk[id]", "a.b.c: cols[y] pk[]", "a.b.c: cols[x] pk[]", "b.c: cols[] pk[id]", "Aa: cols[] pk[id]",
            "BB: cols[Aa,BB,AaBB,BBAa] pk[id] fk[fk_Aa->Aa(x>id)] fk[fk_BB->BB(y>id)]", "covered: cols[extra] pk[id]", "gen: cols[a,twice] pk[]",
            "item: cols[price] pk[shop_id,code] fk[fk_item_shop->shop(shop_id>id)]",
            "line: cols[line_no,qty] pk[] fk[fk_line_item->item(shop_id>shop_id,code>code)] fk[fk_line_shop->shop(shop_id>id)]", "measure: cols[value] pk[id,taken]",
            "probe: cols[] pk[id] fk[fk_probe_measure->measure(m_id>id,m_taken>taken)]", "shop: cols[name] pk[id] desc[Shops of the chain]",
            "shop_ref: cols[] pk[] fk[fk_ref_public->shop(y>id)] fk[fk_ref_upper->Public.shop(x>id)]", "to_c: cols[y] pk[] fk[fk_to_bc->b.c(x>id)]", "Ärger \"mit\" Quotes: cols[x y] pk[spalte ö]",
            "sales.order_ref: cols[] pk[id] fk[fk_local->sales.shop(local_shop>id)] fk[fk_sales_shop->shop(shop_id>id)]", "sales.shop: cols[region] pk[id]",
            "v_line (view): cols[shop_id,qty] pk[] desc[Lines]" })
         << QStringList({ "shop.id: int4|4|nextval('shop_id_seq'::regclass)|not null|", "shop.name: varchar|10|'main'::character varying|not null|Name shown",
                                           "gen.twice: int4|4||null|" })
         << QStringList({ "Table 'b::c' is left out : its name holds \"::\"", "Foreign key 'fk_to_colons' of table 'to_c' is left out : its target table 'b::c'" });
      // the server's other databases are not read; a view of a dropped table is left out
      row("mariadb", k_mysql, k_mysql, {
         "CREATE TABLE shop (id int unsigned NOT NULL AUTO_INCREMENT PRIMARY KEY, name varchar(40) NOT NULL DEFAULT 'main' COMMENT 'Name shown') COMMENT='Shops of the chain'",
         "CREATE TABLE item (shop_id int unsigned NOT NULL, code varchar(10) NOT NULL, price decimal(8,2), PRIMARY KEY (shop_id, code), CONSTRAINT fk_item_shop FOREIGN KEY (shop_id) REFERENCES shop(id))",
         "CREATE TABLE line (line_no bigint, shop_id int unsigned NOT NULL, code varchar(10), qty smallint, CONSTRAINT fk_line_item FOREIGN KEY (shop_id, code) REFERENCES item(shop_id, code), "
         "CONSTRAINT fk_line_shop FOREIGN KEY (shop_id) REFERENCES shop(id))",
         "CREATE VIEW v_line AS SELECT shop_id, qty FROM line", "CREATE TABLE hist (id int PRIMARY KEY, v int) WITH SYSTEM VERSIONING",
         "CREATE TABLE `Ärger \"mit\" ``Quotes``` (`spalte ö` int PRIMARY KEY, `x y` text)",
         "CREATE TABLE ext_target (id int PRIMARY KEY)", "CREATE TABLE ext_ref (x int, CONSTRAINT fk_ext FOREIGN KEY (x) REFERENCES kel_readers_my_other.ext_target(id))",
         // no default, the string 'NULL', a NULL default; a table whose comment is the text VIEW (a view's comment VIEW is no description)
         "CREATE TABLE defaults (a int, b varchar(10) DEFAULT 'NULL', c int DEFAULT NULL) COMMENT='VIEW'",
         "CREATE TABLE Aa (id int PRIMARY KEY)", "CREATE TABLE BB (id int PRIMARY KEY, Aa int, BB int, AaBB int, BBAa int, x int, y int, "
         "CONSTRAINT fk_Aa FOREIGN KEY (x) REFERENCES Aa(id), CONSTRAINT fk_BB FOREIGN KEY (y) REFERENCES BB(id))",
         "CREATE TABLE gone (x int)", "CREATE VIEW v_broken AS SELECT x FROM gone", "DROP TABLE gone" })
         << QStringList({ "Aa: cols[] pk[id]", "BB: cols[Aa,AaBB,BB,BBAa] pk[id] fk[fk_Aa->Aa(x>id)] fk[fk_BB->BB(y>id)]", "defaults: cols[a,b,c] pk[] desc[VIEW]",
            "ext_ref: cols[] pk[] fk[fk_ext->kel_readers_my_other.ext_target(x>id)]", "ext_target: cols[] pk[id]", "hist: cols[v] pk[id]", "item: cols[price] pk[code,shop_id] fk[fk_item_shop->shop(shop_id>id)]",
            "line: cols[line_no,qty] pk[] fk[fk_line_item->item(code>code,shop_id>shop_id)] fk[fk_line_shop->shop(shop_id>id)]",
            "shop: cols[name] pk[id] desc[Shops of the chain]", "v_line (view): cols[qty,shop_id] pk[]", "Ärger \"mit\" `Quotes`: cols[x y] pk[spalte ö]" })
         << QStringList({ "shop.id: int(10) unsigned|4||not null|", "shop.name: varchar(40)|10|'main'|not null|Name shown", "defaults.a: int(11)|4||null|",
                                           "defaults.b: varchar(10)|10|'NULL'|null|", "defaults.c: int(11)|4||null|" })
         << QStringList("View 'v_broken' is left out : the database describes no column of it");
      // SQLite's own sqlite_sequence and the tables of fts5 are left out; a virtual table's hidden columns are no columns
      row("sqlite", k_sqlite, k_sqlite, {
         "CREATE TABLE customer (id INTEGER PRIMARY KEY AUTOINCREMENT, name VARCHAR(40) NOT NULL DEFAULT 'nobody')", "CREATE TABLE shop (id INTEGER PRIMARY KEY)",
         "CREATE TABLE item (shop INTEGER NOT NULL REFERENCES shop(id), code TEXT NOT NULL, price REAL, PRIMARY KEY (shop, code))",
         "CREATE TABLE line (customer_id INTEGER NOT NULL REFERENCES customer, shop INTEGER, code TEXT, qty BIGINT, FOREIGN KEY (shop, code) REFERENCES item(shop, code), "
         "FOREIGN KEY (shop) REFERENCES shop(id))",
         "CREATE VIEW v_line AS SELECT customer_id, qty FROM line",
         "CREATE TABLE calc (a INTEGER, twice INT GENERATED ALWAYS AS (a * 2) STORED, next INT AS (a + 1), shop INTEGER, code TEXT, FOREIGN KEY (shop, code) REFERENCES item)",
         "CREATE VIRTUAL TABLE notes USING fts5(body, title)",
         "CREATE TABLE \"Aa\" (id INTEGER PRIMARY KEY)", "CREATE TABLE \"BB\" (id INTEGER PRIMARY KEY, \"Aa\" INT, \"BB\" INT, \"AaBB\" INT, \"BBAa\" INT, "
         "x INT CONSTRAINT \"fk_Aa\" REFERENCES \"Aa\"(id), y INT CONSTRAINT \"fk_BB\" REFERENCES \"BB\"(id))",
         "CREATE TABLE gone (x INT)", "CREATE VIEW v_broken AS SELECT x FROM gone", "DROP TABLE gone" })
         << QStringList({ "customer: cols[name] pk[id]", "shop: cols[] pk[id]", "item: cols[price] pk[shop,code] fk[->shop(shop>id)]",
            "line: cols[qty] pk[] fk[->customer(customer_id>id)] fk[->item(shop>shop,code>code)] fk[->shop(shop>id)]", "v_line (view): cols[customer_id,qty] pk[]",
            "calc: cols[a,twice,next] pk[] fk[->item(shop>shop,code>code)]", "notes: cols[body,title] pk[]", "Aa: cols[] pk[id]",
            "BB: cols[Aa,BB,AaBB,BBAa] pk[id] fk[->Aa(x>id)] fk[->BB(y>id)]" })
         << QStringList({ "customer.name: VARCHAR(40)|10|'nobody'|not null|" })
         << QStringList("View 'v_broken' is left out : the database cannot describe it :\n[SQLite]no such table: main.gone");
      // names SQLite reads only quoted, each table referring to the one with a double quote in its name; ANALYZE adds sqlite_stat1
      const QStringList lstAwkward = { "with blank", "say \"hi\"", "it's", "br[ack]et", "dot.ted", "select", "Ünïcödé", "sqlitex" };
      QStringList lstDdl, lstLayouts;
      for (QString sName : lstAwkward)
      {
         lstLayouts.append(QString("%1: cols[vál %1] pk[id] fk[->say \"hi\"(ref>id)]").arg(sName));
         sName.replace("\"", "\"\"");
         lstDdl.append(QString("CREATE TABLE \"%1\" (id INTEGER PRIMARY KEY, \"vál %1\" TEXT DEFAULT 'x', ref INTEGER REFERENCES \"say \"\"hi\"\"\"(id))").arg(sName));
      }
      row("sqlite, awkward names", k_sqlite, k_sqlite, lstDdl + QStringList({ "CREATE INDEX \"idx.ref\" ON \"with blank\"(ref)", "INSERT INTO \"with blank\" (id) VALUES (1)", "ANALYZE" }))
         << lstLayouts << QStringList({ "dot.ted.vál dot.ted: TEXT|10|'x'|null|" }) << QStringList();
      // key names that need quoting; a second schema; the diagrams table of the management tools left out
      row("sql server", k_mssqlserver, k_postgresql, emulated(k_mssqlserver, "shop"))
         << QStringList({ "customer: cols[name,since,credit] pk[id]", "item: cols[price] pk[shop_id,code]",
            "line: cols[line_no,qty] pk[] fk[fk_line_customer->customer(customer_id>id)] fk[fk_line_item->item(shop_id>shop_id,code>code)] fk[fk_line_shop->sales.shop(shop_id>id)]",
            "sales.customer: cols[] pk[cust_no] fk[fk_sales_home->customer(home_id>id)]", "sales.shop: cols[region] pk[id]", "v_line (view): cols[shop_id,qty] pk[]" })
         << QStringList({ "customer.since: datetime2|16|(sysdatetime())|not null|", "customer.credit: money|0||null|" }) << QStringList();
      // owners of the same table and key names, a views-only owner; no segment of Oracle's own, no excluded owner, no SYSAUX or
      // recycle-bin table; tables without tablespace stay
      row("oracle", k_oracle, k_postgresql, emulated(k_oracle, "shop"))
         << QStringList({ "SHOP.CUSTOMER: cols[NAME] pk[ID]", "ARCHIVE.CUSTOMER: cols[NAME] pk[CUST_NO]", "SHOP.ITEM: cols[PRICE] pk[SHOP_ID,CODE]",
            "SHOP.OUTLET: cols[CITY] pk[ID]",
            "SHOP.LINE: cols[LINE_NO,QTY,AMOUNT,AMOUNT12] pk[] fk[FK_LINE_CUSTOMER->SHOP.CUSTOMER(CUSTOMER_ID>ID)] fk[FK_LINE_ITEM->SHOP.ITEM(SHOP_ID>SHOP_ID,CODE>CODE)] fk[FK_LINE_OUTLET->SHOP.OUTLET(SHOP_ID>ID)]",
            "SHOP.MEASURE: cols[VALUE] pk[ID,TAKEN]", "SHOP.SCRATCH: cols[NOTE] pk[]", "SHOP.PERSON: cols[PHONES] pk[ID]", "SHOP.DOC: cols[BODY] pk[ID]",
            "SHOP.V_LINE (view): cols[SHOP_ID,QTY] pk[]", "REPORT.V_SALES (view): cols[CUSTOMER_ID,TOTAL] pk[]" })
         << QStringList({ "SHOP.CUSTOMER.NAME: VARCHAR2|10|'anon' |not null|", "SHOP.LINE.AMOUNT12: NUMBER|6||null|" }) << QStringList();
   }
   void shop()
   {
      QFETCH(int, type);
      QFETCH(int, engine);
      QFETCH(QStringList, ddl);
      QFETCH(QStringList, tables);
      QFETCH(QStringList, columns);
      QFETCH(QStringList, warnings);
      KEL_REQUIRE_ENGINE(engine);
      if (type == k_mysql) { QCOMPARE(createDatabase(k_mysql, "kel_readers_my_other", { "CREATE TABLE ext_target (id int PRIMARY KEY)" }), QString()); }
      auto pConnection = connectNew(engine, QString("kel_readers_%1_%2").arg(type).arg(QTest::currentDataTag()).remove(QRegularExpression("\\W")), ddl, m_dir.path());
      QVERIFY(pConnection && pConnection->isOpen());
      const read_result read = runReader(type, pConnection->db());
      QVERIFY2(read.result.getValue(), qPrintable(read.result.getDesc()));
      QStringList lstLayouts;
      for (long i = 0; i < read.tables->count(); ++i) { lstLayouts.append(layout(read.tables->getByIndex(i), type == k_mysql)); }
      if (QList<int>({ k_mysql, k_mssqlserver }).contains(type)) { lstLayouts.sort(); }
      QCOMPARE(lstLayouts, tables);
      for (const QString& sColumn : columns) { QCOMPARE(describe(read.tables, sColumn.section(": ", 0, 0)), sColumn); }
      QCOMPARE(read.warnings.count(), warnings.count());
      for (int i = 0; i < warnings.count(); ++i) { QVERIFY2(read.warnings.at(i).startsWith(warnings.at(i)), qPrintable(read.warnings.join("\n"))); }
      QVERIFY2(rising(read.progress), qPrintable(toText(read.progress)));
      const QStringList lstProblems = shapeProblems(read.tables);
      QVERIFY2(lstProblems.isEmpty(), qPrintable(lstProblems.join("\n")));
      // the model as the plug-in rebuilds it from what the reading program sends: the same, sharing and metadata included
      QByteArray bytes;
      { QDataStream out(&bytes, QIODevice::WriteOnly); plugin::odbc_import_wire::writeTables(out, read.tables.get()); }
      QDataStream in(bytes);
      const plugin::type_lst_table_ptr pSent = plugin::odbc_import_wire::readTables(in);
      QVERIFY(pSent && shapeProblems(pSent).isEmpty());
      QCOMPARE(modelLines(pSent), modelLines(read.tables));
      for (long i = 0; i < read.tables->count(); ++i) { QCOMPARE(pSent->getByIndex(i)->getAllMetaData(), read.tables->getByIndex(i)->getAllMetaData()); }
      if (type == k_sqlite) { return; }
      QTest::ignoreMessage(QtDebugMsg, QRegularExpression("catalogue-wide query failed, reading table by table : "));
      const read_result byTable = runReader(tableByTable(type, pConnection->db()));
      QCOMPARE(modelLines(byTable.tables), modelLines(read.tables));
      QVERIFY2(rising(byTable.progress), qPrintable(toText(byTable.progress)));
   }

   // Sakila, loaded by tests/services/with_servers.sh from the shared fixtures: every table, view and foreign key its script
   // declares and no other, both composite keys, on both paths
   void sakila_data()
   {
      QTest::addColumn<int>("engine");
      QTest::addColumn<QList<int>>("counts");   // tables, views, foreign keys
      QTest::newRow("mariadb") << int(k_mysql) << QList<int>({ 16, 7, 22 });
      // the six payment partitions made with INHERITS are tables of their own, with three foreign keys each
      QTest::newRow("postgresql") << int(k_postgresql) << QList<int>({ 21, 7, 40 });
      // actor_info is commented out in the SQLite script
      QTest::newRow("sqlite") << int(k_sqlite) << QList<int>({ 16, 5, 22 });
   }
   void sakila()
   {
      QFETCH(int, engine);
      QFETCH(QList<int>, counts);
      QList<QStringList> expected = declared(sakilaDir() + "/" + k_sakilaScripts.value(engine));
      KEL_REQUIRE_FIXTURES();
      KEL_REQUIRE(! expected.isEmpty(), "Sakila fixtures in " + sakilaDir());
      KEL_REQUIRE_ENGINE(engine);
      QCOMPARE(QList<int>({ int(expected[0].count()), int(expected[1].count()), int(expected[2].count()) }), counts);
      const QString sDatabase = env((engine == k_mysql) ? "KEL_TEST_SAKILA_MYSQL_DB" : ((engine == k_postgresql) ? "KEL_TEST_SAKILA_PG_DB" : "KEL_TEST_SAKILA_SQLITE"));
      KEL_REQUIRE(! sDatabase.isEmpty(), "Sakila loaded by tests/services/with_servers.sh");
      std::unique_ptr<connection> pConnection(new connection((engine == k_mysql) ? mysqlDsn(sDatabase) : ((engine == k_postgresql) ? postgresqlDsn(sDatabase) : sqliteDsn(sDatabase))));
      QVERIFY(pConnection && pConnection->isOpen());
      const read_result read = runReader(engine, pConnection->db());
      QVERIFY2(read.result.getValue(), qPrintable(read.result.getDesc()));
      const QStringList lstProblems = shapeProblems(read.tables);
      QVERIFY2(lstProblems.isEmpty(), qPrintable(lstProblems.join("\n")));
      // SQLite keeps no constraint names
      if (engine == k_sqlite) { expected[2].replaceInStrings(QRegularExpression(": fk\\[\\w+->"), ": fk[->"); }
      QList<QStringList> readBack = { {}, {}, {} };
      for (long i = 0; i < read.tables->count(); ++i)
      {
         const table_ptr pTable = read.tables->getByIndex(i);
         QCOMPARE(pTable->getNamespace(), QString());
         readBack[pTable->getIsView() ? 1 : 0].append(pTable->getName());
         for (const QString& sKey : layout(pTable, true).split(' ').filter(QRegularExpression("^fk\\["))) { readBack[2].append(pTable->getName() + ": " + sKey); }
         if (pTable->getName().contains(QRegularExpression("^film_(actor|category)$", QRegularExpression::CaseInsensitiveOption)))
         { QCOMPARE(layout(pTable, true).section(" fk[", 0, 0).section("pk[", 1).toLower(), pTable->getName().mid(5).toLower() + "_id,film_id]"); }
      }
      for (QStringList& lst : readBack) { lst.sort(); }
      QCOMPARE(readBack, expected);
      if (engine == k_sqlite) { return; }
      QTest::ignoreMessage(QtDebugMsg, QRegularExpression("catalogue-wide query failed, reading table by table : "));
      const read_result byTable = runReader(tableByTable(engine, pConnection->db()));
      QCOMPARE(modelLines(byTable.tables), modelLines(read.tables));
   }

   // the generic reader through ODBC's catalogue functions reads what the engine's own reader reads: tables and views in
   // their schemas, columns and their nullability, whole primary keys (each key column also marked), whole foreign keys
   // with their target's schema or database; names are names, not patterns (part_1 gets no column of part11); SQLite's
   // sqlite_stat1 is no table. The keys come from the standard INFORMATION_SCHEMA views where they tell them whole, else
   // from the driver, table by table: a table the views do not show (PostgreSQL's to a user who may only read it), a key
   // name two tables of a schema share, a unique key and no primary one (MariaDB's driver makes it the primary key).
   // On Sakila (loaded by with_servers.sh) and on schemas of our own
   void generic_data()
   {
      QTest::addColumn<int>("engine");
      QTest::addColumn<QStringList>("ddl");        // empty: the engine's Sakila
      QTest::addColumn<QString>("user");           // who reads (PostgreSQL), empty: the test server's superuser
      QTest::addColumn<QString>("asked");          // the tables whose keys the driver is asked for, "*": all
      QTest::addColumn<QStringList>("warnings");   // the generic reader's, their beginnings
      const QStringList lstParts = { "CREATE TABLE part_1 (a int NOT NULL, b char(2) NOT NULL, PRIMARY KEY (b, a))", "CREATE TABLE part11 (a int, b int, c int)" };
      const QStringList lstSchemas = lstParts + QStringList({ "CREATE SCHEMA s1", "CREATE SCHEMA s2", "CREATE SCHEMA s3",
         "CREATE TABLE s1.t (id int PRIMARY KEY, note text)", "CREATE TABLE s2.t (k1 int, k2 varchar(5), PRIMARY KEY (k2, k1))", "COMMENT ON TABLE s2.t IS 'second'",
         "CREATE TABLE s3.ref (x int, y varchar(5), z int, w char(2), CONSTRAINT fk_s2 FOREIGN KEY (y, x) REFERENCES s2.t (k2, k1), "
         "CONSTRAINT fk_s1 FOREIGN KEY (z) REFERENCES s1.t (id), CONSTRAINT fk_part FOREIGN KEY (w, z) REFERENCES part_1 (b, a))",
         "CREATE VIEW s1.v AS SELECT id FROM s1.t", "CREATE SCHEMA b", "CREATE TABLE b.c (id int PRIMARY KEY)", "CREATE TABLE \"b::c\" (id int PRIMARY KEY)" });
      for (int engine : { k_postgresql, k_mysql }) { QTest::addRow("sakila %d", engine) << engine << QStringList() << QString() << QString() << QStringList(); }
      QTest::newRow("sakila sqlite") << int(k_sqlite) << QStringList() << QString() << "*" << QStringList();
      // s3.back refers to s2.u's unique key in another order than the key's; s1.w and s1.x share a key name, each to its own target
      QTest::newRow("postgresql, three schemas") << int(k_postgresql) << lstSchemas + QStringList({
         "CREATE TABLE s2.u (a int, b int, CONSTRAINT u_ab UNIQUE (a, b))", "CREATE TABLE s3.back (p int, q int, CONSTRAINT fk_u FOREIGN KEY (q, p) REFERENCES s2.u (b, a))",
         "CREATE TABLE s1.w (id int, CONSTRAINT fk_dup FOREIGN KEY (id) REFERENCES s1.t (id))", "CREATE TABLE s1.x (k int, j varchar(5), CONSTRAINT fk_dup FOREIGN KEY (j, k) REFERENCES s2.t (k2, k1))" })
         << QString() << "part11,s1.w,s1.x,s2.u" << QStringList({ "Table 'b::c' is left out" });
      QTest::newRow("postgresql, a user who may only read") << int(k_postgresql) << lstSchemas + QStringList({
         "DO $$ BEGIN CREATE ROLE kel_reader LOGIN; EXCEPTION WHEN duplicate_object THEN NULL; END $$",
         "GRANT USAGE ON SCHEMA s1, s2, s3, b TO kel_reader", "GRANT SELECT ON ALL TABLES IN SCHEMA public, s1, s2, s3, b TO kel_reader" })
         << "kel_reader" << "*" << QStringList({ "Table 'b::c' is left out" });
      // uniq has a unique key and no primary key; idx_ref refers to a key that is no unique one (InnoDB allows it)
      QTest::newRow("mariadb, key into another database") << int(k_mysql) << lstParts + QStringList({ "CREATE TABLE ext_target (id int PRIMARY KEY)",
         "CREATE TABLE orders (id int PRIMARY KEY, other_id int, w char(2), a int, CONSTRAINT fk_other FOREIGN KEY (other_id) REFERENCES kel_readers_my_other.ext_target(id), "
         "CONSTRAINT fk_part FOREIGN KEY (w, a) REFERENCES part_1 (b, a))", "CREATE VIEW v AS SELECT id FROM orders",
         "CREATE TABLE uniq (a int NOT NULL, b int, UNIQUE KEY (a))", "CREATE TABLE idx_target (k int, KEY (k))",
         "CREATE TABLE idx_ref (k int, CONSTRAINT fk_idx FOREIGN KEY (k) REFERENCES idx_target (k))" }) << QString() << "idx_target,part11,uniq" << QStringList();
      // names the views are asked with as they are: blanks, quotes, case, pattern characters; a table that refers to itself
      QTest::newRow("postgresql, odd names") << int(k_postgresql) << QStringList({ "CREATE SCHEMA \"We ird\"",
         "CREATE TABLE \"We ird\".\"Tab le\" (\"Id\" int PRIMARY KEY, \"pa\"\"rent\" int, CONSTRAINT \"Up\" FOREIGN KEY (\"pa\"\"rent\") REFERENCES \"We ird\".\"Tab le\" (\"Id\"))",
         "CREATE TABLE \"We ird\".\"x%_y\" (k int PRIMARY KEY, t int, CONSTRAINT \"fk \"\"q\"\"\" FOREIGN KEY (t) REFERENCES \"We ird\".\"Tab le\" (\"Id\"))",
         "CREATE TABLE \"x%_y\" (k int PRIMARY KEY, CONSTRAINT \"fk \"\"q\"\"\" FOREIGN KEY (k) REFERENCES \"We ird\".\"x%_y\" (k))" })
         << QString() << QString() << QStringList();
      QTest::newRow("mariadb, odd names") << int(k_mysql) << QStringList({
         "CREATE TABLE `Tab le` (`Id` int PRIMARY KEY, `pa'rent` int, CONSTRAINT `Up` FOREIGN KEY (`pa'rent`) REFERENCES `Tab le` (`Id`))",
         "CREATE TABLE `x%_y` (k int PRIMARY KEY, t int, CONSTRAINT `fk 'q'` FOREIGN KEY (t) REFERENCES `Tab le` (`Id`))",
         "CREATE TABLE `x\\y` (k int PRIMARY KEY, CONSTRAINT `fk\\b` FOREIGN KEY (k) REFERENCES `x%_y` (k))" })
         << QString() << QString() << QStringList();
      QTest::newRow("sqlite, analyzed") << int(k_sqlite) << lstParts + QStringList({ "CREATE TABLE ref (w char(2), a int, FOREIGN KEY (w, a) REFERENCES part_1 (b, a), "
         "FOREIGN KEY (a) REFERENCES part11 (a))", "CREATE VIEW v AS SELECT a FROM part11", "INSERT INTO part11 VALUES (1, 2, 3)", "ANALYZE" }) << QString() << "*" << QStringList();
   }
   void generic()
   {
      QFETCH(int, engine);
      QFETCH(QStringList, ddl);
      QFETCH(QString, user);
      QFETCH(QString, asked);
      QFETCH(QStringList, warnings);
      KEL_REQUIRE_ENGINE(engine);
      std::unique_ptr<connection> pConnection;
      if (ddl.isEmpty())
      {
         KEL_REQUIRE_FIXTURES();
         const QString sDatabase = env((engine == k_mysql) ? "KEL_TEST_SAKILA_MYSQL_DB" : ((engine == k_postgresql) ? "KEL_TEST_SAKILA_PG_DB" : "KEL_TEST_SAKILA_SQLITE"));
         KEL_REQUIRE(! sDatabase.isEmpty(), "Sakila loaded by tests/services/with_servers.sh");
         pConnection.reset(new connection((engine == k_mysql) ? mysqlDsn(sDatabase) : ((engine == k_postgresql) ? postgresqlDsn(sDatabase) : sqliteDsn(sDatabase))));
      }
      else
      {
         if (engine == k_mysql) { QCOMPARE(createDatabase(k_mysql, "kel_readers_my_other", { "CREATE TABLE ext_target (id int PRIMARY KEY)" }), QString()); }
         const QString sName = QString("kel_readers_generic_%1").arg(QTest::currentDataTag()).remove(QRegularExpression("\\W"));
         pConnection = connectNew(engine, sName, ddl, m_dir.path());
         if (! user.isEmpty()) { pConnection.reset(new connection(postgresqlDsn(sName).replace(QRegularExpression("Uid=.*$"), "Uid=" + user))); }
      }
      QVERIFY(pConnection && pConnection->isOpen());
      const read_result own = runReader(engine, pConnection->db()), generic = runReader(k_generic, pConnection->db());
      QVERIFY2(generic.result.getValue(), qPrintable(generic.result.getDesc()));
      QCOMPARE(shapeProblems(generic.tables), QStringList());
      int iOwnMarks = 0, iMarks = 0, iKeyColumns = 0;
      QStringList lstGeneric = agreed(generic.tables, iMarks), lstOwn = agreed(own.tables, iOwnMarks);
      // MariaDB's driver calls a NOT NULL column nullable when NULL gives its automatic value (AUTO_INCREMENT, TIMESTAMP)
      if (engine == k_mysql) { for (QStringList* pList : { &lstGeneric, &lstOwn }) { pList->replaceInStrings(QRegularExpression(" notnull\\[.*$"), ""); } }
      QCOMPARE(lstGeneric, lstOwn);
      int iForeignKeys = 0;
      for (long i = 0; i < generic.tables->count(); ++i)
      {
         iKeyColumns += generic.tables->getByIndex(i)->getPrimaryKey()->getListColumns()->count();
         iForeignKeys += static_cast<int>(generic.tables->getByIndex(i)->getListOfRelations()->count());
      }
      QCOMPARE(iMarks, iKeyColumns);
      QVERIFY((iKeyColumns > 0) && ((iForeignKeys > 0) || ! ddl.join(' ').contains("FOREIGN KEY")));
      QCOMPARE(generic.warnings.count(), warnings.count());
      for (int i = 0; i < warnings.count(); ++i) { QVERIFY2(generic.warnings.at(i).startsWith(warnings.at(i)), qPrintable(generic.warnings.join("\n"))); }
      // a view's comment as the engine's reader has it (MariaDB's driver gives the text VIEW for a view without one)
      QMap<QString, QString> mapViews;
      for (long i = 0; i < own.tables->count(); ++i) { if (own.tables->getByIndex(i)->getIsView()) { mapViews.insert(own.tables->getByIndex(i)->getName(), own.tables->getByIndex(i)->getDescription()); } }
      for (long i = 0; i < generic.tables->count(); ++i)
      {
         const table_ptr pView = generic.tables->getByIndex(i);
         if (pView->getIsView()) { QCOMPARE(pView->getDescription(), mapViews.value(pView->getName())); }
      }
      // whose keys the driver was asked for, one table at a time
      QStringList lstAsked = generic.steps.filter(QRegularExpression("^the keys of table '")).replaceInStrings(QRegularExpression("^the keys of table '(.*)'$"), "\\1");
      lstAsked.sort();
      QStringList lstTables;
      for (long i = 0; i < generic.tables->count(); ++i) { if (! generic.tables->getByIndex(i)->getIsView()) { lstTables.append(qualified(generic.tables->getByIndex(i)->getNamespace(), generic.tables->getByIndex(i)->getName())); } }
      lstTables.sort();
      QCOMPARE(lstAsked.join(","), (asked == "*") ? lstTables.join(",") : asked);
   }

   // an Access file through the MDBTools driver: its tables and columns as mdb-tables and mdb-export list them, none of
   // Access's own, and why no key is read (the driver has neither SQLPrimaryKeys nor SQLForeignKeys)
   void genericOnAccess()
   {
      const QString sFile = QDir(QString(KEL_FIXTURES_DIR) + "/access").absoluteFilePath("node-adodb.mdb");
      KEL_REQUIRE_FIXTURES();
      KEL_REQUIRE(QFile::exists(sFile), "Access fixture " + sFile);
      KEL_REQUIRE(plugin::odbc_import_driver_manager::getDrivers().contains("MDBTools"), "MDBTools ODBC driver (odbc-mdbtools)");
      const auto run = [](const QString& sProgram, const QStringList& lstArgs) { QProcess p; p.start(sProgram, lstArgs); p.waitForFinished(); return QString::fromUtf8(p.readAllStandardOutput()); };
      const QStringList lstTables = run("mdb-tables", { "-1", sFile }).split('\n', Qt::SkipEmptyParts);
      KEL_REQUIRE(! lstTables.isEmpty(), "mdb-tables and mdb-export (mdbtools)");
      QStringList lstExpected;
      for (const QString& sTable : lstTables) { lstExpected.append(sTable.trimmed() + ": cols[" + run("mdb-export", { sFile, sTable.trimmed() }).section('\n', 0, 0).remove('"') + "] pk[]"); }
      connection access("Driver=MDBTools;DBQ=" + sFile);
      QVERIFY2(access.isOpen(), qPrintable(access.openError()));
      const read_result read = runReader(k_generic, access.db());
      QStringList lstLayouts;
      for (long i = 0; i < read.tables->count(); ++i) { lstLayouts.append(layout(read.tables->getByIndex(i))); }
      QCOMPARE(lstLayouts, lstExpected);
      QCOMPARE(read.warnings, QStringList({ "The driver cannot list primary keys (SQLPrimaryKeys) : no table has one", "The driver cannot list foreign keys (SQLForeignKeys) : no table has one" }));
   }

   // a table dropped while the catalogue is read table by table is left out with a warning, never an empty entity; a catalogue
   // function that fails (psqlODBC's, waiting for a lock on pg_constraint another session holds) is a warning naming the table
   // and the function, the rest still read
   void goneOrFailing_data()
   {
      QTest::addColumn<int>("type");
      QTest::addColumn<int>("engine");
      QTest::addColumn<bool>("locked");
      QTest::addColumn<QStringList>("expected");   // layouts, then the warnings' beginnings
      const QStringList lstRead = { "a: cols[x] pk[]", "b: cols[y] pk[]" };
      const QString sGone = "Table 'c' is left out : the database describes no column of it";
      QTest::newRow("mariadb, table dropped") << int(k_mysql) << int(k_mysql) << false << lstRead + QStringList(sGone);
      QTest::newRow("generic on postgresql, table dropped") << int(k_generic) << int(k_postgresql) << false << lstRead + QStringList(sGone);
      QTest::newRow("generic on postgresql, keys locked") << int(k_generic) << int(k_postgresql) << true
         << QStringList({ "a: cols[x] pk[]", "b: cols[y] pk[]", "c: cols[z] pk[]", "Table 'a' : the driver failed SQLForeignKeys, it is read without foreign keys :\n",
                          "Table 'b' : the driver failed SQLForeignKeys", "Table 'c' : the driver failed SQLForeignKeys" });
   }
   void goneOrFailing()
   {
      QFETCH(int, type);
      QFETCH(int, engine);
      QFETCH(bool, locked);
      QFETCH(QStringList, expected);
      KEL_REQUIRE_ENGINE(engine);
      const QString sName = QString("kel_readers_gone_%1").arg(QTest::currentDataTag()).remove(QRegularExpression("\\W"));
      auto pConnection = connectNew(engine, sName, { "CREATE TABLE a (x int)", "CREATE TABLE b (y int)", "CREATE TABLE c (z int)" }, QString());
      QVERIFY(pConnection);
      connection other((engine == k_mysql) ? mysqlDsn(sName) : postgresqlDsn(sName));
      if (locked)
      {
         QCOMPARE(pConnection->exec({ "SET lock_timeout = '100ms'" }), QString());
         other.db()->transaction();
         QCOMPARE(other.exec({ "LOCK TABLE pg_catalog.pg_constraint IN ACCESS EXCLUSIVE MODE" }), QString());
      }
      if (type == k_mysql) { QTest::ignoreMessage(QtDebugMsg, QRegularExpression("catalogue-wide query failed, reading table by table : ")); }
      QString sDropped = "not dropped";
      // when the first table is about to be read
      const auto drop = [&]() { if (! locked && (sDropped == "not dropped")) { sDropped = other.exec({ "DROP TABLE c" }); } };
      s_onStep = [&](const QString& sStep) { if (sStep.startsWith("the relationships of table '")) { drop(); } };
      const read_result read = runReader((type == k_mysql) ? tableByTable(k_mysql, pConnection->db()) : plugin::odbc_import_engine::createReader(type, pConnection->db()).release(),
                                         [&](int iPercent) { if ((iPercent == 33) && (type == k_generic)) { drop(); } });
      if (locked) { other.db()->rollback(); }
      QCOMPARE(sDropped, QString(locked ? "not dropped" : ""));
      QVERIFY2(read.result.getValue(), qPrintable(read.result.getDesc()));
      QStringList lstLayouts;
      for (long i = 0; i < read.tables->count(); ++i) { lstLayouts.append(layout(read.tables->getByIndex(i))); }
      lstLayouts.sort();
      QCOMPARE(lstLayouts, expected.mid(0, read.tables->count()));
      QVERIFY2(read.warnings.count() == expected.count() - lstLayouts.count(), qPrintable(read.warnings.join("\n")));
      for (int i = 0; i < read.warnings.count(); ++i) { QVERIFY2(read.warnings.at(i).startsWith(expected.at(lstLayouts.count() + i)), qPrintable(read.warnings.join("\n"))); }
   }

   // what the user is told when a read fails (or, when it succeeds, the first table and its first column): nothing to read, the
   // database of another engine, a catalogue view gone (the catalogue-wide query fails, then the query of the first table),
   // servers of other versions (emulated on PostgreSQL), tables SQLite cannot read
   void failures_data()
   {
      QTest::addColumn<int>("type");
      QTest::addColumn<int>("engine");          // -1: no database; -2: MariaDB, none selected
      QTest::addColumn<QString>("setup");       // "", "three tables", "shop" and what breaks it, "version ...", "sqlite ..."
      QTest::addColumn<QString>("expected");    // ending ":\n": then the driver's text; ending "table ": then 'name' :\n and the driver's text
      const QString sAt = "An error occurred ";
      for (int engine : { k_sqlite, k_postgresql, k_mysql })
      {
         QTest::addRow("%d, no table", engine) << engine << engine << "" << k_sNoTable;
         QTest::addRow("%d, no database", engine) << engine << -1 << "" << "No database defined";
      }
      QTest::newRow("mariadb, no database selected") << int(k_mysql) << -2 << "" << "Unable to get current database name";
      QTest::newRow("generic, no table") << int(k_generic) << int(k_sqlite) << "" << "";
      QTest::newRow("generic, no database") << int(k_generic) << -1 << "" << "No database defined";
      QTest::newRow("MySQL reader on PostgreSQL") << int(k_mysql) << int(k_postgresql) << "three tables" << sAt + "getting current database :\n";
      QTest::newRow("PostgreSQL reader on SQLite") << int(k_postgresql) << int(k_sqlite) << "three tables" << sAt + "fetching all tables :\n";
      QTest::newRow("SQLite reader on MariaDB") << int(k_sqlite) << int(k_mysql) << "three tables" << sAt + "fetching all tables :\n";
      for (int engine : { k_mssqlserver, k_oracle })
      {
         const bool ora = (engine == k_oracle);
         const auto row = [engine](const char* name) -> QTestData& { return QTest::addRow("%s, %s", (engine == k_oracle) ? "oracle" : "sql server", name) << engine << int(k_postgresql); };
         row("tables") << (ora ? "shop; ALTER VIEW sys.all_tables RENAME TO gone" : "shop; ALTER VIEW information_schema.tables RENAME TO gone") << sAt + "fetching all tables :\n";
         row("primary key") << (ora ? "shop; ALTER VIEW sys.all_constraints RENAME TO gone" : "shop; ALTER VIEW information_schema.key_column_usage RENAME TO gone")
                            << sAt + "getting primary key for table ";
         row("relationships") << (ora ? "shop; ALTER VIEW sys.all_constraints RENAME COLUMN r_owner TO gone" : "shop; ALTER VIEW sys.foreign_keys RENAME TO gone")
                              << sAt + "getting all relationships for table ";
         row("columns") << (ora ? "shop; ALTER VIEW sys.all_tab_cols RENAME TO gone" : "shop; ALTER VIEW information_schema.columns RENAME TO gone") << sAt + "getting all columns for table ";
         row("no table") << (ora ? "shop; DELETE FROM emul.all_tables; DELETE FROM emul.all_views" : "shop; DELETE FROM emul.objects") << k_sNoTable;
      }
      QTest::newRow("oracle, views") << int(k_oracle) << int(k_postgresql) << "shop; ALTER VIEW sys.all_views RENAME TO gone" << sAt + "fetching all views :\n";
      QTest::newRow("oracle, only what the exclusions drop") << int(k_oracle) << int(k_postgresql)
         << "shop; DELETE FROM emul.all_tables WHERE owner IN ('SHOP', 'ARCHIVE'); DELETE FROM emul.all_views WHERE owner IN ('SHOP', 'REPORT')" << k_sNoTable;
      // an account that sees views only imports them
      QTest::newRow("sql server, views only") << int(k_mssqlserver) << int(k_postgresql) << "shop; DELETE FROM emul.objects WHERE type <> 'V'" << "v_line (view): cols[shop_id,qty] pk[] | varchar|10||null|";
      QTest::newRow("oracle, views only") << int(k_oracle) << int(k_postgresql) << "shop; DELETE FROM emul.all_tables" << "SHOP.V_LINE (view): cols[SHOP_ID,QTY] pk[] | VARCHAR2|10||null|";
      // a dictionary before 12.1 has no ALL_TAB_COLS.USER_GENERATED
      QTest::newRow("oracle 11g") << int(k_oracle) << int(k_postgresql) << "shop; DROP VIEW sys.all_tab_cols; CREATE VIEW sys.all_tab_cols AS SELECT owner, table_name, column_name, data_type, "
         "nullable, column_id, data_default, virtual_column FROM emul.all_tab_cols; CREATE OR REPLACE VIEW sys.product_component_version AS SELECT 'Oracle Database 11g Express Edition' AS product, "
         "'11.2.0.2.0' AS version" << "SHOP.CUSTOMER: cols[NAME] pk[ID] | VARCHAR2|10|'anon' |not null|";
      QTest::newRow("postgresql 9.3") << int(k_postgresql) << int(k_postgresql) << "version 90324" << "PostgreSQL 9.4 or later is required (the server is 9.3.24)";
      // MariaDB quotes string defaults from 10.2.7 on: the bare text NULL is no default there, the string elsewhere
      QTest::newRow("mysql 8.0") << int(k_mysql) << int(k_postgresql) << "version 8.0.36" << "defaults: cols[b,c] pk[] | varchar(10)|10|NULL|null|";
      QTest::newRow("mariadb 10.2.6") << int(k_mysql) << int(k_postgresql) << "version 10.2.6-MariaDB" << "defaults: cols[b,c] pk[] | varchar(10)|10|NULL|null|";
      QTest::newRow("mariadb 10.2.7") << int(k_mysql) << int(k_postgresql) << "version 10.2.7-MariaDB-log" << "defaults: cols[b,c] pk[] | varchar(10)|10||null|";
      // an old SQLite answers an unknown pragma with nothing (Qt's own SQLite driver, with an authorizer that ignores the pragmas)
      QTest::newRow("sqlite, no table_xinfo") << int(k_sqlite) << int(k_sqlite) << "sqlite table_xinfo" << "t: cols[b] pk[a] | TEXT|10||null|";
      QTest::newRow("sqlite, no column pragma") << int(k_sqlite) << int(k_sqlite) << "sqlite table_xinfo table_info"
                                                << sAt + "getting all columns for table 't' :\nthe table has no column that can be read";
      QTest::newRow("sqlite, name not UTF-8") << int(k_sqlite) << int(k_sqlite) << "sqlite" << "The name of table 't\\xff\\xfe\\x7fx' is not UTF-8 text: the table cannot be read";
   }
   void failures()
   {
      QFETCH(int, type);
      QFETCH(int, engine);
      QFETCH(QString, setup);
      QFETCH(QString, expected);
      KEL_REQUIRE_ENGINE((engine == -2) ? k_mysql : ((engine == -1) ? type : engine));
      const QString sName = QString("kel_readers_failure_%1").arg(QTest::currentDataTag()).remove(QRegularExpression("\\W"));
      std::unique_ptr<connection> pConnection;
      QStringList lstIgnored = setup.split(' ').mid(1);
      if (setup.startsWith("sqlite"))
      {
         sqlite3* pFile = nullptr;
         QCOMPARE(sqlite3_open(QFile::encodeName(m_dir.filePath(sName)).constData(), &pFile), SQLITE_OK);
         const int iCreated = sqlite3_exec(pFile, "CREATE TABLE \"" + QByteArray(lstIgnored.isEmpty() ? "t\xff\xfe\x7fx" : "t") + "\" (a INTEGER PRIMARY KEY, b TEXT)", nullptr, nullptr, nullptr);
         sqlite3_close(pFile);
         QCOMPARE(iCreated, SQLITE_OK);
         pConnection.reset(lstIgnored.isEmpty() ? new connection(sqliteDsn(m_dir.filePath(sName))) : new connection(m_dir.filePath(sName), "QSQLITE"));
         sqlite3* pHandle = *static_cast<sqlite3* const*>(pConnection->db()->driver()->handle().constData());
         if (! lstIgnored.isEmpty())
         {
            sqlite3_set_authorizer(pHandle, [](void* pIgnored, int iAction, const char* sPragma, const char*, const char*, const char*) {
               return (((iAction == SQLITE_PRAGMA) && static_cast<QStringList*>(pIgnored)->contains(QString::fromUtf8(sPragma), Qt::CaseInsensitive)) ? SQLITE_IGNORE : SQLITE_OK);
            }, &lstIgnored);
         }
      }
      else if (setup.startsWith("version"))
      {
         const QString sConstant = "RETURNS text LANGUAGE sql AS $$ SELECT '%1'::text $$";
         pConnection = connectNew(k_postgresql, sName, {
            // functions of schema old come before pg_catalog's
            "CREATE SCHEMA old", "ALTER DATABASE " + sName + " SET search_path = old, pg_catalog", "CREATE FUNCTION old.current_setting(text) " + sConstant.arg(lstIgnored.value(0)),
            "CREATE FUNCTION old.version() " + sConstant.arg(lstIgnored.value(0)), "CREATE FUNCTION old.database() " + sConstant.arg("shop"),
            // MySQL's information_schema with one table: a column whose default is the string NULL, one without default
            "DROP SCHEMA information_schema CASCADE", "CREATE SCHEMA information_schema",
            "CREATE TABLE information_schema.tables AS SELECT 'shop'::text AS table_schema, 'defaults'::text AS table_name, 'BASE TABLE'::text AS table_type, ''::text AS table_comment",
            "CREATE TABLE information_schema.columns AS SELECT 'shop'::text AS table_schema, 'defaults'::text AS table_name, c AS column_name, o AS ordinal_position, "
            "'varchar(10)'::text AS column_type, ''::text AS column_comment, d AS column_default, 'YES'::text AS is_nullable, ''::text AS column_key FROM (VALUES ('b', 1, 'NULL'), ('c', 2, NULL)) AS v(c, o, d)",
            "CREATE TABLE information_schema.key_column_usage (table_schema text, table_name text, column_name text, constraint_name text, ordinal_position int, "
            "referenced_table_schema text, referenced_table_name text, referenced_column_name text)" }, QString());
      }
      else if (setup.startsWith("shop")) { pConnection = connectNew(k_postgresql, sName, emulated(type, "shop") + setup.split("; ").mid(1), QString()); }
      else if (engine == -2) { pConnection.reset(new connection(mysqlDsn(QString()))); }
      else if (engine >= 0) { pConnection = connectNew(engine, sName, setup.isEmpty() ? QStringList() : QStringList({ "CREATE TABLE a (x int)", "CREATE TABLE b (y int)" }), m_dir.path()); }
      QVERIFY((engine == -1) || (pConnection && pConnection->isOpen()));
      const read_result read = runReader(type, pConnection ? pConnection->db() : nullptr);
      const table_ptr pFirst = ((read.tables->count() > 0) ? read.tables->getByIndex(0) : nullptr);
      const QString sFirstColumn = (pFirst ? (qualified(pFirst->getNamespace(), pFirst->getName()) + "." + pFirst->getListOfColumns()->getByIndex(0)->getName()) : QString());
      if (read.result.getValue()) { QCOMPARE(pFirst ? (layout(pFirst) + " | " + describe(read.tables, sFirstColumn).section(": ", 1)) : QString(), expected); return; }
      QCOMPARE(read.tables->count(), 0L);
      if (! expected.endsWith("\n") && ! expected.endsWith("table ")) { QCOMPARE(read.result.getDesc(), expected); return; }
      // the fixed text (naming the table being read), then the driver's
      const QString sPattern = "^" + QRegularExpression::escape(expected) + (expected.endsWith("table ") ? "'\\w+' :\n\\S" : "\\S");
      QVERIFY2(QRegularExpression(sPattern).match(read.result.getDesc()).hasMatch(), qPrintable(read.result.getDesc()));
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
      const bool bFails = change.isEmpty();
      auto pConnection = connectNew(k_postgresql, "kel_readers_pg_moving", { "CREATE TABLE first (id int PRIMARY KEY)", "CREATE TABLE doomed (id int PRIMARY KEY, note text)",
                                                                            "CREATE TABLE moved (id int PRIMARY KEY, v int CONSTRAINT fk_moved REFERENCES first(id))" }, QString());
      QVERIFY(pConnection);
      QCOMPARE(pConnection->exec({ "SET lock_timeout = '200ms'" }), QString());
      connection other(postgresqlDsn("kel_readers_pg_moving"));
      other.db()->transaction();
      QCOMPARE(other.exec({ "LOCK TABLE pg_catalog.pg_constraint IN ACCESS EXCLUSIVE MODE" }), QString());
      QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^\\[Kelmar\\] PostgreSQL catalogue-wide query failed, reading table by table : .*lock"));
      QString sChangeError = "not made";
      s_onStep = [&](const QString& sStep) {
         if ((sStep != "the primary key of table 'doomed'") || bFails) { return; }
         sChangeError = other.exec(change.split("; "));
         other.db()->commit();
      };
      const read_result read = runReader(k_postgresql, pConnection->db());
      other.db()->rollback();
      QCOMPARE(sChangeError, QString(bFails ? "not made" : ""));
      QStringList lstLayouts;
      for (long i = 0; i < read.tables->count(); ++i) { lstLayouts.append(layout(read.tables->getByIndex(i))); }
      QVERIFY2(bFails ? read.result.getDesc().startsWith(expected) : (lstLayouts.join(" | ") == expected), qPrintable(read.result.getDesc() + lstLayouts.join(" | ")));
      // the reader's session is out of its read-only transaction: it can write again
      QCOMPARE(pConnection->exec({ "CREATE TABLE after_read (x int)" }), QString());
   }

   // 600 tables, each with a key to the one before: the progress rises through every stage as the rows come (tables, primary keys,
   // relationships, columns, tables built); a filter keeping a few tables reads them table by table, one keeping many passes the
   // other rows of the catalogue-wide queries over; either gives the whole read's model of those tables, keys included
   void manyTables_data()
   {
      QTest::addColumn<int>("kept");             // tables t1 to t<kept>; 0: no filter
      QTest::addColumn<bool>("byTable");
      QTest::newRow("every table") << 0 << false;
      QTest::newRow("5 of 600") << 5 << true;
      QTest::newRow("300 of 600") << 300 << false;
   }
   void manyTables()
   {
      QFETCH(int, kept);
      QFETCH(bool, byTable);
      KEL_REQUIRE_POSTGRESQL();
      if (! m_pMany)
      {
         m_pMany = connectNew(k_postgresql, "kel_readers_many", { "DO $$ BEGIN FOR i IN 1..600 LOOP EXECUTE format('CREATE TABLE t%s (id serial PRIMARY KEY, a int, "
                              "b text, prev int CONSTRAINT fk_%s REFERENCES t%s(id))', i, i, greatest(i - 1, 1)); END LOOP; END $$" }, QString());
         QVERIFY(m_pMany);
         m_lstManyLines = modelLines(runReader(k_postgresql, m_pMany->db()).tables);
      }
      const auto filter = [kept](const QString& sNamespace, const QString& sName) { return (sNamespace.isEmpty() && (sName.mid(1).toInt() <= kept)); };
      const read_result read = runReader(k_postgresql, m_pMany->db(), {}, kept ? plugin::odbc_import_process::type_table_filter(filter) : nullptr);
      QVERIFY2(read.result.getValue(), qPrintable(read.result.getDesc()));
      QCOMPARE(read.tables->count(), long(kept ? kept : 600));
      const QStringList lstLines = modelLines(read.tables);
      QVERIFY(lstLines.count() > 3 * read.tables->count());
      for (const QString& sLine : lstLines) { QVERIFY2(m_lstManyLines.contains(sLine), qPrintable(sLine)); }
      QVERIFY2(rising(read.progress), qPrintable(toText(read.progress)));
      const QStringList lstTableSteps = read.steps.filter(" of table '");
      QCOMPARE(lstTableSteps.count(), byTable ? (3 * kept) : 0);
      for (const QString& sStep : lstTableSteps) { QVERIFY2(filter(QString(), sStep.section('\'', 1, 1)), qPrintable(sStep)); }
      QCOMPARE(read.steps.contains("the columns of all tables"), ! byTable);
      if (byTable)
      {
         // the generic reader asks the driver for the kept tables only
         const read_result generic = runReader(k_generic, m_pMany->db(), {}, plugin::odbc_import_process::type_table_filter(filter));
         QStringList lstNames;
         for (long i = 0; i < generic.tables->count(); ++i) { lstNames << generic.tables->getByIndex(i)->getName(); }
         lstNames.sort();
         QCOMPARE(lstNames, QStringList({ "t1", "t2", "t3", "t4", "t5" }));
         return;
      }
      // some value within each stage's share
      for (const QPair<int, int>& stage : QList<QPair<int, int>>({ { 0, 10 }, { 10, 25 }, { 25, 40 }, { 40, 90 }, { 90, 100 } }))
      {
         const auto within = [&](int i) { return ((i > stage.first) && (i < stage.second)); };
         QVERIFY2(std::any_of(read.progress.begin(), read.progress.end(), within), qPrintable(QString("%1-%2: ").arg(stage.first).arg(stage.second) + toText(read.progress)));
      }
   }

   // a comment or default longer than any buffer comes whole, multi-byte letters and all; NULL (no default) is no empty text;
   // read catalogue-wide and table by table alike
   void longValues_data()
   {
      QTest::addColumn<int>("engine");
      QTest::addColumn<QStringList>("ddl");       // %1: the long comment, %2: the long default
      QTest::addColumn<QStringList>("columns");
      const QString sComment = QString("Größe ").repeated(1000), sDefault = QString("Wert ").repeated(120);
      QTest::newRow("postgresql") << int(k_postgresql) << QStringList({ "CREATE TABLE t (a text DEFAULT '" + sDefault + "', b int, c text DEFAULT '')",
                                                                        "COMMENT ON COLUMN t.a IS '" + sComment + "'", "COMMENT ON TABLE t IS '" + sComment + "'" })
         << QStringList({ "t.a: text|10|'" + sDefault + "'::text|null|" + sComment, "t.b: int4|4||null|", "t.c: text|10|''::text|null|" });
      // MariaDB's column comments hold at most 1,024 characters
      QTest::newRow("mariadb") << int(k_mysql) << QStringList({ "CREATE TABLE t (a varchar(2000) DEFAULT '" + sDefault + "' COMMENT '" + sComment.left(1020) + "', b int, "
                                                                "c varchar(5) DEFAULT '') COMMENT '" + sComment.left(2000) + "'" })
         << QStringList({ "t.a: varchar(2000)|10|'" + sDefault + "'|null|" + sComment.left(1020), "t.b: int(11)|4||null|", "t.c: varchar(5)|10|''|null|" });
   }
   void longValues()
   {
      QFETCH(int, engine);
      QFETCH(QStringList, ddl);
      QFETCH(QStringList, columns);
      KEL_REQUIRE_ENGINE(engine);
      auto pConnection = connectNew(engine, QString("kel_readers_long_%1").arg(engine), ddl, QString());
      QVERIFY(pConnection);
      const read_result read = runReader(engine, pConnection->db());
      QVERIFY2(read.result.getValue(), qPrintable(read.result.getDesc()));
      for (const QString& sColumn : columns) { QCOMPARE(describe(read.tables, sColumn.section(": ", 0, 0)), sColumn); }
      QCOMPARE(read.tables->getByIndex(0)->getDescription(), QString("Größe ").repeated(1000).left((engine == k_mysql) ? 2000 : 6000));
      QTest::ignoreMessage(QtDebugMsg, QRegularExpression("catalogue-wide query failed, reading table by table : "));
      QCOMPARE(modelLines(runReader(tableByTable(engine, pConnection->db())).tables), modelLines(read.tables));
   }

   // texts the PostgreSQL-served catalogues cannot judge: Oracle refuses a statement ending with ";" (ORA-00911); a SQL Server
   // database of case-sensitive collation knows INFORMATION_SCHEMA's names in upper case only
   void textsSent()
   {
      const QStringList lstOracle = sqlTexts("odbc_import_oracle.cpp"), lstMsSqlServer = sqlTexts("odbc_import_mssqlserver.cpp").filter("INFORMATION_SCHEMA", Qt::CaseInsensitive);
      QVERIFY((lstOracle.count() > 10) && (lstMsSqlServer.count() > 3));
      QCOMPARE(lstOracle.filter(QRegularExpression(";\\s*$")), QStringList());
      for (QString sql : lstMsSqlServer) { sql.remove(QRegularExpression("\\bAS \\w+")); QCOMPARE(sql, sql.toUpper()); }
   }
};

QTEST_GUILESS_MAIN(tst_readers)
#include "tst_readers.moc"
