// The interactive import as a user runs it, and the host program, in a real X server (Xvfb). With
// KEL_SCREENSHOT_DIR set, the dialog after connecting and the main window after the import are saved
// there as PNG pictures of the X screen (scripts/screenshots.sh).
#include <algorithm>

#include <QComboBox>
#include <QGraphicsPathItem>
#include <QGraphicsRectItem>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPluginLoader>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <context/ctx_global.h>
#include <context/ctx_project.h>
#include <plugin/import_interface.h>
#include <view/entity_diagram.h>
#include <view/main_wnd.h>

#include "modal_watch.h"
#include "test_env.h"

namespace {

template <class T> T* child(const QObject* pParent, const char* sName) { return pParent->findChild<T*>(QString::fromLatin1(sName)); }

/** Entity names of the main window's list, all namespaces, without the view mark, sorted. */
QStringList entityNames(const view::main_wnd& wnd)
{
   QStringList lst;
   for (QTreeWidgetItemIterator it(child<QTreeWidget>(&wnd, "m_treeEntities")); *it; ++it) { if ((*it)->parent()) { lst << (*it)->text(0).remove(" (view)"); } }
   lst.sort();
   return lst;
}

/** Saves what the X server shows of the window, when the run asks for pictures. */
void screenshot(QWidget* pWidget, const QString& sFile)
{
   const QString sDir = qEnvironmentVariable("KEL_SCREENSHOT_DIR");
   if (sDir.isEmpty()) { return; }
   QVERIFY(QTest::qWaitForWindowExposed(pWidget));
   QTest::qWait(500); // let the X server get every pending paint before its pixels are read
   QVERIFY(pWidget->screen()->grabWindow(pWidget->winId()).save(QDir(sDir).filePath(sFile)));
}

/** Whether the path starts and ends on the edge of a box and passes through none (200 points along it). */
bool pathAvoidsBoxes(const QPainterPath& path, const QList<QRectF>& lstBoxes)
{
   const auto inside = [&lstBoxes](const QPointF& p, qreal dMargin) {
      return std::any_of(lstBoxes.cbegin(), lstBoxes.cend(), [&](const QRectF& r) { return r.adjusted(dMargin, dMargin, -dMargin, -dMargin).contains(p); });
   };
   for (const QPointF& end : { path.pointAtPercent(0.0), path.pointAtPercent(1.0) }) { if (! inside(end, -2.0) || inside(end, 2.0)) { return false; } }
   for (int i = 0; i <= 200; ++i) { if (inside(path.pointAtPercent(i / 200.0), 2.0)) { return false; } }
   return true;
}

// three schemas of a small business, related across them
const QStringList k_lstSchemas({ "CREATE SCHEMA sales", "CREATE SCHEMA stock", "CREATE SCHEMA hr",
   "CREATE TABLE hr.department (department_id serial PRIMARY KEY, name varchar(60) NOT NULL)",
   "CREATE TABLE hr.employee (employee_id serial PRIMARY KEY, department_id int REFERENCES hr.department, manager_id int REFERENCES hr.employee, name varchar(80))",
   "CREATE TABLE stock.warehouse (warehouse_id serial PRIMARY KEY, city varchar(60), manager_id int REFERENCES hr.employee)",
   "CREATE TABLE stock.product (product_id serial PRIMARY KEY, name varchar(120), price numeric(10,2))",
   "CREATE TABLE stock.stock_level (warehouse_id int REFERENCES stock.warehouse, product_id int REFERENCES stock.product, quantity int, PRIMARY KEY (warehouse_id, product_id))",
   "CREATE TABLE stock.reorder_rule (product_id int PRIMARY KEY REFERENCES stock.product, minimum int, batch int)",
   "CREATE TABLE sales.customer (customer_id serial PRIMARY KEY, name varchar(80), account_manager_id int REFERENCES hr.employee)",
   "CREATE TABLE sales.orders (order_id serial PRIMARY KEY, customer_id int NOT NULL REFERENCES sales.customer, ordered_on date)",
   "CREATE TABLE sales.order_line (order_id int REFERENCES sales.orders, line_no int, product_id int REFERENCES stock.product, quantity int, PRIMARY KEY (order_id, line_no))",
   "CREATE TABLE sales.invoice (invoice_id serial PRIMARY KEY, order_id int REFERENCES sales.orders, amount numeric(10,2))",
   "CREATE VIEW sales.order_total AS SELECT order_id, sum(quantity) AS items FROM sales.order_line GROUP BY order_id" });

const QString k_sSqliteCatalogue("SELECT name FROM sqlite_master WHERE type IN ('table', 'view') AND name NOT LIKE 'sqlite_%'");

} // namespace

