// The command-line import on its own (fillGenericImporter), on the loaded plug-in: every option, the
// reader chosen by engine type, the table filter and each failure, read back from the importer it configures.
#include <QPluginLoader>
#include <QTemporaryDir>
#include <QtTest>

#include <context/ctx_global.h>
#include <plugin/import_interface.h>
#include <view/main_wnd.h>

#include "test_env.h"
#include "odbc_import.h"
#include "odbc_import_no_gui.h"

namespace {

using importer_ptr = std::shared_ptr<plugin::generic_importer>;

/** An importer whose settings no option gives, so that each setter that runs shows. */
importer_ptr sentinelImporter()
{
   auto p = std::make_shared<plugin::generic_importer>();
   p->setListOfTables(std::make_shared<model::type_lst_table>());
   p->setDeleteNamespace(true);
   p->setNamespace("sentinel");
   p->setImportComment(true);
   p->setImportDefaultValue(true);
   p->setDecoration(static_cast<model::property_type::enum_decoration>(77));
   p->setCollection(static_cast<model::property_type::enum_collection>(77));
   p->setBoostOptionalForNullValue(true);
   plugin::generic_importer::type_lst_type_mapping mapping;
   mapping.insert("sentinel", "sentinel");
   p->setListOfTypeMapping(mapping);
   return p;
}

QString settings(const plugin::generic_importer& g)
{
   QStringList lstPairs;
   const plugin::generic_importer::type_lst_type_mapping mapping = g.getListOfTypeMapping();
   for (long i = 0; i < mapping.count(); ++i) { lstPairs << (mapping.getKeyByIndex(i) + "~" + mapping.getByIndex(i)); }
   return QString("delete=%1 comment=%2 default=%3 optional=%4 decoration=%5 collection=%6 namespace='%7' mapping='%8'")
      .arg(g.getDeleteNamespace()).arg(g.getImportComment()).arg(g.getImportDefaultValue()).arg(g.getBoostOptionalForNullValue())
      .arg(static_cast<int>(g.getDecoration())).arg(static_cast<int>(g.getCollection())).arg(g.getNamespace(), lstPairs.join('|'));
}

/** Namespace and name of each table handed over, in list order. */
QStringList fullNames(const std::shared_ptr<model::type_lst_table>& pTables)
{
   QStringList lst;
   for (long i = 0; pTables && (i < pTables->count()); ++i)
   {
      const auto pTable = pTables->getByIndex(i);
      lst << (pTable->getNamespace().isEmpty() ? pTable->getName() : (pTable->getNamespace() + "." + pTable->getName()));
   }
   return lst;
}

} // namespace

class tst_headless_fill : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;
   QPluginLoader m_loader;
   plugin::odbc_import* m_pPlugin = nullptr;
   view::main_wnd m_wnd;
   importer_ptr m_pImporter;
   QString m_sFilterDsn, m_sEmptyDsn, m_sPgSetupError;

   vx::VxBool fill(const QStringList& lstArgs)
   {
      m_wnd.setAppArgs(lstArgs);
      const QStringList lstConnections = QSqlDatabase::connectionNames();
      const vx::VxBool result = plugin::odbc_import_no_gui::fillGenericImporter(m_pPlugin);
      // the read closes its connection, whatever its end
      if (QSqlDatabase::connectionNames() != lstConnections) { QTest::qFail("a connection of the read stays open", __FILE__, __LINE__); }
      return result;
   }

