// The settings dialog as a real widget on Qt's offscreen platform: "Connect to database" on real SQLite files and on the
// PostgreSQL and MariaDB test servers (progress, tree, check marks, OK, cancelling a read), its settings stored per project,
// its type-mapping editor, and the interactive import through the loaded plug-in as the host runs it.
#include <QtTest>
#include <QtWidgets>

#include <context/ctx_global.h>
#include <context/ctx_project.h>
#include <odbc_import.h>
#include <odbc_import_read.h>
#include <view/main_wnd.h>
#include <vx/VxSerializeQt.h>
#include <wnd_odbc_import.h>

#include "modal_watch.h"
#include "test_env.h"

namespace {

using namespace kel_test;
typedef view::wnd_odbc_import wnd;
typedef QTreeWidgetItem tree_item;

/** A widget of the dialog by object name. */
template <class T = QPushButton>
T* w(const QWidget* p, const char* sName) { return p->findChild<T*>(QString::fromLatin1(sName)); }

/** Fills the connection fields (the engine by its number, -1: none), presses "Connect to database" and returns the warnings it showed. */
QStringList connectTo(QDialog* p, const QString& sDsn, int iEngine)
{
   w<QLineEdit>(p, "m_txtConnectionString")->setText(sDsn);
   w<QComboBox>(p, "m_cboDatabaseType")->setCurrentIndex(iEngine);
   const modal_watch watch([](QDialog*) {});   // answers the warnings only: the dialog itself (modal in an import) stays
   w(p, "m_btnConnect")->click();
   return watch.messages;
}

tree_item* rootItem(const QDialog* p) { return w<QTreeWidget>(p, "m_lstItemsToImport")->topLevelItem(0); }

/** Table and view nodes in tree order, through the schema nodes. */
QList<tree_item*> tableNodes(const QDialog* p)
{
   QList<tree_item*> lst;
   for (QTreeWidgetItemIterator it(w<QTreeWidget>(p, "m_lstItemsToImport")); *it; ++it) { if (((*it)->type() == wnd::item_table) || ((*it)->type() == wnd::item_view)) { lst << *it; } }
   return lst;
}

/** The texts of the nodes that pass. */
QStringList texts(const QList<tree_item*>& lst, const std::function<bool(const tree_item*)>& pass = {})
{
   QStringList lstTexts;
   for (const tree_item* p : lst) { if (! pass || pass(p)) { lstTexts << p->text(0); } }
   return lstTexts;
}
bool isChecked(const tree_item* p) { return (p->checkState(0) == Qt::Checked); }

/** Names of the tables the dialog hands over, in list order. */
QStringList handedOver(const wnd* p)
{
   QStringList lst;
   for (long i = 0; i < p->getListOfTables()->count(); ++i) { lst << p->getListOfTables()->getByIndex(i)->getName(); }
   return lst;
}

/** Every text the connect button shows (paints) while it is pressed, each change once; the text sAt runs an action. */
QString progress(int i) { return QString("Connect to database (%1%)").arg(i); }
int percentOf(const QString& sText) { return sText.section('(', 1).section('%', 0, 0).toInt(); }

struct button_texts : QObject
{
   button_texts(QPushButton* p, const QString& sAt = QString(), std::function<void()> action = {}) : lst(p->text()), m_sAt(sAt), m_action(std::move(action)) { p->installEventFilter(this); }
   bool eventFilter(QObject* pButton, QEvent* pEvent) override
   {
      const QString sText = static_cast<QPushButton*>(pButton)->text();
      if ((pEvent->type() != QEvent::Paint) || (sText == lst.last())) { return false; }
      lst << sText;
      // once, at the first progress that reaches the one asked for
      if (m_action && ! m_sAt.isEmpty() && (percentOf(sText) >= percentOf(m_sAt))) { QTimer::singleShot(0, this, m_action); m_action = {}; }
      return false;
   }
   QStringList lst;
   QString m_sAt;
   std::function<void()> m_action;
};


/** Everything the dialog shows of its settings: its fields' texts (the type mapping's too), check boxes, combos, the type-mapping title. */
QStringList fields(const wnd* p)
{
   QStringList lst(w<QGroupBox>(p, "m_grpTypeMapping")->title());
   for (const QLineEdit* pEdit : p->findChildren<QLineEdit*>()) { lst << pEdit->text(); }
   for (const QCheckBox* pCheck : p->findChildren<QCheckBox*>()) { lst << QString::number(pCheck->isChecked()); }
   for (const QComboBox* pCombo : p->findChildren<QComboBox*>()) { lst << pCombo->currentText(); }
   return lst;
}

/** "sql~cpp" of the type mapping a dialog holds. */
QStringList typeMapping(const wnd* p)
{
   QStringList lst;
   for (long i = 0; i < p->getListOfTypeMapping().count(); ++i) { lst << (p->getListOfTypeMapping().getKeyByIndex(i) + "~" + p->getListOfTypeMapping().getByIndex(i)); }
   return lst;
}

} // namespace