class tst_host_interactive : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;
   QPluginLoader m_loader;
   plugin::import_interface* m_pPlugin = nullptr;
   std::shared_ptr<plugin::generic_importer> m_pImporter = std::make_shared<plugin::generic_importer>();
   int m_iProject = 0;

   /** A new open project holding one entity of its own. */
   QString newProject()
   {
      const QString sFile = m_dir.filePath(QString("project_%1.kelmar").arg(++m_iProject));
      const bool bDone = context::ctx_project::openProject(sFile).getValue() && context::ctx_project::getProject()->addEntities({ model::entity{ "legacy", "kept" } }).getValue();
      return (bDone ? sFile : QString());
   }

private Q_SLOTS:
   void initTestCase()
   {
      QVERIFY(m_dir.isValid());
      QCOMPARE(QGuiApplication::platformName(), QString("xcb"));
      // the sample shop database that the main job imports
      QProcess sqlite;
      sqlite.setStandardInputFile(QString(KEL_SOURCE_DIR) + "/samples/shop.sql");
      sqlite.start("sqlite3", { m_dir.filePath("shop.db") });
      QVERIFY(sqlite.waitForFinished() && (sqlite.exitCode() == 0));

      m_loader.setFileName(QString(KEL_PLUGIN_FILE));
      QVERIFY2(m_loader.load(), qPrintable(m_loader.errorString()));
      m_pPlugin = qobject_cast<plugin::import_interface*>(m_loader.instance());
      QVERIFY(m_pPlugin);
      m_pPlugin->setGenericImporter(m_pImporter);
   }

   void cleanup()
   {
      context::ctx_global::setMainWnd(nullptr);
      context::ctx_project::closeProject();
   }

   void interactiveImport_data()
   {
      // sPicture: which window the row shows in the README (with KEL_SCREENSHOT_DIR)
      for (const char* sColumn : { "sNeeds", "sDsn", "sLogin", "sPassword", "sCatalogue", "sPicture" }) { QTest::addColumn<QString>(sColumn); }
      QTest::addColumn<int>("iEngine");
      const QString sPgServer = QString("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=%1;Database=").arg(kel_test::env("KEL_TEST_PG_PORT"));
      const QString sPgDsn = sPgServer + kel_test::env("KEL_TEST_SAKILA_PG_DB");
      const QString sMyDsn = QString("Driver={MariaDB Unicode};Server=127.0.0.1;Port=%1;Database=%2").arg(kel_test::env("KEL_TEST_MYSQL_PORT"), kel_test::env("KEL_TEST_SAKILA_MYSQL_DB"));
      const QString sPgCatalogue("SELECT table_name FROM information_schema.tables WHERE table_schema NOT IN ('pg_catalog', 'information_schema')");
      QTest::newRow("SQLite shop") << "" << kel_test::sqliteDsn(m_dir.filePath("shop.db")) << "" << "" << k_sSqliteCatalogue << "" << int(kel_test::k_sqlite);
      QTest::newRow("PostgreSQL Sakila") << "KEL_TEST_SAKILA_PG_DB" << sPgDsn << kel_test::env("KEL_TEST_PG_USER") << "" << sPgCatalogue << "" << int(kel_test::k_postgresql);
      QTest::newRow("MariaDB Sakila") << "KEL_TEST_SAKILA_MYSQL_DB" << sMyDsn << kel_test::env("KEL_TEST_MYSQL_USER") << kel_test::env("KEL_TEST_MYSQL_PWD")
                                      << "SELECT table_name FROM information_schema.tables WHERE table_schema = DATABASE()" << "main_window.png" << int(kel_test::k_mysql);
      // several schemas, the tree's filter in use
      QTest::newRow("PostgreSQL schemas") << "KEL_TEST_PG_PORT" << (sPgServer + "kel_host_schemas") << kel_test::env("KEL_TEST_PG_USER")
                                          << "" << sPgCatalogue << "dialog_connected.png" << int(kel_test::k_postgresql);
   }

   // the import menu entry, the dialog driven to the end, the entities in the window, then Undo and Redo
   void interactiveImport()
   {
      QFETCH(QString, sNeeds); QFETCH(QString, sDsn); QFETCH(QString, sLogin); QFETCH(QString, sPassword);
      QFETCH(QString, sCatalogue); QFETCH(QString, sPicture); QFETCH(int, iEngine);
      if (! sNeeds.isEmpty()) { KEL_REQUIRE(! kel_test::env(qPrintable(sNeeds)).isEmpty(), sNeeds + " (run through tests/services/with_servers.sh)"); }
      if (sDsn.contains("kel_host_schemas")) { QCOMPARE(kel_test::createDatabase(kel_test::k_postgresql, "kel_host_schemas", k_lstSchemas), QString()); }
      kel_test::connection source(sDsn + (sLogin.isEmpty() ? QString() : (";Uid=" + sLogin)) + (sPassword.isEmpty() ? QString() : (";Pwd=" + sPassword)));
      QVERIFY2(source.openError().isEmpty(), qPrintable(source.openError()));
      const QStringList lstCatalogue = source.column(sCatalogue);
      QVERIFY(! lstCatalogue.isEmpty());
      QVERIFY(! newProject().isEmpty());

      view::main_wnd wnd;
      wnd.setAppArgs(QStringList("kelmar")); // no headless options: the import opens its dialog
      context::ctx_global::setMainWnd(&wnd);
      wnd.addImportPlugin(m_pPlugin);
      wnd.doReloadProject();
      wnd.show();
      QVERIFY(QTest::qWaitForWindowExposed(&wnd));
      const QStringList lstBefore = entityNames(wnd);
      QCOMPARE(lstBefore, QStringList("kept"));

      // fills the connection fields, connects, checks every table and view with the keyboard, and accepts;
      // what it finds amiss is said after the dialog has closed
      QStringList lstAmiss;
      const auto expect = [&lstAmiss](bool bTrue, const QString& sWhat) { if (! bTrue) { lstAmiss << sWhat; } };
      kel_test::modal_watch watch([&](QDialog* pDialog) {
         expect(pDialog->parentWidget() == &wnd, "the dialog's parent is not the main window");
         const auto* pMapping = child<QTableWidget>(pDialog, "m_lstTypeMapping");
         // the SQL and C++ type columns of the mapping editor, as first shown
         expect(qMin(pMapping->columnWidth(2), pMapping->columnWidth(3)) > 100, "type-mapping columns too narrow");
         auto* pType = child<QComboBox>(pDialog, "m_cboDatabaseType");
         pType->setCurrentIndex(pType->findData(iEngine));
         for (const auto& field : QList<QPair<const char*, QString>>({ { "m_txtConnectionString", sDsn }, { "m_txtLogin", sLogin }, { "m_txtPassword", sPassword }, { "m_txtNamespace", "shop" } }))
         {
            auto* pEdit = child<QLineEdit>(pDialog, field.first);
            pEdit->clear();
            QTest::keyClicks(pEdit, field.second);
         }
         // the read runs inside the click, processing events as it goes
         QTest::mouseClick(child<QPushButton>(pDialog, "m_btnConnect"), Qt::LeftButton);
         auto* pTree = child<QTreeWidget>(pDialog, "m_lstItemsToImport");
         QTreeWidgetItem* pRoot = pTree->topLevelItem(0);
         int iTables = 0;
         for (QTreeWidgetItemIterator it(pTree); *it; ++it) { iTables += (((*it)->type() == 1003) || ((*it)->type() == 1004)); } // table and view nodes
         expect(iTables == lstCatalogue.count(), QString("%1 table nodes").arg(iTables));
         if (pRoot)
         {
            // the root's text whole, or within reach of the scroll bar
            expect(pTree->columnWidth(0) >= pTree->visualItemRect(pRoot).left() + pTree->fontMetrics().horizontalAdvance(pRoot->text(0)), "root text cut");
            pTree->setCurrentItem(pRoot);
            QTest::keyClick(pTree, Qt::Key_Space);
            // one table open, to show its key, columns and relationships
            if (pRoot->childCount() > 0) { pRoot->child(0)->setExpanded(true); }
         }
         auto* pOk = child<QPushButton>(pDialog, "m_btnOk");
         expect(pOk->isEnabled(), "Ok disabled");
         const QString sCount = QString("%1 of %1 tables and views checked").arg(iTables);
         expect(child<QLabel>(pDialog, "m_lblCheckedCount")->text() == sCount, "count: " + child<QLabel>(pDialog, "m_lblCheckedCount")->text());
         if (sPicture.startsWith("dialog"))
         {
            // what a user looking for the orders sees: every table checked, the tree cut down to the names with "order"
            QTest::keyClicks(child<QLineEdit>(pDialog, "m_txtFilterTables"), "order");
            pDialog->resize(1180, 760);
            screenshot(pDialog, sPicture);
         }
         if (pOk->isEnabled()) { QTest::mouseClick(pOk, Qt::LeftButton); } else { pDialog->reject(); }
      });
      QAction* pImport = child<QAction>(&wnd, "m_actImport_KelOdbcImport");
      QVERIFY(pImport && child<QMenu>(&wnd, "m_menuImport")->actions().contains(pImport));
      pImport->trigger();
      QCOMPARE((watch.messages + watch.dialogs + lstAmiss).join("; "), QString("view::wnd_odbc_import"));

      QStringList lstAfter = lstCatalogue + lstBefore;
      lstAfter.sort();
      QCOMPARE(entityNames(wnd), lstAfter);
      // a box for every entity, none over another; a line for every relationship between two of them (a
      // self-reference too), from the edge of one box to the edge of the other, through no box on its way
      auto* pDiagram = child<view::entity_diagram>(&wnd, "m_viewDiagram");
      QList<QRectF> lstBoxes;
      int iRelationships = 0;
      for (const model::entity& e : context::ctx_project::getProject()->getEntities())
      {
         const QGraphicsRectItem* pBox = pDiagram->getBox(e.fullName());
         QVERIFY2(pBox, qPrintable(e.fullName()));
         const QRectF rect = pBox->sceneBoundingRect();
         for (const QRectF& other : lstBoxes) { QVERIFY2(! rect.intersects(other), qPrintable(e.fullName())); }
         lstBoxes << rect;
         for (const model::entity_relationship& r : e.relationships) { iRelationships += ((r.kind == "many-to-one") && pDiagram->getBox(r.targetNamespace + "::" + r.targetEntity)); }
      }
      QCOMPARE(pDiagram->getLineCount(), iRelationships);
      for (const QGraphicsPathItem* pLine : pDiagram->getLines()) { QVERIFY2(pathAvoidsBoxes(pLine->path(), lstBoxes), qPrintable(pLine->toolTip())); }
      const QString sLog = child<QPlainTextEdit>(&wnd, "m_txtLog")->toPlainText();
      QVERIFY(sLog.contains(QString("project finished (%1 entities imported)").arg(lstCatalogue.count())));
      QVERIFY(sLog.contains(QString("%1 entities added, 0 replaced").arg(lstCatalogue.count())));
      if (sPicture.startsWith("main"))
      {
         // the whole diagram in a window as large as the screen, and as a picture of its own (the Project menu's export)
         wnd.resize(wnd.screen()->availableSize() - QSize(10, 40));
         QTest::qWait(200);
         child<QAction>(&wnd, "m_actFitToWindow")->trigger();
         screenshot(&wnd, sPicture);
         QVERIFY(pDiagram->exportTo(QDir(qEnvironmentVariable("KEL_SCREENSHOT_DIR")).filePath("diagram.png")).getValue());
      }

      // Undo and Redo from the Edit menu, as the user finds them
      QMenu* pEdit = nullptr;
      for (QAction* pMenu : wnd.menuBar()->actions()) { if (pMenu->text() == "&Edit") { pEdit = pMenu->menu(); } }
      QVERIFY(pEdit && (pEdit->actions().count() == 2));
      QAction* pUndo = pEdit->actions().at(0);
      QCOMPARE(pUndo->text(), QString("&Undo import from database using ODBC driver"));
      pUndo->trigger();
      QCOMPARE(entityNames(wnd), lstBefore);
      pEdit->actions().at(1)->trigger();
      QCOMPARE(entityNames(wnd), lstAfter);

      // imported again: each entity replaced where it stands, none doubled
      pImport->trigger();
      QCOMPARE(watch.dialogs.count(), 2);
      QCOMPARE(entityNames(wnd), lstAfter);
      QVERIFY(child<QPlainTextEdit>(&wnd, "m_txtLog")->toPlainText().contains(QString("0 entities added, %1 replaced").arg(lstCatalogue.count())));
      QList<QRectF> lstAgain;
      for (const model::entity& e : context::ctx_project::getProject()->getEntities()) { lstAgain << pDiagram->getBox(e.fullName())->sceneBoundingRect(); }
      QCOMPARE(lstAgain, lstBoxes);

      // the plug-in's reload request alone refreshes the window
      const model::entity added{ "legacy", "added" };
      QVERIFY(context::ctx_project::getProject()->addEntities({ added }).getValue());
      Q_EMIT m_pPlugin->onReloadProject();
      QVERIFY(entityNames(wnd).contains("added"));
   }

   void hostProgram_data()
   {
      QTest::addColumn<QStringList>("lstImport");
      QTest::addColumn<QString>("sExpected");
      QTest::newRow("main window") << QStringList() << "Project PROJECT : 1 entities\n";
      const int iTables = kel_test::connection(m_dir.filePath("shop.db"), "QSQLITE").column(k_sSqliteCatalogue).count();
      QTest::newRow("headless import") << (QStringList({ "--import", "KelOdbcImport" }) + kel_test::importArgs(kel_test::sqliteDsn(m_dir.filePath("shop.db")), "5").mid(1))
                                       << QString("ODBC plugin import process to current project finished (%1 entities imported)").arg(iTables);
   }

   // with a display, the host program shows its main window; given an import and both headless options,
   // it runs the import without any window and ends
   void hostProgram()
   {
      QFETCH(QStringList, lstImport);
      QFETCH(QString, sExpected);
      const QString sProject = newProject();
      QVERIFY(! sProject.isEmpty());
      context::ctx_project::closeProject();

      QProcess host;
      host.start(QString(KEL_HOST_FILE), QStringList({ "--project", sProject }) + lstImport);
      QVERIFY(host.waitForStarted());
      const QString sTitle = "Kelmar - " + QFileInfo(sProject).fileName();
      bool bShown = false;
      // a guard against a window that never comes or an import that never ends, not a measure
      for (int i = 0; (i < 600) && ! bShown && (host.state() == QProcess::Running); ++i)
      {
         QProcess info;
         info.start("xwininfo", { "-name", sTitle });
         bShown = info.waitForFinished() && (info.exitCode() == 0) && info.readAllStandardOutput().contains("Map State: IsViewable");
         if (! bShown) { QTest::qWait(100); }
      }
      const bool bEnded = (host.state() == QProcess::NotRunning) && (host.exitStatus() == QProcess::NormalExit) && (host.exitCode() == 0);
      host.kill();
      host.waitForFinished();
      const QString sOut = QString::fromLocal8Bit(host.readAllStandardOutput() + host.readAllStandardError());
      QVERIFY2((bShown == lstImport.isEmpty()) && (bEnded != bShown) && sOut.contains(sExpected.replace("PROJECT", sProject)),
               qPrintable(QString("window '%1' shown: %2, host ended: %3; it wrote:\n").arg(sTitle).arg(bShown).arg(bEnded) + sOut));
   }
};

QTEST_MAIN(tst_host_interactive)
#include "tst_host_interactive.moc"
