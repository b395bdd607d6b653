// "Connect to database" in the settings dialog, on real SQLite files and on the PostgreSQL and MariaDB
// test servers: the progress on the button, the tree, the check marks, OK, the warnings, and the keys
// a user may press while a connection runs.
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <odbc_import_process.h>

#include "dialog_support.h"

using namespace kel_dialog;

namespace {

/** Every text the connect button shows while it is pressed, first to last, each change once. */
class button_texts : public QObject
{
public:
   explicit button_texts(QPushButton* pButton, std::function<void()> onFirstChange = {}) : m_pButton(pButton), m_onFirstChange(std::move(onFirstChange))
   {
      lst.append(pButton->text());
      connect(&m_timer, &QTimer::timeout, this, [this]() {
         if (m_pButton->text() == lst.last()) { return; }
         lst.append(m_pButton->text());
         if (m_onFirstChange) { std::function<void()> f; f.swap(m_onFirstChange); f(); }
      });
      m_timer.start(0);
   }
   QStringList lst;

private:
   QPushButton* m_pButton;
   std::function<void()> m_onFirstChange;
   QTimer m_timer;
};

QString progress(int iPercent) { return QString("Connect to database (%1%)").arg(iPercent); }

} // namespace

class tst_dialog_connect : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;
   QPluginLoader m_loader;
   plugin::odbc_import* m_pPlugin = nullptr;
   QString m_sShopDsn;    // five tables, no view
   std::unique_ptr<wnd> m_pWnd;

   QPushButton* button(const char* sName) const { return w<QPushButton>(m_pWnd.get(), sName); }

   void connectShop()
   {
      QCOMPARE(connectTo(m_pWnd.get(), m_sShopDsn, "SQLite"), QStringList());
      QCOMPARE(tableNodes(m_pWnd.get()).count(), 5);
   }