private Q_SLOTS:
   void initTestCase()
   {
      QVERIFY(m_dir.isValid());
      // in creation order, which is the SQLite reader's order
      QCOMPARE(kel_test::makeSqlite(m_dir.filePath("filter.db"), {
         "CREATE TABLE customer (customer_id INTEGER PRIMARY KEY, name TEXT NOT NULL)",
         "CREATE TABLE customer_note (note_id INTEGER PRIMARY KEY, customer_id INT REFERENCES customer (customer_id))",
         "CREATE TABLE CustomerLog (log_id INTEGER PRIMARY KEY, entry TEXT)",
         "CREATE TABLE orders (order_id INTEGER PRIMARY KEY, customer_id INT)",
         "CREATE VIEW v_customer AS SELECT name FROM customer" }), QString());
      m_sFilterDsn = kel_test::sqliteDsn(m_dir.filePath("filter.db"));
      QCOMPARE(kel_test::makeSqlite(m_dir.filePath("empty.db"), {}), QString());
      m_sEmptyDsn = kel_test::sqliteDsn(m_dir.filePath("empty.db"));

      m_loader.setFileName(QString(KEL_PLUGIN_FILE));
      QVERIFY2(m_loader.load(), qPrintable(m_loader.errorString()));
      m_pPlugin = static_cast<plugin::odbc_import*>(qobject_cast<plugin::import_interface*>(m_loader.instance()));
      QVERIFY(m_pPlugin);

      // public.customer and sales.customer: the same name, one of them in a namespace
      if (! kel_test::env("KEL_TEST_PG_PORT").isEmpty())
      {
         m_sPgSetupError = kel_test::createDatabase(kel_test::k_postgresql, "kel_headless_ns", { "CREATE SCHEMA sales", "CREATE TABLE customer (id INT PRIMARY KEY)",
                                                    "CREATE TABLE sales.customer (id INT PRIMARY KEY)", "CREATE TABLE sales.orders (id INT PRIMARY KEY)" });
      }
   }

   void init()
   {
      context::ctx_global::setMainWnd(&m_wnd);
      m_pImporter = sentinelImporter();
      m_pPlugin->setGenericImporter(m_pImporter);
   }

   void cleanupTestCase() { context::ctx_global::setMainWnd(nullptr); }

   // every option read into the importer; a catalogue reader sets a primary key on every table, the
   // generic reader (engine type 0 or any unknown one) none
   void options_data()
   {
      QTest::addColumn<QStringList>("lstOptions");
      QTest::addColumn<QString>("expected");
      QTest::addColumn<QString>("sType");
      const QString sDefaults("delete=0 comment=0 default=0 optional=0 decoration=5 collection=1 namespace='' mapping=''");
      QTest::newRow("absent options take their defaults") << QStringList() << sDefaults << "5";
      for (const char* sType : { "0", "7", "-1" }) { QTest::addRow("engine type %s", sType) << QStringList() << sDefaults << sType; }
      QTest::newRow("flags are true for 1")
         << QStringList({ "--KelOdbcImport_delete_namespace=1", "--KelOdbcImport_import_comment=1", "--KelOdbcImport_import_default_value=1", "--KelOdbcImport_boost_optional=1" })
         << "delete=1 comment=1 default=1 optional=1 decoration=5 collection=1 namespace='' mapping=''" << "5";
      QTest::newRow("flags are false for any other text")
         << QStringList({ "--KelOdbcImport_delete_namespace=true", "--KelOdbcImport_import_comment=yes", "--KelOdbcImport_import_default_value=0", "--KelOdbcImport_boost_optional=" })
         << sDefaults << "5";
      QTest::newRow("numbers, namespace, first occurrence counts, whole names only")
         << QStringList({ "--KelOdbcImport_namespaceX=wrong", "--KelOdbcImport_relation_decoration=2", "--KelOdbcImport_relation_decoration=1",
                          "--KelOdbcImport_relation_collection=10", "--KelOdbcImport_namespace=app::db_1", "--KelOdbcImport_namespace=second" })
         << "delete=0 comment=0 default=0 optional=0 decoration=2 collection=10 namespace='app::db_1' mapping=''" << "5";
      QTest::newRow("numbers that are not decimal give 0")
         << QStringList({ "--KelOdbcImport_relation_decoration=abc", "--KelOdbcImport_relation_collection=" })
         << "delete=0 comment=0 default=0 optional=0 decoration=0 collection=0 namespace='' mapping=''" << "5";
      QTest::newRow("type mapping, repeated and incomplete pairs")
         << QStringList({ "--KelOdbcImport_mapping_sql_to_cpp=int~long;;varchar~QString;int~qint64;bad" })
         << "delete=0 comment=0 default=0 optional=0 decoration=5 collection=1 namespace='' mapping='int~long|varchar~QString'" << "5";
      QTest::newRow("type mapping keeps spaces and case, drops extra pieces")
         << QStringList({ "--KelOdbcImport_mapping_sql_to_cpp= int ~ long ;INT~qint32;a~b~c;~x;y~" })
         << "delete=0 comment=0 default=0 optional=0 decoration=5 collection=1 namespace='' mapping=' int ~ long |INT~qint32|a~b'" << "5";
   }

   void options()
   {
      QFETCH(QStringList, lstOptions);
      QFETCH(QString, expected);
      QFETCH(QString, sType);
      const vx::VxBool result = fill(kel_test::importArgs(m_sFilterDsn, sType, lstOptions));
      QVERIFY2(result.getValue(), qPrintable(result.getDesc()));
      QCOMPARE(settings(*m_pImporter), expected);
      const auto pTables = m_pImporter->getListOfTables();
      QCOMPARE(pTables->count(), 5L);
      for (long i = 0; i < pTables->count(); ++i) { QCOMPARE(bool(pTables->getByIndex(i)->getPrimaryKey()), sType == "5"); }
   }

   // on SQLite, and on PostgreSQL where the filter sees namespace "." name: "^cust" no longer matches sales.customer
   void filter_data()
   {
      QTest::addColumn<bool>("bPostgreSQL");
      QTest::addColumn<QString>("sOption");
      QTest::addColumn<QStringList>("kept");
      const QStringList lstAll({ "customer", "customer_note", "CustomerLog", "orders", "v_customer" });
      QTest::newRow("absent") << false << QString() << lstAll;
      QTest::newRow("empty") << false << "--KelOdbcImport_filter_regexp=" << lstAll;
      QTest::newRow("star") << false << "--KelOdbcImport_filter_regexp=*" << lstAll;
      QTest::newRow("anchored at the start") << false << "--KelOdbcImport_filter_regexp=^cust" << QStringList({ "customer", "customer_note" });
      QTest::newRow("anywhere in the name") << false << "--KelOdbcImport_filter_regexp=cust" << QStringList({ "customer", "customer_note", "v_customer" });
      QTest::newRow("case-sensitive") << false << "--KelOdbcImport_filter_regexp=Customer" << QStringList({ "CustomerLog" });
      QTest::newRow("namespaced, ^cust") << true << "--KelOdbcImport_filter_regexp=^cust" << QStringList({ "customer" });
      QTest::newRow("namespaced, cust") << true << "--KelOdbcImport_filter_regexp=cust" << QStringList({ "customer", "sales.customer" });
      QTest::newRow("namespaced, ^sales\\.") << true << "--KelOdbcImport_filter_regexp=^sales\\." << QStringList({ "sales.customer", "sales.orders" });
   }

   void filter()
   {
      QFETCH(bool, bPostgreSQL);
      QFETCH(QString, sOption);
      QFETCH(QStringList, kept);
      if (bPostgreSQL) { KEL_REQUIRE_POSTGRESQL(); }
      QVERIFY2(! bPostgreSQL || m_sPgSetupError.isEmpty(), qPrintable(m_sPgSetupError));
      const QStringList lstArgs = (bPostgreSQL ? kel_test::importArgs(kel_test::postgresqlDsn("kel_headless_ns"), "1") : kel_test::importArgs(m_sFilterDsn, "5"));
      const vx::VxBool result = fill(lstArgs + QStringList({ sOption, "--KelOdbcImport_namespace=ns" }));
      QVERIFY2(result.getValue(), qPrintable(result.getDesc()));
      const auto pTables = m_pImporter->getListOfTables();
      QCOMPARE(fullNames(pTables), kept);
      for (long i = 0; i < pTables->count(); ++i) { QCOMPARE(pTables->getByIndex(i)->getMetaData("TABLE_ROOT_NAMESPACE"), QVariant(QString("ns"))); }
   }

   // the verbose connect line names the data source with its password masked, nothing else changed
   void verboseLineMasksPassword_data()
   {
      QTest::addColumn<QString>("sMore");      // after the data source
      QTest::addColumn<QString>("expected");
      QTest::newRow("PWD, braces") << ";PWD={s3;cret}" << ";PWD=****";
      QTest::newRow("PWD, more after it") << ";Uid=me;PWD=secret;Timeout=1000" << ";Uid=me;PWD=****;Timeout=1000";
      QTest::newRow("Password, braces, last") << ";password={a;b}}=c}" << ";password=****";
      QTest::newRow("spaces around the keyword") << "; Pwd =s3;" << "; Pwd =****;";
      QTest::newRow("no password") << "" << "";
   }

   void verboseLineMasksPassword()
   {
      QFETCH(QString, sMore);
      QFETCH(QString, expected);
      static QStringList s_lstLines;
      s_lstLines.clear();
      const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& s) { s_lstLines << s; });
      const vx::VxBool result = fill(kel_test::importArgs(m_sFilterDsn + sMore, "5", { "--KelOdbcImport_verbose=1", "--KelOdbcImport_pwd=other-secret" }));
      qInstallMessageHandler(previous);
      QVERIFY2(result.getValue(), qPrintable(result.getDesc()));
      QCOMPARE(s_lstLines.value(0), "[Kelmar] KelOdbcImport plugin : connect to database (" + m_sFilterDsn + expected + ")");
      QVERIFY(s_lstLines.filter("secret").isEmpty() && s_lstLines.filter("s3").isEmpty() && s_lstLines.filter("c}").isEmpty());
   }

   // a failure hands the importer nothing: its settings stay exactly as they were
   void failures_data()
   {
      QTest::addColumn<QStringList>("lstArgs");
      QTest::addColumn<QString>("expected");
      const QStringList lstShop = kel_test::importArgs(m_sFilterDsn, "5");
      const QString sNoDriver("Driver={No Such Driver}");
      QTest::newRow("no main window") << lstShop << "Kelmar main window not found";
      QTest::newRow("no generic importer") << lstShop << "Kelmar generic importer not found";
      QTest::newRow("unknown driver") << kel_test::importArgs(sNoDriver, "5") << ("Error connecting to database : " + kel_test::odbcOpenError(sNoDriver));
      QTest::newRow("no table for the SQLite reader") << kel_test::importArgs(m_sEmptyDsn, "5") << "No table found, please check your database type or select the generic import";
      QTest::newRow("no table for the generic reader") << kel_test::importArgs(m_sEmptyDsn, "0") << "No table found in database";
      // the command line's own faults (code 2), before anything is opened
      QTest::newRow("invalid pattern") << (lstShop + QStringList("--KelOdbcImport_filter_regexp=(")) << "--KelOdbcImport_filter_regexp : '(' is not a valid regular expression : unexpected end";
      QTest::newRow("engine type not a number") << kel_test::importArgs(sNoDriver, "abc") << "--KelOdbcImport_db_type : 'abc' is not a number";
      QTest::newRow("namespace the dialog refuses") << (lstShop + QStringList("--KelOdbcImport_namespace=app::1db")) << "--KelOdbcImport_namespace : 'app::1db' is not a C++ namespace (such as app or app::db)";
   }

   void failures()
   {
      QFETCH(QStringList, lstArgs);
      QFETCH(QString, expected);
      if (QTest::currentDataTag() == QByteArray("no main window")) { context::ctx_global::setMainWnd(nullptr); }
      if (QTest::currentDataTag() == QByteArray("no generic importer")) { m_pPlugin->setGenericImporter(nullptr); }
      const auto pListBefore = m_pImporter->getListOfTables();
      const vx::VxBool result = fill(lstArgs);
      QVERIFY(! result.getValue());
      QCOMPARE(result.getDesc(), expected);
      QCOMPARE(result.getCode(), expected.startsWith("--KelOdbcImport_") ? 2 : 0);
      QCOMPARE(settings(*m_pImporter), settings(*sentinelImporter()));
      QCOMPARE(m_pImporter->getListOfTables(), pListBefore);
   }
};

QTEST_MAIN(tst_headless_fill)
#include "tst_headless_fill.moc"
