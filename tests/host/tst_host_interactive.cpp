// The host and the interactive import as a user runs them, in a real X server (Xvfb). With
// KEL_SCREENSHOT_DIR set, the dialog after connecting and the main window after the import are saved
// there as PNG pictures of the X screen (scripts/screenshots.sh).
#include <QtWidgets>
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
   if (qEnvironmentVariableIsEmpty("KEL_SCREENSHOT_DIR")) { return; }
   QVERIFY(QTest::qWaitForWindowExposed(pWidget));
   QTest::qWait(500); // let the X server get every pending paint before its pixels are read
   QVERIFY(pWidget->screen()->grabWindow(pWidget->winId()).save(QDir(qEnvironmentVariable("KEL_SCREENSHOT_DIR")).filePath(sFile)));
}

/** Three schemas of 70 tables, each table referring to about two tables before it (any schema); sales.order_01 to _10 among them. */
QStringList schemas210()
{
   QStringList lst({ "CREATE SCHEMA sales", "CREATE SCHEMA stock", "CREATE SCHEMA hr" });
   QStringList lstTables;
   for (const char* sSchema : { "sales", "stock", "hr" })
   {
      for (int i = 1; i <= 70; ++i)
      {
         const QString sTable = QString("%1.%2_%3").arg(sSchema).arg((QString(sSchema) == "sales") && (i <= 10) ? "order" : "item").arg(i, 2, 10, QChar('0'));
         QStringList lstRefs;
         for (int k = 0; lstTables.count() && (k < ((lstTables.count() * 7 + i) % 5)); ++k) { lstRefs << QString("ref_%1 int REFERENCES %2").arg(k).arg(lstTables.at((lstTables.count() * 31 + k * 17) % lstTables.count())); }
         lst << QString("CREATE TABLE %1 (id serial PRIMARY KEY, name varchar(80), noted_on date%2)").arg(sTable, lstRefs.isEmpty() ? QString() : (", " + lstRefs.join(", ")));
         lstTables << sTable;
      }
   }
   return lst;
}

const QString k_sMarkup("<b>key</b> &amp; <img src='/nonexistent.png'>");

} // namespace

class tst_host_interactive : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;
   QPluginLoader m_loader;
   plugin::import_interface* m_pPlugin = nullptr;
   int m_iProject = 0;

   /** A new open project holding one entity of its own, described in a text that looks like markup. */
   QString newProject()
   {
      const QString sFile = m_dir.filePath(QString("project_%1.kelmar").arg(++m_iProject));
      model::entity e{ "legacy", "kept" };
      e.description = k_sMarkup;
      return ((context::ctx_project::openProject(sFile).getValue() && context::ctx_project::getProject()->addEntities({ e }).getValue()) ? sFile : QString());
   }