class tst_dialog : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;
   QPluginLoader m_loader;
   plugin::odbc_import* m_pPlugin = nullptr;
   QString m_sShopDsn;   // four tables and a view
   QString m_sProject;
   std::unique_ptr<wnd> m_pWnd;
   view::main_wnd m_wnd;
   QList<QUrl> m_lstOpened;

   /** A dialog as the import makes it: built, then given the plug-in (the stored settings of the open project are loaded). */
   std::unique_ptr<wnd> newDialog() const
   {
      std::unique_ptr<wnd> pWnd(new wnd(nullptr, Qt::WindowFlags()));
      pWnd->initFromPlugin(m_pPlugin);
      return pWnd;
   }

   /** Opens a project file of its own for the current test (and data row). */
   void openProject(const QString& sSuffix = QString())
   {
      m_sProject = m_dir.filePath(QString("%1_%2%3.kelmar").arg(QTest::currentTestFunction(), QTest::currentDataTag(), sSuffix).replace(QRegularExpression("[ :]"), "_"));
      QVERIFY(context::ctx_project::openProject(m_sProject).getValue());
   }

   /** A user's settings: every field (a password among them) and the type mapping's empty row typed, every check box and option changed. */
   void enterSettings(wnd* p, const QString& sValue) const
   {
      for (QLineEdit* pEdit : p->findChildren<QLineEdit*>()) { pEdit->setText((pEdit->objectName() == "m_txtFilterTables") ? QString() : (pEdit->objectName() + QString::fromUtf8(" wö;rd=") + sValue)); }
      w<QLineEdit>(p, "m_txtConnectionString")->setText(m_sShopDsn);
      w<QComboBox>(p, "m_cboDatabaseType")->setCurrentIndex(k_sqlite);
      for (QCheckBox* pCheck : p->findChildren<QCheckBox*>()) { pCheck->setChecked(! pCheck->isChecked()); }
      for (QComboBox* pCombo : { w<QComboBox>(p, "m_cboDecoration"), w<QComboBox>(p, "m_cboCollection") }) { pCombo->setCurrentIndex((pCombo->currentIndex() + 1) % pCombo->count()); }
   }

   /** Leaves the dialog as a user does: "Cancel", "Escape", or "OK" after connecting to the shop and checking all; returns its warnings. */
   QStringList leave(QDialog* p, const QString& sWay) const
   {
      const modal_watch watch([](QDialog*) {});   // the warnings only: the dialog itself (modal in an import) is left alone
      p->show();
      if (sWay == "Cancel") { w(p, "m_btnCancel")->click(); }
      if (sWay == "Escape") { QTest::keyClick(p, Qt::Key_Escape); }
      if ((sWay == "OK") && connectTo(p, m_sShopDsn, k_sqlite).isEmpty() && rootItem(p))
      {
         rootItem(p)->setCheckState(0, Qt::Checked);
         w(p, "m_btnOk")->click();
      }
      return watch.messages;
   }

public Q_SLOTS:
   void openUrl(const QUrl& url) { m_lstOpened << url; }

