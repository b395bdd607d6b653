// The host's generic importer on tables read by the real readers from real databases: relationships
// and their ways back, unique property names, and the namespaces an import replaces.
#include <QTemporaryDir>
#include <QtTest>

#include <type_traits>

#include <context/ctx_project.h>
#include <plugin/generic_importer.h>

#include "odbc_import_process.h"
#include "odbc_import_engine.h"
#include "test_env.h"

namespace {

// A self-reference, two foreign keys to one table, a column named like a way back, a cycle and a
// composite key; comp_fk and cyc_a come before their targets in every reader's order.
const QStringList k_lstTables({ "CREATE TABLE parent (id INT PRIMARY KEY, list_of_child INT)",
                                "CREATE TABLE child (id INT PRIMARY KEY, mother_id INT, father_id INT, manager_id INT,"
                                " CONSTRAINT fk_mother FOREIGN KEY (mother_id) REFERENCES parent (id),"
                                " CONSTRAINT fk_father FOREIGN KEY (father_id) REFERENCES parent (id),"
                                " CONSTRAINT fk_manager FOREIGN KEY (manager_id) REFERENCES child (id))",
                                "CREATE TABLE comp_pk (a INT NOT NULL, b INT NOT NULL, PRIMARY KEY (a, b))",
                                "CREATE TABLE comp_fk (id INT PRIMARY KEY, a INT, b INT, CONSTRAINT fk_comp FOREIGN KEY (a, b) REFERENCES comp_pk (a, b))" });
// SQLite takes a foreign key to a table still to come; the servers take it once the table is there
const QString k_sCycleA("CREATE TABLE cyc_a (id INT PRIMARY KEY, b_id INT%1)");
const QString k_sCycleB("CREATE TABLE cyc_b (id INT PRIMARY KEY, a_id INT, CONSTRAINT fk_b_a FOREIGN KEY (a_id) REFERENCES cyc_a (id))");
const QString k_sCycleFk("CONSTRAINT fk_a_b FOREIGN KEY (b_id) REFERENCES cyc_b (id)");

// the decoration and collection options are cast from ints: any int must be a value of these enumerations
static_assert(std::is_same<std::underlying_type<model::property_type::enum_decoration>::type, int>::value, "decoration values are ints");
static_assert(std::is_same<std::underlying_type<model::property_type::enum_collection>::type, int>::value, "collection values are ints");

/** "kind target" of every relationship of the entity named sName (namespace aside). */
QStringList targetsOf(const QList<model::entity>& lst, const QString& sName, const QString& sKind)
{
   QStringList lstFound;
   for (const model::entity& e : lst)
   {
      if (e.name != sName) { continue; }
      for (const model::entity_relationship& r : e.relationships) { if (r.kind == sKind) { lstFound << r.targetEntity; } }
   }
   lstFound.sort();
   return lstFound;
}

} // namespace

class tst_generic_importer : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;
   int m_iProject = 0;

   /** A new project with these entities, opened as the current one. */
   void openProject(const QList<model::entity>& lst = QList<model::entity>())
   {
      const vx::VxBool opened = context::ctx_project::openProject(m_dir.filePath(QString("project_%1.kelmar").arg(++m_iProject)));
      QVERIFY2(opened.getValue(), qPrintable(opened.getDesc()));
      QVERIFY(context::ctx_project::getProject()->addEntities(lst).getValue());
   }

   /** Reads the database with the engine's reader and imports it into the current project. */
   static vx::VxBool import(int iDatabaseType, const QString& sDsn, const QString& sNamespace, bool bDeleteNamespace)
   {
      kel_test::connection source(sDsn);
      if (! source.isOpen()) { return vx::VxBool(false, 0, source.openError()); }
      std::unique_ptr<plugin::odbc_import_process> pReader(plugin::odbc_import_engine::createReader(iDatabaseType, source.db()));
      const vx::VxBool read = pReader->startProcess();
      if (! read.getValue()) { return read; }
      plugin::generic_importer importer;
      importer.setListOfTables(pReader->getListOfTables());
      importer.setNamespace(sNamespace);
      importer.setDeleteNamespace(bDeleteNamespace);
      return importer.import();
   }