private Q_SLOTS:
   void initTestCase()
   {
      QVERIFY(m_dir.isValid());
      QCOMPARE(QGuiApplication::platformName(), QString("xcb"));
      QProcess sqlite;
      sqlite.setStandardInputFile(QString(KEL_SOURCE_DIR) + "/samples/shop.sql");
      sqlite.start("sqlite3", { m_dir.filePath("shop.db") });
      QVERIFY(sqlite.waitForFinished() && (sqlite.exitCode() == 0));
      m_loader.setFileName(QString(KEL_PLUGIN_FILE));
      QVERIFY2(m_loader.load(), qPrintable(m_loader.errorString()));
      m_pPlugin = qobject_cast<plugin::import_interface*>(m_loader.instance());
      QVERIFY(m_pPlugin);
      m_pPlugin->setGenericImporter(std::make_shared<plugin::generic_importer>());
   }

   void cleanup()
   {
      context::ctx_global::setMainWnd(nullptr);
      context::ctx_project::closeProject();
   }

   void interactiveImport_data()
   {
      QTest::addColumn<QString>("sDsn");
      QTest::addColumn<int>("iEngine");
      QTest::addColumn<QString>("sCatalogue");
      QTest::addColumn<QString>("sPicture");   // which window the row shows in the README (with KEL_SCREENSHOT_DIR)
      const QString sPgCatalogue("SELECT table_name FROM information_schema.tables WHERE table_schema NOT IN ('pg_catalog', 'information_schema')");
      QTest::newRow("SQLite shop") << kel_test::sqliteDsn(m_dir.filePath("shop.db")) << int(kel_test::k_sqlite) << "SELECT name FROM sqlite_master WHERE type IN ('table', 'view') AND name NOT LIKE 'sqlite_%'" << "";
      QTest::newRow("PostgreSQL Sakila") << kel_test::postgresqlDsn(kel_test::env("KEL_TEST_SAKILA_PG_DB")) << int(kel_test::k_postgresql) << sPgCatalogue << "";
      QTest::newRow("MariaDB Sakila") << kel_test::mysqlDsn(kel_test::env("KEL_TEST_SAKILA_MYSQL_DB")) << int(kel_test::k_mysql) << "SELECT table_name FROM information_schema.tables WHERE table_schema = DATABASE()" << "main_window.png";
      // three schemas related across them, the tree's filter in use
      QTest::newRow("PostgreSQL schemas") << kel_test::postgresqlDsn("kel_host_schemas") << int(kel_test::k_postgresql) << sPgCatalogue << "";
      // 3 schemas of 70 tables, about two relationships a table: the dialog filtered on "sales.order", the diagram of them all
      QTest::newRow("PostgreSQL 3 x 70") << kel_test::postgresqlDsn("kel_host_210") << int(kel_test::k_postgresql) << sPgCatalogue << "dialog_connected.png main_window_200.png";
   }

   // the import menu entry, the dialog driven to OK, the entities in the window and the diagram (database text in tool
   // tips as written); then the project refuses: the result window says why, Undo fails saying why, nothing changes
   void interactiveImport()
   {
      QFETCH(QString, sDsn); QFETCH(int, iEngine); QFETCH(QString, sCatalogue); QFETCH(QString, sPicture);
      // a server's port or database missing: the test servers are not running
      if (QString(QTest::currentDataTag()).contains("Sakila")) { KEL_REQUIRE_FIXTURES(); }
      if (sDsn.contains(QRegularExpression("Port=;|Database=;|Database=$"))) { KEL_REQUIRE(false, "test servers (run through tests/services/with_servers.sh)"); }
      QVERIFY(! sDsn.contains("kel_host_schemas") || kel_test::createDatabase(kel_test::k_postgresql, "kel_host_schemas", { "CREATE SCHEMA sales", "CREATE SCHEMA stock",
         "CREATE SCHEMA hr", "CREATE TABLE hr.employee (employee_id serial PRIMARY KEY, manager_id int REFERENCES hr.employee, name varchar(80))",
         "CREATE TABLE stock.product (product_id serial PRIMARY KEY, name varchar(120), price numeric(10,2))",
         "CREATE TABLE sales.orders (order_id serial PRIMARY KEY, account_manager_id int REFERENCES hr.employee, ordered_on date)",
         "CREATE TABLE sales.order_line (order_id int REFERENCES sales.orders, line_no int, product_id int REFERENCES stock.product, PRIMARY KEY (order_id, line_no))",
         "CREATE VIEW sales.order_total AS SELECT order_id, count(*) AS items FROM sales.order_line GROUP BY order_id" }).isEmpty());
      QVERIFY(! sDsn.contains("kel_host_210") || kel_test::createDatabase(kel_test::k_postgresql, "kel_host_210", schemas210()).isEmpty());
      const QStringList lstCatalogue = kel_test::connection(sDsn).column(sCatalogue);
      QVERIFY(! lstCatalogue.isEmpty());
      const QString sProject = newProject();
      view::main_wnd wnd;
      wnd.setAppArgs(QStringList("kelmar")); // no headless options: the import opens its dialog
      context::ctx_global::setMainWnd(&wnd);
      wnd.addImportPlugin(m_pPlugin);
      wnd.doReloadProject();
      wnd.show();
      QVERIFY(QTest::qWaitForWindowExposed(&wnd));
      auto* pDiagram = child<view::entity_diagram>(&wnd, "m_viewDiagram");
      QCOMPARE(kel_test::shownText(child<QTreeWidget>(&wnd, "m_treeEntities")->findItems("kept", Qt::MatchRecursive).value(0)->toolTip(0)), "legacy::kept : " + k_sMarkup);
      QCOMPARE(kel_test::shownText(pDiagram->getBox("legacy::kept")->toolTip()), k_sMarkup);

      // fills the connection string, connects, checks every table and view with the keyboard and accepts; closes
      // the result window; what it finds amiss is said after the dialogs have closed
      QStringList lstAmiss;
      const auto expect = [&lstAmiss](bool bTrue, const QString& sWhat) { if (! bTrue) { lstAmiss << sWhat; } };
      kel_test::modal_watch watch([&](QDialog* pDialog) {
         expect(pDialog->parentWidget() == &wnd, "a dialog's parent is not the main window");
         if (auto* pResult = child<QPlainTextEdit>(pDialog, "m_txtResult"))
         {
            expect(pResult->isReadOnly() && pResult->toPlainText().contains("project is read-only"), "result: " + pResult->toPlainText());
            return QTest::mouseClick(child<QPushButton>(pDialog, "m_btnClose"), Qt::LeftButton);
         }
         child<QComboBox>(pDialog, "m_cboDatabaseType")->setCurrentIndex(child<QComboBox>(pDialog, "m_cboDatabaseType")->findData(iEngine));
         child<QLineEdit>(pDialog, "m_txtConnectionString")->clear();
         QTest::keyClicks(child<QLineEdit>(pDialog, "m_txtConnectionString"), sDsn);
         child<QLineEdit>(pDialog, "m_txtNamespace")->clear(); // the dialog shows the last import's settings
         QTest::keyClicks(child<QLineEdit>(pDialog, "m_txtNamespace"), "shop");
         // the read runs inside the click, processing events as it goes
         QTest::mouseClick(child<QPushButton>(pDialog, "m_btnConnect"), Qt::LeftButton);
         auto* pTree = child<QTreeWidget>(pDialog, "m_lstItemsToImport");
         int iTables = 0, iIcons = 0;
         // table and view nodes, each with its picture
         for (QTreeWidgetItemIterator it(pTree); *it; ++it) { iTables += (((*it)->type() == 1003) || ((*it)->type() == 1004)); iIcons += ! (*it)->icon(0).isNull(); }
         expect((iTables == lstCatalogue.count()) && (iIcons > iTables), QString("%1 table nodes, %2 icons").arg(iTables).arg(iIcons));
         // a first opening (the project is new) shows at least 15 rows of the tree
         const int iRows = pTree->viewport()->height() / qMax(1, pTree->visualItemRect(pTree->topLevelItem(0)).height());
         expect(iRows >= 15, QString("%1 rows of the tree shown").arg(iRows));
         pTree->setCurrentItem(pTree->topLevelItem(0));
         QTest::keyClick(pTree, Qt::Key_Space);
         auto* pOk = child<QPushButton>(pDialog, "m_btnOk");
         const QString sCount = child<QLabel>(pDialog, "m_lblCheckedCount")->text();
         expect(pOk->isEnabled() && (sCount == QString("%1 of %1 tables and views checked").arg(iTables)), "Ok enabled: " + QString::number(pOk->isEnabled()) + ", " + sCount);
         // what a user looking for the orders sees: every table checked, the tree cut down to the names with "order"
         // (then the filter's clear button ends its fade-in: Qt leaks the animation of a field destroyed in mid-fade)
         if (sPicture.startsWith("dialog"))
         {
            QTest::keyClicks(child<QLineEdit>(pDialog, "m_txtFilterTables"), "sales.order");
            expect(child<QLabel>(pDialog, "m_lblCheckedCount")->text().endsWith(", 10 shown"), child<QLabel>(pDialog, "m_lblCheckedCount")->text());
            screenshot(pDialog, sPicture.section(' ', 0, 0));
            QTest::qWait(400);
         }
         QTest::mouseClick(pOk, Qt::LeftButton);
         if (pDialog->isVisible()) { pDialog->reject(); }
      });
      QAction* pImport = child<QAction>(&wnd, "m_actImport_KelOdbcImport");
      QVERIFY(pImport && child<QMenu>(&wnd, "m_menuImport")->actions().contains(pImport));
      pImport->trigger();
      QCOMPARE((watch.messages + watch.dialogs + lstAmiss).join("; "), QString("view::wnd_odbc_import"));
      QStringList lstAfter = lstCatalogue + QStringList("kept");
      lstAfter.sort();
      QCOMPARE(entityNames(wnd), lstAfter);
      QVERIFY(child<QPlainTextEdit>(&wnd, "m_txtLog")->toPlainText().contains(QString("project finished (%1 entities imported)").arg(lstCatalogue.count())));
      // a box for every entity, a line for every relationship between two of them, once laid out off the window's thread
      QTRY_VERIFY_WITH_TIMEOUT(! pDiagram->isLayingOut(), 60000);
      int iRelationships = 0;
      for (const model::entity& e : context::ctx_project::getProject()->getEntities())
      {
         QVERIFY2(pDiagram->getBox(e.fullName()), qPrintable(e.fullName()));
         for (const model::entity_relationship& r : e.relationships) { iRelationships += ((r.kind == "many-to-one") && pDiagram->getBox(r.targetNamespace + "::" + r.targetEntity)); }
      }
      QCOMPARE(pDiagram->getLineCount(), iRelationships);
      const QString sMainPicture = sPicture.split(' ').filter(QRegularExpression("^main")).value(0);
      if (! sMainPicture.isEmpty() && ! qEnvironmentVariableIsEmpty("KEL_SCREENSHOT_DIR"))
      {
         // the whole diagram in a window as large as the screen, an entity chosen, and as a picture of its own (the Project menu's export)
         wnd.resize(wnd.screen()->availableSize() - QSize(10, 40));
         QTest::qWait(200);
         child<QAction>(&wnd, "m_actFitToWindow")->trigger();
         auto* pEntities = child<QTreeWidget>(&wnd, "m_treeEntities");
         pEntities->setCurrentItem(pEntities->topLevelItem(pEntities->topLevelItemCount() - 1)->child(2));
         child<QAction>(&wnd, "m_actFitToWindow")->trigger();
         screenshot(&wnd, sMainPicture);
         QVERIFY((sMainPicture != "main_window.png") || pDiagram->exportTo(QDir(qEnvironmentVariable("KEL_SCREENSHOT_DIR")).filePath("diagram.png")).getValue());
      }

      QCOMPARE(kel_test::connection(sProject, "QSQLITE").exec({ "CREATE TRIGGER refuse BEFORE UPDATE ON t_entity BEGIN SELECT RAISE(ABORT, 'project is read-only'); END",
                                                                "CREATE TRIGGER refuse_new BEFORE INSERT ON t_entity BEGIN SELECT RAISE(ABORT, 'project is read-only'); END" }), QString());
      pImport->trigger();
      QCOMPARE((watch.dialogs + lstAmiss).join("; "), QString("view::wnd_odbc_import; view::wnd_odbc_import; view::wnd_odbc_import_result"));
      QCOMPARE(entityNames(wnd), lstAfter);
      const QString sLog = "the project is unchanged : cannot restore the project's entities : project is read-only";
      child<QAction>(&wnd, "m_actUndo")->trigger();
      QVERIFY2(child<QPlainTextEdit>(&wnd, "m_txtLog")->toPlainText().contains("Undo of 'import from database using ODBC driver' failed, " + sLog), qPrintable(child<QPlainTextEdit>(&wnd, "m_txtLog")->toPlainText()));
      QCOMPARE(entityNames(wnd), lstAfter);
      QCOMPARE(kel_test::connection(sProject, "QSQLITE").exec({ "DROP TRIGGER refuse", "DROP TRIGGER refuse_new" }), QString());
      child<QAction>(&wnd, "m_actUndo")->trigger();
      QVERIFY(child<QPlainTextEdit>(&wnd, "m_txtLog")->toPlainText().endsWith("  Undo : import from database using ODBC driver"));
   }

   void hostProgram_data()
   {
      QTest::addColumn<QStringList>("lstImport");
      QTest::addColumn<QString>("sExpected");
      QTest::newRow("main window") << QStringList() << "Project PROJECT : 1 entities\n";
      QTest::newRow("headless import") << (QStringList({ "--import", "KelOdbcImport" }) + kel_test::importArgs(kel_test::sqliteDsn(m_dir.filePath("shop.db")), "5").mid(1))
                                       << "ODBC plugin import process to current project finished (";
   }

   // with a display (and no platform asked for) the host program shows its main window; given an import and both
   // headless options, it runs the import without any window and ends
   void hostProgram()
   {
      QFETCH(QStringList, lstImport); QFETCH(QString, sExpected);
      const QString sProject = newProject();
      context::ctx_project::closeProject();
      QProcess host;
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
      env.remove("QT_QPA_PLATFORM");
      host.setProcessEnvironment(env);
      host.start(QString(KEL_HOST_FILE), QStringList({ "--project", sProject }) + lstImport);
      bool bShown = false;
      // a guard against a window that never comes or an import that never ends, not a measure
      for (int i = 0; (i < 600) && ! bShown && host.waitForStarted() && ! host.waitForFinished(100); ++i)
      {
         QProcess info;
         info.start("xwininfo", { "-name", "Kelmar - " + QFileInfo(sProject).fileName() });
         bShown = info.waitForFinished() && info.readAllStandardOutput().contains("Map State: IsViewable");
      }
      const bool bEnded = (host.state() == QProcess::NotRunning) && (host.exitStatus() == QProcess::NormalExit) && (host.exitCode() == 0);
      host.kill();
      host.waitForFinished();
      const QString sOut = QString::fromLocal8Bit(host.readAllStandardOutput() + host.readAllStandardError());
      QVERIFY2((bShown == lstImport.isEmpty()) && (bEnded != bShown) && sOut.contains(sExpected.replace("PROJECT", sProject)),
               qPrintable(QString("window shown: %1, host ended: %2; it wrote:\n").arg(bShown).arg(bEnded) + sOut));
   }
};

QTEST_MAIN(tst_host_interactive)
#include "tst_host_interactive.moc"