private Q_SLOTS:
   void initTestCase()
   {
      QVERIFY(m_dir.isValid());
      m_loader.setFileName(QString(KEL_PLUGIN_FILE));   // registers the icons
      m_pPlugin = static_cast<plugin::odbc_import*>(qobject_cast<plugin::import_interface*>(m_loader.instance()));
      QVERIFY2(m_pPlugin, qPrintable(m_loader.errorString()));
      const QString sFile = m_dir.filePath("shop.db");
      QCOMPARE(makeSqlite(sFile, shopDdl() + QStringList({ "CREATE TABLE product (code VARCHAR(10) PRIMARY KEY, label TEXT)", "CREATE TABLE supplier (supplier_id INTEGER PRIMARY KEY, name TEXT)" })), QString());
      m_sShopDsn = sqliteDsn(sFile);
      context::ctx_global::setMainWnd(&m_wnd);
      // the test's own data source, in an odbc.ini of its own
      QFile ini(m_dir.filePath("odbc.ini"));
      QVERIFY(ini.open(QIODevice::WriteOnly) && (ini.write(("[kel_shop]\nDriver=SQLite3\nDatabase=" + sFile + "\n").toLocal8Bit()) > 0));
      ini.close();
      qputenv("ODBCINI", QFile::encodeName(ini.fileName()));
   }
   void cleanupTestCase()
   {
      context::ctx_global::setMainWnd(nullptr);
      context::ctx_project::closeProject();
   }
   void init() { m_pWnd = newDialog(); }
   void cleanup() { m_pWnd.reset(); }

   // a data source typed chooses its driver's engine; the reader's 0 to 100 shows as 0 to 50, the tree fill goes on from 50; check marks
   // go down from the root; the space bar ticks a table; no default button: Return in a field, the tree or the type-mapping editor does not
   // connect again; OK hands over exactly the checked tables, in list order, tagged with the namespace, and terminates the others
   void connectCheckAndConfirm()
   {
      wnd* p = m_pWnd.get();
      p->show();
      QApplication::setActiveWindow(p);
      QTest::keyClicks(w<QLineEdit>(p, "m_txtConnectionString"), "kel_shop");
      QCOMPARE(w<QComboBox>(p, "m_cboDatabaseType")->currentIndex(), int(k_sqlite));
      button_texts shown(w(p, "m_btnConnect"));
      QCOMPARE(connectTo(p, "kel_shop", k_sqlite), QStringList());
      // the read's share rises to 50, the tree's fill goes on from there
      const QStringList lstShown = (shown.lst << w(p, "m_btnConnect")->text());
      QVERIFY2((lstShown.first() == "Connect to database") && (lstShown.last() == "Connect to database") && lstShown.contains(progress(50)) && lstShown.contains(progress(90)), qPrintable(lstShown.join('|')));
      for (int i = 2; i < (lstShown.count() - 1); ++i) { QVERIFY2(percentOf(lstShown.at(i)) > percentOf(lstShown.at(i - 1)), qPrintable(lstShown.join('|'))); }
      tree_item* pRoot = rootItem(p);
      const QList<tree_item*> lstTables = tableNodes(p);
      // one namespace: no schema buttons; the root's text is longer than most trees are wide
      QVERIFY(! w(p, "m_btnCollapseSchema")->isVisibleTo(p) && (pRoot->toolTip(0) == pRoot->text(0)) && (lstTables.count() == 5));
      for (const tree_item* pTable : lstTables) { QVERIFY(! pTable->icon(0).isNull()); }
      pRoot->setCheckState(0, Qt::Checked);
      QCOMPARE(texts(lstTables, isChecked).count(), 5);
      lstTables.at(0)->setCheckState(0, Qt::Unchecked);
      QVERIFY((pRoot->checkState(0) == Qt::PartiallyChecked) && w(p, "m_btnOk")->isEnabled());   // a parent shows its tables' state
      pRoot->setCheckState(0, Qt::Unchecked);
      QVERIFY(texts(lstTables, isChecked).isEmpty() && ! w(p, "m_btnOk")->isEnabled());
      auto* pTree = w<QTreeWidget>(p, "m_lstItemsToImport");
      pTree->setCurrentItem(lstTables.at(3));
      QTest::keyClick(pTree, Qt::Key_Space);
      QVERIFY(isChecked(lstTables.at(3)) && w(p, "m_btnOk")->isEnabled());
      for (QWidget* pTarget : { w<QWidget>(p, "m_txtConnectionString"), static_cast<QWidget*>(pTree), w<QTableWidget>(p, "m_lstTypeMapping")->cellWidget(0, 2) })
      {
         pTarget->setFocus();
         QTest::keyClick(pTarget, Qt::Key_Return);
         QVERIFY(isChecked(tableNodes(p).at(3)) && p->isVisible());   // a new connection unchecks all
      }
      QStringList lstListed = handedOver(p);
      const auto pProduct = p->getListOfTables()->getByIndex(lstListed.indexOf("product"));
      for (int i : { 4, 1, 2 }) { lstTables.at(i)->setCheckState(0, Qt::Checked); }   // sorted, unlike the list: customer customer_orders orders product supplier
      lstTables.at(3)->setCheckState(0, Qt::Unchecked);
      w<QLineEdit>(p, "m_txtNamespace")->setText("shop::db");
      w(p, "m_btnOk")->click();
      lstListed.removeAll("customer");
      lstListed.removeAll("product");
      QCOMPARE(handedOver(p), lstListed);
      QCOMPARE(p->getListOfTables()->getByIndex(0)->getMetaData("TABLE_ROOT_NAMESPACE"), QVariant("shop::db"));
      QVERIFY(! pProduct->getPrimaryKey() && (pProduct->getListOfColumns()->count() == 0) && (p->result() == QDialog::Accepted));
   }

   // the help button and F1 open the manual at the dialog's section, or say where it is; a taller dialog gives all its extra height to the tree
   void helpAndResize()
   {
      wnd* p = m_pWnd.get();
      p->show();
      QApplication::setActiveWindow(p);
      QDesktopServices::setUrlHandler("file", this, "openUrl");
      w(p, "m_btnHelpManual")->click();
      QTest::keyClick(w<QLineEdit>(p, "m_txtLogin"), Qt::Key_F1);
      QDesktopServices::unsetUrlHandler("file");
      const QUrl manual(context::ctx_global::getAppHelpManualUrl() + "#wnd_odbc_import");
      QVERIFY(QFile::exists(manual.toLocalFile()));
      QCOMPARE(m_lstOpened, QList<QUrl>({ manual, manual }));
      // no browser (no handler on this platform): the dialog says where the manual is
      const modal_watch watch([](QDialog*) {});
      w(p, "m_btnHelpManual")->click();
      QCOMPARE(watch.messages, QStringList("KelOdbcImport: No web browser could open the manual. It is the file:\n" + manual.toLocalFile() + "\n(section \"wnd_odbc_import\")"));
      const QWidget *pTree = w<QWidget>(p, "m_lstItemsToImport"), *pTable = w<QWidget>(p, "m_lstTypeMapping");
      const int iTree = pTree->height(), iTable = pTable->height();
      p->resize(p->width(), p->height() + 400);
      QApplication::processEvents();
      QVERIFY2((pTree->height() - iTree >= 350) && (pTable->height() == iTable), qPrintable(QString("tree %1 -> %2, table %3 -> %4").arg(iTree).arg(pTree->height()).arg(iTable).arg(pTable->height())));
   }

   // the dialog's size and the places of its panes come back with the settings
   void sizeKept()
   {
      openProject();
      QList<int> lstPanes;
      QSize size;
      {
         const auto pWnd = newDialog();
         pWnd->show();
         pWnd->resize(pWnd->width() - 60, pWnd->height());
         auto* pMain = w<QSplitter>(pWnd.get(), "m_splitterMain");
         pMain->setSizes({ pMain->sizes().at(0) + 40, pMain->sizes().at(1) - 40 });
         lstPanes = pMain->sizes();
         size = pWnd->size();
         leave(pWnd.get(), "Cancel");
      }
      const auto pWnd = newDialog();
      pWnd->show();
      QCOMPARE(w<QSplitter>(pWnd.get(), "m_splitterMain")->sizes(), lstPanes);
      QVERIFY2((pWnd->width() == size.width()) && (pWnd->height() >= size.height()), qPrintable(QString("%1x%2").arg(pWnd->width()).arg(pWnd->height())));
   }

   void sakila_data()
   {
      QTest::addColumn<QString>("dsn");   // of the database the row names
      QTest::addColumn<int>("engine"); QTest::addColumn<int>("tables"); QTest::addColumn<int>("views");
      QTest::newRow("KEL_TEST_SAKILA_MYSQL_DB") << mysqlDsn(env("KEL_TEST_SAKILA_MYSQL_DB")) << int(k_mysql) << 16 << 7;
      QTest::newRow("KEL_TEST_SAKILA_PG_DB") << postgresqlDsn(env("KEL_TEST_SAKILA_PG_DB")) << int(k_postgresql) << 21 << 7;
      QTest::newRow("KEL_TEST_SAKILA_SQLITE") << sqliteDsn(env("KEL_TEST_SAKILA_SQLITE")) << int(k_sqlite) << 16 << 5;
   }

   // one namespace: every table and view straight under the root, the views told apart
   void sakila()
   {
      QFETCH(QString, dsn); QFETCH(int, engine); QFETCH(int, tables); QFETCH(int, views);
      KEL_REQUIRE_FIXTURES();
      KEL_REQUIRE(! env(QTest::currentDataTag()).isEmpty(), QString(QTest::currentDataTag()) + " (Sakila loaded by tests/services/with_servers.sh)");
      QCOMPARE(connectTo(m_pWnd.get(), dsn, engine), QStringList());
      QCOMPARE(rootItem(m_pWnd.get())->childCount() + m_pWnd->getListOfTables()->count(), 2 * (tables + views));
      QCOMPARE(texts(tableNodes(m_pWnd.get()), [](const tree_item* p) { return (p->type() == wnd::item_view); }).count(), views);
   }

   // several schemas on PostgreSQL: a node per namespace ("public" reads as the empty one) with its count, the schema buttons shown;
   // ticking the root ticks every table, a schema its own; the filter shows the names holding its text in any case, hides schemas
   // left empty and changes no check mark; the root ticks the tables shown, schemas are partly ticked; OK hands over the checked tables, shown or not
   void schemas()
   {
      KEL_REQUIRE_POSTGRESQL();
      QCOMPARE(createDatabase(k_postgresql, "kel_dialog_schemas", {
         "CREATE SCHEMA sales", "CREATE SCHEMA \"Zeta\"", "CREATE TABLE shop (id serial PRIMARY KEY, name varchar(40))",
         "CREATE TABLE item (shop_id int NOT NULL, code varchar(10) NOT NULL, PRIMARY KEY (shop_id, code), CONSTRAINT fk_item_shop FOREIGN KEY (shop_id) REFERENCES shop(id))",
         "CREATE TABLE nokey (a int)", "CREATE TABLE sales.orders (id int PRIMARY KEY)", "CREATE VIEW sales.v_orders AS SELECT id FROM sales.orders", "CREATE TABLE \"Zeta\".z (id int PRIMARY KEY)" }), QString());
      wnd* p = m_pWnd.get();
      QCOMPARE(connectTo(p, postgresqlDsn("kel_dialog_schemas"), k_postgresql), QStringList());
      tree_item* pRoot = rootItem(p);
      const QList<tree_item*> lstSchemas({ pRoot->child(0), pRoot->child(1), pRoot->child(2) }), lstTables = tableNodes(p);
      QCOMPARE(texts(lstSchemas), QStringList({ "{}  (3)", "{} Zeta (1)", "{} sales (2)" }));
      QCOMPARE(texts(lstTables), QStringList({ "item", "nokey", "shop", "Zeta.z", "sales.orders", "sales.v_orders" }));
      // under a table its primary key, relationships and columns with their types; no key node without key columns
      QCOMPARE(texts({ lstTables.at(0)->child(0), lstTables.at(0)->child(1), lstTables.at(1)->child(0) }) << QString::number(lstTables.at(0)->childCount() + lstTables.at(1)->childCount()),
               QStringList({ "item_pk : std::tuple<long long, QString>", "fk_item_shop : long long", "a : long long", "3" }));
      QVERIFY(w(p, "m_btnCollapseSchema")->isVisibleTo(p) && w(p, "m_btnExpandSchema")->isVisibleTo(p));
      QLabel* pCount = w<QLabel>(p, "m_lblCheckedCount");
      pRoot->setCheckState(0, Qt::Checked);
      QCOMPARE(QString::number(texts(lstTables, isChecked).count()) + ", " + pCount->text(), QString("6, 6 of 6 tables and views checked"));
      pRoot->setCheckState(0, Qt::Unchecked);
      lstSchemas.at(2)->setCheckState(0, Qt::Checked);
      QCOMPARE(texts(lstTables, isChecked), QStringList({ "sales.orders", "sales.v_orders" }));
      // "filter: the tables shown | the schemas hidden", the filter matching the text shown ("schema.table", either part)
      for (const QString& sFilter : { "O: nokey shop sales.orders sales.v_orders | {} Zeta (1)", "SALES: sales.orders sales.v_orders | {}  (3), {} Zeta (1)",
                                      "s.v_: sales.v_orders | {}  (3), {} Zeta (1)", "zz:  | {}  (3), {} Zeta (1), {} sales (2)", ": item nokey shop Zeta.z sales.orders sales.v_orders | " })
      {
         w<QLineEdit>(p, "m_txtFilterTables")->setText(sFilter.section(": ", 0, 0));
         QCOMPARE(texts(lstTables, [](const tree_item* pTable) { return ! pTable->isHidden(); }).join(' ') + " | " + texts(lstSchemas, &tree_item::isHidden).join(", "), sFilter.section(": ", 1));
         const int iShown = sFilter.section(": ", 1).section(" | ", 0, 0).split(' ', Qt::SkipEmptyParts).count();
         QCOMPARE(pCount->text(), QString("2 of 6 tables and views checked") + (sFilter.startsWith(":") ? QString() : QString(", %1 shown").arg(iShown)));
         // nothing shown is said in the tree itself
         QCOMPARE(pRoot->child(0)->type() == wnd::item_no_match, iShown == 0);
      }
      // the root acts on the tables shown; a schema shows whether its tables are all, partly or not checked
      pRoot->setCheckState(0, Qt::Unchecked);
      w<QLineEdit>(p, "m_txtFilterTables")->setText("o");
      pRoot->setCheckState(0, Qt::Checked);
      QCOMPARE(texts(lstTables, isChecked).join(' ') + " | " + pCount->text(), QString("nokey shop sales.orders sales.v_orders | 4 of 6 tables and views checked, 4 shown"));
      QCOMPARE(QList<int>({ pRoot->checkState(0), lstSchemas.at(0)->checkState(0), lstSchemas.at(1)->checkState(0), lstSchemas.at(2)->checkState(0) }),
               QList<int>({ Qt::PartiallyChecked, Qt::PartiallyChecked, Qt::Unchecked, Qt::Checked }));
      w(p, "m_btnCollapseSchema")->click();
      QVERIFY(! lstSchemas.at(0)->isExpanded() && ! lstSchemas.at(2)->isExpanded());
      w(p, "m_btnExpandSchema")->click();
      QVERIFY(lstSchemas.at(0)->isExpanded() && lstSchemas.at(2)->isExpanded());
      w<QLineEdit>(p, "m_txtFilterTables")->setText("item");
      w(p, "m_btnOk")->click();
      QCOMPARE(handedOver(p), QStringList({ "nokey", "shop", "orders", "v_orders" }));
   }

   // what comes from a database is text: markup in a name or a driver's message shows as written (as HTML the image would be read);
   // a read of the wrong engine is refused with a warning saying which to choose, and the tree of the connection before is gone;
   // an empty database is said in plain words
   void warnings()
   {
      const QString sName("<b>x</b> &amp; <img src='/nonexistent.png'>"), sFile = m_dir.filePath("markup.db");
      QCOMPARE(makeSqlite(sFile, { "CREATE TABLE t (\"" + sName + "\" INT)", "CREATE TABLE gone (x INT)", "CREATE VIEW \"" + sName + "\" AS SELECT x FROM gone", "DROP TABLE gone" }), QString());
      QCOMPARE(connectTo(m_pWnd.get(), sqliteDsn(sFile), k_sqlite).value(0).section(" :", 0, 0), "KelOdbcImport: View '" + sName + "' is left out");
      const tree_item* pColumn = tableNodes(m_pWnd.get()).value(0)->child(0);
      QVERIFY(pColumn->text(0).startsWith(sName));
      QCOMPARE(shownText(pColumn->toolTip(0)), pColumn->text(0));
      plugin::odbc_import_read read({ k_postgresql, m_sShopDsn, QString(), QString(), true });
      QVERIFY(! read.run().getValue());
      const QString sWrongEngine("The database type is \"PostgreSQL\", but the server is SQLite: choose the database type \"SQLite\" and connect again.");
      QCOMPARE(read.getResult().getDesc() + " | " + connectTo(m_pWnd.get(), m_sShopDsn, k_postgresql).join(""), sWrongEngine + " | KelOdbcImport: " + sWrongEngine);
      QVERIFY(! rootItem(m_pWnd.get()) && (m_pWnd->getListOfTables()->count() == 0) && (w(m_pWnd.get(), "m_btnConnect")->text() == "Connect to database"));
      // a database with nothing to import says so, whichever reader reads it
      const QString sEmpty = m_dir.filePath("empty.db");
      QCOMPARE(makeSqlite(sEmpty, { "CREATE TABLE t (x INT)", "DROP TABLE t" }), QString());
      for (int iEngine : { k_sqlite, k_generic })
      {
         QCOMPARE(connectTo(m_pWnd.get(), sqliteDsn(sEmpty), iEngine), QStringList("KelOdbcImport: The database holds no table or view you may read"));
         QVERIFY(! rootItem(m_pWnd.get()));
      }
   }

   void cancelRead_data()
   {
      QTest::addColumn<QString>("at");     // the button text that leads to the key; empty: the catalogue locked, half a second in
      QTest::addColumn<QString>("key");
      QTest::newRow("mid-read, Escape") << progress(25) << "Escape";
      QTest::newRow("filling the tree, Cancel") << progress(50) << "Cancel";
      QTest::newRow("mid-read, close") << progress(25) << "close";
      // the read waits for a lock another program holds: the windows go on meanwhile, and the host may destroy the dialog
      QTest::newRow("locked, destroyed") << "" << "destroy";
   }

   // on a catalogue of 2,000 tables, Cancel and Escape end a read and leave the dialog as it was before Connect; the close button
   // closes it; destroying it ends the wait too; the read's connection is released
   void cancelRead()
   {
      QFETCH(QString, at); QFETCH(QString, key);
      const QString sBig = m_dir.filePath("big.db");
      QStringList lstDdl("BEGIN");
      for (int i = 1; (i <= 2000) && ! QFile::exists(sBig); ++i) { lstDdl << QString("CREATE TABLE t%1 (id INTEGER PRIMARY KEY, name TEXT, ref INT)").arg(i); }
      QCOMPARE(makeSqlite(sBig, lstDdl << "COMMIT"), QString());
      connection lock(sBig, "QSQLITE");
      QCOMPARE(lock.exec(QStringList(at.isEmpty() ? "BEGIN EXCLUSIVE" : "BEGIN")), QString());
      wnd* p = m_pWnd.get();
      p->show();
      QApplication::setActiveWindow(p);
      QCOMPARE(connectTo(p, m_sShopDsn, k_sqlite), QStringList());
      tableNodes(p).at(1)->setCheckState(0, Qt::Checked);
      const QStringList lstConnections = QSqlDatabase::connectionNames();
      QElapsedTimer sinceKey;
      int iReading = 0;
      const std::function<void()> pressKey = [&]() {
         iReading = kel_test::readingPrograms();
         sinceKey.start();
         if (key == "Escape") { QTest::keyClick(p, Qt::Key_Escape); }
         if (key == "Cancel") { w(p, "m_btnCancel")->click(); }
         if (key == "close") { p->close(); }
         if (key == "destroy") { m_pWnd.reset(); }
      };
      button_texts shown(w(p, "m_btnConnect"), at, pressKey);
      if (at.isEmpty()) { QTimer::singleShot(500, pressKey); }
      QCOMPARE(connectTo(p, sqliteDsn(sBig) + ";Timeout=20000", k_sqlite), QStringList());
      // a bound that only a hang exceeds (a read left to run waits 20 s for the lock); the rows' other checks see the rest
      QVERIFY2(sinceKey.isValid() && (sinceKey.elapsed() < 5000), qPrintable(QString("%1 ms").arg(sinceKey.elapsed())));
      QVERIFY(! m_pWnd || (! shown.lst.contains(progress(60)) && (p->isVisible() == (key != "close")) && (tableNodes(p).count() + p->getListOfTables()->count() == 10)));
      QVERIFY(! m_pWnd || (w(p, "m_btnOk")->isEnabled() && w(p, "m_btnConnect")->isEnabled() && (w(p, "m_btnConnect")->text() == "Connect to database")));
      // the reading program ends with the read, its connection with it: nothing waits for the lock to go
      QCOMPARE(iReading, 1);
      QTRY_COMPARE_WITH_TIMEOUT(kel_test::readingPrograms(), 0, 2000);
      QCOMPARE(QSqlDatabase::connectionNames(), lstConnections);
      QCOMPARE(lock.exec({ "COMMIT" }), QString());
   }

   void savedAndRestored_data()
   {
      QTest::addColumn<QString>("way");
      QTest::addColumn<QString>("breakSql");   // run once a user's settings are stored, before the next dialog is built
      QTest::addColumn<QString>("mendSql");    // run once that dialog is built
      for (const char* s : { "OK", "Cancel", "Escape" }) { QTest::newRow(s) << QString(s) << "" << ""; }
      const QString sRefuse("CREATE TRIGGER refuse BEFORE %1 ON t_plugin_params BEGIN SELECT RAISE(ABORT, 'disk full'); END");
      QTest::newRow("save fails: insert after the delete") << "Cancel" << sRefuse.arg("INSERT") << "";
      QTest::newRow("save fails: delete") << "OK" << sRefuse.arg("DELETE") << "";
      QTest::newRow("load failed") << "OK" << "ALTER TABLE t_plugin_params RENAME TO t_away" << "ALTER TABLE t_away RENAME TO t_plugin_params";
   }

   // OK and Cancel store the settings in the open project, Escape does not; a new dialog shows them, one on another project neither
   // shows nor overwrites them; a stored password closes the file to other users; a save that fails is said and leaves the stored rows
   // as they were (one transaction), and a dialog that could not read them does not overwrite them
   void savedAndRestored()
   {
      QFETCH(QString, way); QFETCH(QString, breakSql); QFETCH(QString, mendSql);
      openProject();
      const QString sFirst = m_sProject;
      const QStringList lstDefaults = fields(newDialog().get());
      const QFileDevice::Permissions others = (QFile::permissions(m_sProject) & (QFileDevice::ReadGroup | QFileDevice::ReadOther));
      connection project(m_sProject, "QSQLITE");
      const QString sStored("SELECT param_key || '=' || COALESCE(CAST(param_value AS TEXT), '') FROM t_plugin_params ORDER BY rowid");
      QStringList lstEntered = lstDefaults, lstStored, lstWarned;
      if (! breakSql.isEmpty())   // a user's settings stored before
      {
         const auto pWnd = newDialog();
         enterSettings(pWnd.get(), "before");
         lstEntered = fields(pWnd.get());
         leave(pWnd.get(), "Cancel");
         lstStored = project.column(sStored);
         QCOMPARE(project.exec({ breakSql }), QString());
      }
      {
         const auto pWnd = newDialog();
         QCOMPARE(project.exec(mendSql.isEmpty() ? QStringList() : QStringList(mendSql)), QString());
         enterSettings(pWnd.get(), "app::db");
         lstEntered = ((breakSql.isEmpty() && (way != "Escape")) ? fields(pWnd.get()) : lstEntered);
         lstWarned = leave(pWnd.get(), way);
      }
      QCOMPARE(lstWarned.join("").section(" :\n", 0, 0), breakSql.isEmpty() ? QString() : "KelOdbcImport: The settings were not stored");
      QVERIFY(breakSql.isEmpty() || (project.column(sStored) == lstStored));
      QCOMPARE(QFile::permissions(m_sProject) & (QFileDevice::ReadGroup | QFileDevice::ReadOther), project.column(sStored).isEmpty() ? others : QFileDevice::Permissions());
      openProject("_other");
      const auto pOther = newDialog();
      QCOMPARE(fields(pOther.get()), lstDefaults);
      enterSettings(pOther.get(), "other");
      leave(pOther.get(), "Cancel");
      QVERIFY(context::ctx_project::openProject(sFirst).getValue());
      QCOMPARE(fields(newDialog().get()), lstEntered);
   }

   // a stored type mapping that is no list (a negative count, a count beyond the data) leaves the list as an earlier row set it
   void corruptMapping()
   {
      openProject();
      vx::VxCollection<QString, QString> lstText;
      lstText.insert("text", "QString");
      const QString sInsert("INSERT INTO t_plugin_params VALUES ('0B7E5C21-6A3D-4F88-9D02-E4C1A7F35B90_WND_ODBC_IMPORT', 'LIST_TYPE_MAPPING_FROM_SQL_TO_CPP', '%1')");
      for (const char* sHex : { "000024DEFFFFFFFF", "000024DE00000002FFFFFFFFFFFFFFFF" })
      {
         const QStringList lstRows({ "DELETE FROM t_plugin_params", sInsert.arg(QString(vx::serialization::qt::to_byte_array(lstText).toBase64())), sInsert.arg(QString(QByteArray::fromHex(sHex).toBase64())) });
         QCOMPARE(connection(m_sProject, "QSQLITE").exec(lstRows), QString());
         QCOMPARE(typeMapping(newDialog().get()), QStringList("text~QString"));
      }
   }

   // typing into the empty last row adds the next; Return goes from the SQL type to the C++ type and on to the next row's SQL type;
   // a row's button deletes its own row, also once the rows above it went; the dialog files the rows whole, the upper row winning a duplicate
   void typeMappingEditor()
   {
      m_pWnd->show();
      QApplication::setActiveWindow(m_pWnd.get());
      QTableWidget* pTable = w<QTableWidget>(m_pWnd.get(), "m_lstTypeMapping");
      pTable->cellWidget(0, 2)->setFocus();
      for (const char* s : { "a", "1", "b", "2", "int", "qint32", "int", "long" })
      {
         QTest::keyClicks(QApplication::focusWidget(), s);
         QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
      }
      QCOMPARE(QApplication::focusWidget(), pTable->cellWidget(4, 2));
      for (int i = 0; i < 2; ++i) { qobject_cast<QPushButton*>(pTable->cellWidget(0, 4))->click(); }
      m_pWnd->close();
      QCOMPARE(typeMapping(m_pWnd.get()) << w<QGroupBox>(m_pWnd.get(), "m_grpTypeMapping")->title(), QStringList({ "int~qint32", "Mapping database SQL type to C++ type (2)" }));
   }

   void importProject_data()
   {
      QTest::addColumn<QString>("way");
      // cancelled; imported, the host replacing its importer when it reloads (the import still counts with its own); failed on a read-only
      // project, the main window closed while the result window is open (taking it along)
      for (const char* s : { "cancelled", "imported", "main window closed" }) { QTest::newRow(s) << QString(s); }
   }

   // through the loaded plug-in, as the host calls it: the import reports success; cancelled, it changes nothing; confirmed, the entities
   // of the tables and the view arrive as one undo step
   void importProject()
   {
      QFETCH(QString, way);
      const bool bReadOnly = (way == "main window closed");
      const int imported = ((way == "imported") ? 5 : (bReadOnly ? 0 : -1));   // -1: no import reported
      openProject();
      connection project(m_sProject, "QSQLITE");
      QCOMPARE(project.exec(bReadOnly ? QStringList("CREATE TRIGGER no_entity BEFORE INSERT ON t_entity BEGIN SELECT RAISE(ABORT, 'the project is read-only'); END") : QStringList()), QString());
      view::main_wnd* pMainWnd = (bReadOnly ? new view::main_wnd() : &m_wnd);
      context::ctx_global::setMainWnd(pMainWnd);
      plugin::import_interface* pPlugin = m_pPlugin;
      pPlugin->setGenericImporter(std::make_shared<plugin::generic_importer>());
      QStringList lstEvents;
      const QObject listening;
      connect(pPlugin, &plugin::base_interface::onMessage, &listening, [&lstEvents](const QString& sMessage) { lstEvents << sMessage; });
      connect(pPlugin, &plugin::base_interface::onReloadProject, &listening, [&]() {
         lstEvents << "reload";
         if (way == "imported") { pPlugin->setGenericImporter(std::make_shared<plugin::generic_importer>()); }
      });
      const QList<model::entity> lstBefore = context::ctx_project::getProject()->getEntities();
      const int iUndo = m_wnd.getUndoStack()->index();
      const modal_watch watch([&](QDialog* pDialog) {
         if (way == "cancelled") { pDialog->reject(); }
         else if (pDialog->objectName() == "wnd_odbc_import")   // a class of the module's copy
         {
            w<QLineEdit>(pDialog, "m_txtNamespace")->setText("shop");
            w<QCheckBox>(pDialog, "m_chkOrganizeLayout")->setChecked(false);
            leave(pDialog, "OK");
         }
         else { context::ctx_global::setMainWnd(nullptr); delete pMainWnd; }
      });
      const vx::VxBool done = pPlugin->importProject(*context::ctx_project::getProject());
      context::ctx_global::setMainWnd(&m_wnd);
      QCOMPARE(project.exec(bReadOnly ? QStringList("DROP TRIGGER no_entity") : QStringList()), QString());
      QVERIFY(done.getValue() && done.getDesc().isEmpty());
      QCOMPARE(watch.dialogs.join(", "), bReadOnly ? "view::wnd_odbc_import, view::wnd_odbc_import_result" : "view::wnd_odbc_import");
      QCOMPARE(watch.messages, QStringList());
      // organise was unchecked in the dialog
      QCOMPARE(lstEvents, (imported < 0) ? QStringList() : QStringList({ "reload", QString("ODBC plugin import process to current project finished (%1 entities imported)").arg(imported) }));
      QStringList lstImported;
      for (const model::entity& e : context::ctx_project::getProject()->getEntities().mid(lstBefore.count())) { lstImported << (e.fullName() + (e.isView ? " (view)" : "")); }
      lstImported.sort();
      QCOMPARE(lstImported.join(", "), (imported > 0) ? "shop::customer, shop::customer_orders (view), shop::orders, shop::product, shop::supplier" : "");
      QVERIFY(bReadOnly || (m_wnd.getUndoStack()->index() == iUndo + ((imported > 0) ? 1 : 0)));
      if (imported > 0) { m_wnd.getUndoStack()->undo(); }
      QVERIFY(context::ctx_project::getProject()->getEntities() == lstBefore);
   }
};

QTEST_MAIN(tst_dialog)
#include "tst_dialog.moc"