private Q_SLOTS:
   void initTestCase() { QVERIFY(m_dir.isValid()); }
   void cleanupTestCase() { context::ctx_project::closeProject(); }

   // ways back on the referenced table only, one per foreign key, and no name twice in an entity
   void relationships_data()
   {
      QTest::addColumn<int>("iDatabaseType");
      QTest::newRow("SQLite") << int(kel_test::k_sqlite);
      QTest::newRow("PostgreSQL") << int(kel_test::k_postgresql);
      QTest::newRow("MariaDB") << int(kel_test::k_mysql);
   }

   void relationships()
   {
      QFETCH(int, iDatabaseType);
      QString sDsn = kel_test::sqliteDsn(m_dir.filePath("relations.db"));
      if (iDatabaseType == kel_test::k_sqlite) { QCOMPARE(kel_test::makeSqlite(m_dir.filePath("relations.db"), k_lstTables + QStringList({ k_sCycleA.arg(", " + k_sCycleFk), k_sCycleB })), QString()); }
      else
      {
         const bool bPostgreSQL = (iDatabaseType == kel_test::k_postgresql);
         if (bPostgreSQL) { KEL_REQUIRE_POSTGRESQL(); } else { KEL_REQUIRE_MYSQL(); }
         QCOMPARE(kel_test::createDatabase(kel_test::engine_type(iDatabaseType), "kel_relations",
                                           k_lstTables + QStringList({ k_sCycleA.arg(""), k_sCycleB, "ALTER TABLE cyc_a ADD " + k_sCycleFk })), QString());
         sDsn = (bPostgreSQL ? kel_test::postgresqlDsn("kel_relations") : kel_test::mysqlDsn("kel_relations"));
      }
      openProject();
      const vx::VxBool imported = import(iDatabaseType, sDsn, QString(), false);
      QVERIFY2(imported.getValue(), qPrintable(imported.getDesc()));
      const QList<model::entity> lst = context::ctx_project::getProject()->getEntities();
      QCOMPARE(lst.count(), 6);

      for (const model::entity& e : lst)
      {
         QStringList lstNames;
         for (const model::entity_property& p : e.properties) { lstNames << p.name; }
         for (const model::entity_relationship& r : e.relationships) { lstNames << r.name; }
         QVERIFY2(QSet<QString>(lstNames.begin(), lstNames.end()).count() == lstNames.count(), qPrintable(e.name + ": " + lstNames.join(", ")));
      }
      QStringList lstFound, lstExpected({ "parent <- child, child", "child -> child, parent, parent; <- child", "comp_pk <- comp_fk", "comp_fk -> comp_pk",
                                          "cyc_a -> cyc_b; <- cyc_b", "cyc_b -> cyc_a; <- cyc_a" });
      for (const QString& sTable : { "parent", "child", "comp_pk", "comp_fk", "cyc_a", "cyc_b" })
      {
         const QStringList lstOut = targetsOf(lst, sTable, "many-to-one"), lstBack = targetsOf(lst, sTable, "one-to-many");
         QStringList lstParts;
         if (! lstOut.isEmpty()) { lstParts << ("-> " + lstOut.join(", ")); }
         if (! lstBack.isEmpty()) { lstParts << ("<- " + lstBack.join(", ")); }
         lstFound << (sTable + " " + lstParts.join("; "));
      }
      QCOMPARE(lstFound, lstExpected);
   }

   // the namespace and every namespace below it are replaced; a name that only begins alike stays
   void deleteNamespace()
   {
      QList<model::entity> lstOld;
      for (const char* sNamespace : { "ns", "ns::main", "ns::dropped", "ns::dropped::deeper", "nsx", "other::ns" })
      {
         model::entity e;
         e.nameSpace = sNamespace;
         e.name = "old";
         lstOld << e;
      }
      openProject(lstOld);
      QCOMPARE(kel_test::makeSqlite(m_dir.filePath("ns.db"), { "CREATE TABLE fresh (id INTEGER PRIMARY KEY)" }), QString());
      const vx::VxBool imported = import(kel_test::k_sqlite, kel_test::sqliteDsn(m_dir.filePath("ns.db")), "ns", true);
      QVERIFY2(imported.getValue(), qPrintable(imported.getDesc()));
      QStringList lstLeft;
      for (const model::entity& e : context::ctx_project::getProject()->getEntities()) { lstLeft << e.fullName(); }
      QCOMPARE(lstLeft, QStringList({ "nsx::old", "other::ns::old", "ns::fresh" }));
   }
};

QTEST_MAIN(tst_generic_importer)
#include "tst_generic_importer.moc"