private Q_SLOTS:
   void initTestCase()
   {
      QVERIFY(m_dir.isValid());
      m_pPlugin = loadPlugin(m_loader);
      QVERIFY2(m_pPlugin, qPrintable(m_loader.errorString()));
      const QString sFile = m_dir.filePath("shop.db");
      QCOMPARE(kel_test::makeSqlite(sFile, { "CREATE TABLE customer (customer_id INTEGER PRIMARY KEY, name VARCHAR(40) NOT NULL)",
                                             "CREATE TABLE orders (order_id INTEGER PRIMARY KEY, customer_id INT NOT NULL REFERENCES customer (customer_id))",
                                             "CREATE TABLE product (code VARCHAR(10) PRIMARY KEY, label TEXT)",
                                             "CREATE TABLE supplier (supplier_id INTEGER PRIMARY KEY, name TEXT)",
                                             "CREATE TABLE stock (code VARCHAR(10) REFERENCES product (code), supplier_id INT REFERENCES supplier (supplier_id), qty INT)" }), QString());
      m_sShopDsn = kel_test::sqliteDsn(sFile);
   }

   void init() { m_pWnd = newDialog(m_pPlugin); }
   void cleanup() { m_pWnd.reset(); }

   // the reader's 0 to 100 shows as 0 to 50, the tree fill goes on from 50 up to (2N - 1) * 100 / 2N
   void progressOnTheButton()
   {
      const button_texts texts(button("m_btnConnect"));
      connectShop();
      QCOMPARE(texts.lst + QStringList(button("m_btnConnect")->text()),
               QStringList({ "Connect to database", progress(10), progress(20), progress(30), progress(40), progress(50), progress(60), progress(70), progress(80),
                             progress(90), "Connect to database" }));
      QVERIFY(button("m_btnConnect")->isEnabled());
   }

   void sakila_data()
   {
      QTest::addColumn<QString>("engine");
      QTest::addColumn<QString>("variable");
      QTest::addColumn<int>("tables");
      QTest::addColumn<int>("views");
      QTest::newRow("mariadb") << "MySQL (or MariaDB)" << "KEL_TEST_SAKILA_MYSQL_DB" << 16 << 7;
      QTest::newRow("postgresql") << "PostgreSQL" << "KEL_TEST_SAKILA_PG_DB" << 21 << 7;
      QTest::newRow("sqlite") << "SQLite" << "KEL_TEST_SAKILA_SQLITE" << 16 << 5;
   }

   // one namespace: tables and views straight under the root, sorted, tied to their entries by key
   void sakila()
   {
      QFETCH(QString, engine);
      QFETCH(QString, variable);
      QFETCH(int, tables);
      QFETCH(int, views);
      const QString sDatabase = qEnvironmentVariable(qPrintable(variable));
      KEL_REQUIRE(! sDatabase.isEmpty(), variable + " (Sakila loaded by tests/services/with_servers.sh)");
      const QString sDsn = (engine == "SQLite") ? kel_test::sqliteDsn(sDatabase) : ((engine == "PostgreSQL") ? kel_test::postgresqlDsn(sDatabase) : kel_test::mysqlDsn(sDatabase));
      const button_texts progressTexts(button("m_btnConnect"));
      QCOMPARE(connectTo(m_pWnd.get(), sDsn, engine), QStringList());

      const auto pList = m_pWnd->getListOfTables();
      const int n = tables + views;
      QCOMPARE(static_cast<int>(pList->count()), n);
      QCOMPARE(progressTexts.lst.last(), progress(((2 * n - 1) * 100) / (2 * n)));
      QVERIFY(progressTexts.lst.contains(progress(50)));
      const QList<tree_item*> lstNodes = tableNodes(m_pWnd.get());
      QCOMPARE(rootItem(m_pWnd.get())->childCount(), n);
      QVERIFY(! button("m_btnCollapseSchema")->isVisibleTo(m_pWnd.get()) && ! button("m_btnExpandSchema")->isVisibleTo(m_pWnd.get()));
      QStringList lstSorted = texts(lstNodes);
      lstSorted.sort();
      QCOMPARE(texts(lstNodes), lstSorted);
      int iViews = 0;
      for (const tree_item* pNode : lstNodes)
      {
         const QVariant vKey = pNode->data(0, Qt::UserRole + 1);
         QCOMPARE(vKey.userType(), int(QMetaType::LongLong));
         const auto pTable = pList->getByKey(static_cast<long>(vKey.toLongLong()));
         QVERIFY(pTable && (pTable->getName() == pNode->text(0)));
         QCOMPARE(pNode->type(), int(pTable->getIsView() ? wnd::item_view : wnd::item_table));
         iViews += (pTable->getIsView() ? 1 : 0);
      }
      QCOMPARE(iViews, views);
      QVERIFY(! button("m_btnOk")->isEnabled());
   }

   // several schemas on PostgreSQL: a node per namespace ("public" reads as the empty one), counts, sorting, node texts and keys
   void schemas()
   {
      KEL_REQUIRE_POSTGRESQL();
      QCOMPARE(kel_test::createDatabase(kel_test::k_postgresql, "kel_dialog_schemas", {
         "CREATE SCHEMA sales", "CREATE SCHEMA \"Zeta\"",
         "CREATE TABLE shop (id serial PRIMARY KEY, name varchar(40))",
         "CREATE TABLE item (shop_id int NOT NULL, code varchar(10) NOT NULL, PRIMARY KEY (shop_id, code), CONSTRAINT fk_item_shop FOREIGN KEY (shop_id) REFERENCES shop(id))",
         "CREATE TABLE nokey (a int)",
         "CREATE TABLE sales.orders (id int PRIMARY KEY, shop_id int CONSTRAINT fk_orders_shop REFERENCES public.shop(id))",
         "CREATE VIEW sales.v_orders AS SELECT id FROM sales.orders",
         "CREATE TABLE \"Zeta\".z (id int PRIMARY KEY)" }), QString());
      QCOMPARE(connectTo(m_pWnd.get(), kel_test::postgresqlDsn("kel_dialog_schemas"), "PostgreSQL"), QStringList());

      tree_item* pRoot = rootItem(m_pWnd.get());
      QStringList lstSchemas;
      for (int i = 0; i < pRoot->childCount(); ++i) { lstSchemas << (QString::number(pRoot->child(i)->type()) + " " + pRoot->child(i)->text(0)); }
      QCOMPARE(lstSchemas, QStringList({ "1002 {}  (3)", "1002 {} Zeta (1)", "1002 {} sales (2)" }));
      QCOMPARE(texts(tableNodes(m_pWnd.get())), QStringList({ "item", "nokey", "shop", "Zeta.z", "sales.orders", "sales.v_orders" }));
      QVERIFY(button("m_btnCollapseSchema")->isVisibleTo(m_pWnd.get()) && button("m_btnExpandSchema")->isVisibleTo(m_pWnd.get()));

      // under a table: primary key, columns, relationships, each with its key; no key node without key columns
      const auto children = [](const tree_item* pTable) {
         QStringList lst;
         for (int i = 0; i < pTable->childCount(); ++i)
         {
            const tree_item* p = pTable->child(i);
            lst << QString("%1 %2 %3").arg(p->type()).arg(p->text(0)).arg((p->data(0, Qt::UserRole + 1) == QVariant(qlonglong(quint32(qHash(p->text(0).section(" : ", 0, 0), 0))))) ? "(name hash)" : "(other data)");
         }
         return lst;
      };
      const QList<tree_item*> lstTables = tableNodes(m_pWnd.get());
      QCOMPARE(children(lstTables.at(0)), QStringList({ "1005 item_pk : std::tuple<long long, QString> (name hash)", "1006 fk_item_shop : long long (name hash)" }));
      QCOMPARE(children(lstTables.at(1)), QStringList({ "1007 a : long long (name hash)" }));
      QCOMPARE(children(lstTables.at(4)), QStringList({ "1005 orders_pk : long long (name hash)", "1006 fk_orders_shop : long long (name hash)" }));
      QCOMPARE(lstTables.at(5)->type(), int(wnd::item_view));

      // checking a schema checks its tables only; collapse and expand touch the schema nodes only
      pRoot->child(2)->setCheckState(0, Qt::Checked);
      QStringList lstChecked;
      for (const tree_item* p : tableNodes(m_pWnd.get())) { if (p->checkState(0) == Qt::Checked) { lstChecked << p->text(0); } }
      QCOMPARE(lstChecked, QStringList({ "sales.orders", "sales.v_orders" }));
      QVERIFY(button("m_btnOk")->isEnabled());
      lstTables.at(0)->setExpanded(true);
      button("m_btnCollapseSchema")->click();
      QVERIFY(! pRoot->child(0)->isExpanded() && ! pRoot->child(2)->isExpanded() && lstTables.at(0)->isExpanded());
      button("m_btnExpandSchema")->click();
      QVERIFY(pRoot->child(0)->isExpanded() && pRoot->child(1)->isExpanded() && pRoot->child(2)->isExpanded());
   }

   // an engine combo without a current entry (a stored text that matched none) reads as the generic engine
   void noEngineReadsGeneric()
   {
      QCOMPARE(connectTo(m_pWnd.get(), m_sShopDsn, "no such engine"), QStringList());
      QCOMPARE(w<QComboBox>(m_pWnd.get(), "m_cboDatabaseType")->currentIndex(), -1);
      // the generic reader builds no primary key: no key node, only the columns
      QCOMPARE(texts(tableNodes(m_pWnd.get())), QStringList({ "customer", "orders", "product", "stock", "supplier" }));
      for (const tree_item* pTable : tableNodes(m_pWnd.get()))
      {
         for (int i = 0; i < pTable->childCount(); ++i) { QCOMPARE(pTable->child(i)->type(), int(wnd::item_column)); }
      }
   }

   // check marks go down from the root; OK follows whether any table is checked
   void checkPropagation()
   {
      connectShop();
      tree_item* pRoot = rootItem(m_pWnd.get());
      const QList<tree_item*> lstTables = tableNodes(m_pWnd.get());
      pRoot->setCheckState(0, Qt::Checked);
      for (const tree_item* p : lstTables) { QCOMPARE(p->checkState(0), Qt::Checked); }
      QVERIFY(button("m_btnOk")->isEnabled());
      for (int i = 0; i < lstTables.count(); ++i)
      {
         lstTables.at(i)->setCheckState(0, Qt::Unchecked);
         QCOMPARE(pRoot->checkState(0), Qt::Checked);
         QCOMPARE(button("m_btnOk")->isEnabled(), i < (lstTables.count() - 1));
      }
      lstTables.at(3)->setCheckState(0, Qt::Checked);
      QVERIFY(button("m_btnOk")->isEnabled());
   }

   void okHandsOverCheckedTables_data()
   {
      QTest::addColumn<QString>("nameSpace");
      QTest::newRow("namespace") << "shop::db";
      QTest::newRow("empty namespace") << "";
   }

   void okHandsOverCheckedTables()
   {
      QFETCH(QString, nameSpace);
      connectShop();
      const auto pList = m_pWnd->getListOfTables();
      QList<std::shared_ptr<model::app_table>> lstAll;
      for (long i = 0; i < pList->count(); ++i) { lstAll << pList->getByIndex(i); }
      const QList<tree_item*> lstNodes = tableNodes(m_pWnd.get());   // sorted: customer orders product stock supplier
      for (int i : { 4, 0, 2 }) { lstNodes.at(i)->setCheckState(0, Qt::Checked); }
      w<QLineEdit>(m_pWnd.get(), "m_txtNamespace")->setText(nameSpace);
      button("m_btnOk")->click();

      QCOMPARE(m_pWnd->result(), int(QDialog::Accepted));
      QCOMPARE(m_pWnd->getNamespace(), nameSpace);
      QStringList lstKept, lstExpected;
      for (long i = 0; i < pList->count(); ++i)
      {
         lstKept << pList->getByIndex(i)->getName();
         QCOMPARE(pList->getByIndex(i)->getMetaData("TABLE_ROOT_NAMESPACE"), QVariant(nameSpace));
      }
      for (const auto& pTable : lstAll)
      {
         const bool bChecked = QStringList({ "customer", "product", "supplier" }).contains(pTable->getName());
         if (bChecked) { lstExpected << pTable->getName(); }
         QCOMPARE(pTable->getListOfColumns()->count() == 0, ! bChecked);   // the others were terminated
      }
      QCOMPARE(lstKept, lstExpected);
      QCOMPARE(m_pWnd->getListOfTables(), pList);
   }

   void warnings_data()
   {
      QTest::addColumn<QString>("dsn");
      QTest::addColumn<QString>("engine");
      QTest::addColumn<QString>("expected");
      const QString sNoDriver("Driver={No Such Driver}");
      QTest::newRow("empty data source") << "" << "SQLite" << "DSN or connection string cannot be empty.";
      QTest::newRow("connection error") << sNoDriver << "SQLite" << ("Error connecting to database :\n" + kel_test::odbcOpenError(sNoDriver));
      QTest::newRow("reader failure") << m_sShopDsn << "PostgreSQL" << "";
      QTest::newRow("no table") << kel_test::sqliteDsn(m_dir.filePath("empty.db")) << "SQLite" << "";
   }

   // one warning titled with the plug-in's name; the tree and list of the connection before are gone
   void warnings()
   {
      QFETCH(QString, dsn);
      QFETCH(QString, engine);
      QFETCH(QString, expected);
      if (expected.isEmpty())
      {
         kel_test::connection connection(dsn);
         std::unique_ptr<plugin::odbc_import_process> pReader(plugin::odbc_import_process::createReader(engine == "SQLite" ? 5 : 1, connection.db()));
         const vx::VxBool read = pReader->startProcess();
         QVERIFY(! read.getValue() && ! read.getDesc().isEmpty());
         expected = read.getDesc();
      }
      connectShop();
      rootItem(m_pWnd.get())->setCheckState(0, Qt::Checked);
      QCOMPARE(connectTo(m_pWnd.get(), dsn, engine), QStringList("KelOdbcImport: " + expected));
      QCOMPARE(w<QTreeWidget>(m_pWnd.get(), "m_lstItemsToImport")->topLevelItemCount(), 0);
      QCOMPARE(m_pWnd->getListOfTables()->count(), 0L);
      QVERIFY(! button("m_btnOk")->isEnabled() && ! button("m_btnCollapseSchema")->isVisibleTo(m_pWnd.get()));
      QVERIFY(button("m_btnConnect")->isEnabled());
      QCOMPARE(button("m_btnConnect")->text(), QString("Connect to database"));
   }

   void keysDuringConnection_data()
   {
      QTest::addColumn<QString>("key");
      QTest::newRow("Escape") << "Escape";
      QTest::newRow("Cancel") << "Cancel";
      QTest::newRow("window close") << "close";
      QTest::newRow("Return in the login") << "Return";
   }

   // while the catalogue is read the dialog stays, keeps blocking, and the read runs to its end
   void keysDuringConnection()
   {
      QFETCH(QString, key);
      m_pWnd->show();
      QApplication::setActiveWindow(m_pWnd.get());
      int iFinished = 0;
      connect(m_pWnd.get(), &QDialog::finished, this, [&iFinished]() { ++iFinished; });
      const button_texts texts(button("m_btnConnect"), [&]() {
         if (key == "Escape") { QTest::keyClick(m_pWnd.get(), Qt::Key_Escape); }
         else if (key == "Cancel") { button("m_btnCancel")->click(); }
         else if (key == "close") { m_pWnd->close(); }
         else { QTest::keyClick(w<QLineEdit>(m_pWnd.get(), "m_txtLogin"), Qt::Key_Return); }
      });
      connectShop();
      QCOMPARE(iFinished, 0);
      QVERIFY(m_pWnd->isVisible());
      QCOMPARE(texts.lst.last(), progress(90));
   }

   // no default button: Return in a field, in the tree or in the type-mapping editor does not connect again
   void returnAfterConnection()
   {
      m_pWnd->show();
      QApplication::setActiveWindow(m_pWnd.get());
      connectShop();
      tree_item* pRoot = rootItem(m_pWnd.get());
      pRoot->setCheckState(0, Qt::Checked);
      const QList<QWidget*> lstTargets({ w<QLineEdit>(m_pWnd.get(), "m_txtConnectionString"), w<QTreeWidget>(m_pWnd.get(), "m_lstItemsToImport"),
                                         w<QTableWidget>(m_pWnd.get(), "m_lstTypeMapping")->cellWidget(0, 2) });
      for (QWidget* pTarget : lstTargets)
      {
         QVERIFY(pTarget);
         pTarget->setFocus();
         QTest::keyClick(pTarget, Qt::Key_Return);
         QCOMPARE(rootItem(m_pWnd.get()), pRoot);
         QCOMPARE(pRoot->checkState(0), Qt::Checked);
         QVERIFY(m_pWnd->isVisible());
      }
      for (const QPushButton* p : m_pWnd->findChildren<QPushButton*>()) { QVERIFY2(! p->isDefault() && ! p->autoDefault(), qPrintable(p->objectName())); }
      // Escape now rejects
      QTest::keyClick(m_pWnd.get(), Qt::Key_Escape);
      QVERIFY(! m_pWnd->isVisible());
      QCOMPARE(m_pWnd->result(), int(QDialog::Rejected));
   }
};

QTEST_MAIN(tst_dialog_connect)
#include "tst_dialog_connect.moc"
