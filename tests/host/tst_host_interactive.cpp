// The interactive import as a user runs it, in a real X server (Xvfb): the host program opens its
// main window; in the same main window, the import menu entry opens the settings dialog, which is
// filled in, connected to a real database, its tables checked and accepted; the entities appear in the
// window, and the Edit menu's Undo and Redo take them away and bring them back.
// With KEL_SCREENSHOT_DIR set, the dialog after connecting and the main window after the import are
// saved there as PNG pictures of the X screen (scripts/screenshots.sh).
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QMenu>
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

/** Entity names of the main window's list, all namespaces, without the view mark, sorted. */
QStringList entityNames(const view::main_wnd& wnd)
{
   const auto* pTree = wnd.findChild<QTreeWidget*>("m_treeEntities");
   QStringList lst;
   for (int i = 0; pTree && (i < pTree->topLevelItemCount()); ++i)
   {
      for (int j = 0; j < pTree->topLevelItem(i)->childCount(); ++j) { lst << pTree->topLevelItem(i)->child(j)->text(0).remove(" (view)"); }
   }
   lst.sort();
   return lst;
}

/** Saves what the X server shows of the window, when the run asks for pictures. */
void screenshot(QWidget* pWidget, const QString& sFile)
{
   const QString sDir = qEnvironmentVariable("KEL_SCREENSHOT_DIR");
   if (sDir.isEmpty()) { return; }
   QVERIFY(QTest::qWaitForWindowExposed(pWidget));
   // let the X server get every pending paint before its pixels are read
   QTest::qWait(500);
   QVERIFY(pWidget->screen()->grabWindow(pWidget->winId()).save(QDir(sDir).filePath(sFile)));
}

template <class T> T* child(const QObject* pParent, const char* sName)
{
   T* p = pParent->findChild<T*>(QString::fromLatin1(sName));
   if (! p) { qWarning("no child %s", sName); }
   return p;
}

/** Table and view nodes below the dialog tree's root, or below a schema node. */
int tableNodes(const QTreeWidgetItem* pParent)
{
   int n = 0;
   for (int i = 0; pParent && (i < pParent->childCount()); ++i)
   {
      const int iType = pParent->child(i)->type();
      n += (((iType == 1003) || (iType == 1004)) ? 1 : tableNodes(pParent->child(i)));
   }
   return n;
}

void typeInto(QDialog* pDialog, const char* sField, const QString& sText)
{
   auto* pEdit = child<QLineEdit>(pDialog, sField);
   if (! pEdit) { return; }
   pEdit->clear();
   QTest::keyClicks(pEdit, sText);
}

/** What the user types and picks in the settings dialog. */
struct dialog_input
{
   QString dsn, login, password;
   int engineType = 0;
};

/** What the dialog showed while it was driven. */
struct dialog_seen
{
   const QWidget* parent = nullptr;
   int tables = -1;
   bool okEnabled = false;
   int narrowestTypeColumn = -1;   // the SQL and C++ type columns of the mapping editor, as first shown
   bool rootTextFits = false;      // the tree's root text, whole or within reach of the scroll bar
};

/** Fills the connection fields, connects, checks every table and view with the keyboard, and accepts. */
void driveDialog(QDialog* pDialog, const dialog_input& input, dialog_seen& seen)
{
   // the plug-in module has its own copy of the dialog's meta-object: qobject_cast cannot tell, the class name can
   if (qstrcmp(pDialog->metaObject()->className(), "view::wnd_odbc_import") != 0) { pDialog->reject(); return; }
   QDialog* pWnd = pDialog;
   seen.parent = pDialog->parentWidget();
   auto* pMapping = child<QTableWidget>(pWnd, "m_lstTypeMapping");
   seen.narrowestTypeColumn = qMin(pMapping->columnWidth(2), pMapping->columnWidth(3));
   typeInto(pWnd, "m_txtConnectionString", input.dsn);
   typeInto(pWnd, "m_txtLogin", input.login);
   typeInto(pWnd, "m_txtPassword", input.password);
   auto* pType = child<QComboBox>(pWnd, "m_cboDatabaseType");
   pType->setCurrentIndex(pType->findData(input.engineType));
   typeInto(pWnd, "m_txtNamespace", "shop");
   // the read runs inside the click, processing events as it goes
   QTest::mouseClick(child<QPushButton>(pWnd, "m_btnConnect"), Qt::LeftButton);

   auto* pTree = child<QTreeWidget>(pWnd, "m_lstItemsToImport");
   QTreeWidgetItem* pRoot = pTree->topLevelItem(0);
   seen.tables = tableNodes(pRoot);
   seen.rootTextFits = (pRoot && (pTree->columnWidth(0) >= pTree->visualItemRect(pRoot).left() + pTree->fontMetrics().horizontalAdvance(pRoot->text(0))));
   if (pRoot)
   {
      pTree->setCurrentItem(pRoot);
      QTest::keyClick(pTree, Qt::Key_Space);
      // one table open, to show its key, columns and relationships
      if (pRoot->childCount() > 0) { pRoot->child(0)->setExpanded(true); }
   }
   auto* pOk = child<QPushButton>(pWnd, "m_btnOk");
   seen.okEnabled = pOk->isEnabled();
   screenshot(pDialog, "dialog_connected.png");
   if (seen.okEnabled) { QTest::mouseClick(pOk, Qt::LeftButton); }
   else { pDialog->reject(); }
}

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

   /** A new project holding one entity of its own. */
   QString newProject()
   {
      const QString sFile = m_dir.filePath(QString("project_%1.kelmar").arg(++m_iProject));
      const vx::VxBool opened = context::ctx_project::openProject(sFile);
      if (! opened.getValue()) { qWarning("%s", qPrintable(opened.getDesc())); return QString(); }
      model::entity e;
      e.nameSpace = "legacy";
      e.name = "kept";
      context::ctx_project::getProject()->addEntities({ e });
      return sFile;
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
      QTest::addColumn<QString>("sNeeds");
      QTest::addColumn<QString>("sDsn");
      QTest::addColumn<QString>("sLogin");
      QTest::addColumn<QString>("sPassword");
      QTest::addColumn<int>("iEngine");
      QTest::addColumn<QString>("sCatalogue");
      const QString sPgDsn = QString("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=%1;Database=%2").arg(kel_test::env("KEL_TEST_PG_PORT"), kel_test::env("KEL_TEST_SAKILA_PG_DB"));
      const QString sMyDsn = QString("Driver={MariaDB Unicode};Server=127.0.0.1;Port=%1;Database=%2").arg(kel_test::env("KEL_TEST_MYSQL_PORT"), kel_test::env("KEL_TEST_SAKILA_MYSQL_DB"));
      QTest::newRow("SQLite shop") << "" << kel_test::sqliteDsn(m_dir.filePath("shop.db")) << "" << "" << int(kel_test::k_sqlite)
         << k_sSqliteCatalogue;
      QTest::newRow("PostgreSQL Sakila") << "KEL_TEST_SAKILA_PG_DB" << sPgDsn << kel_test::env("KEL_TEST_PG_USER") << "" << int(kel_test::k_postgresql)
         << "SELECT table_name FROM information_schema.tables WHERE table_schema NOT IN ('pg_catalog', 'information_schema')";
      QTest::newRow("MariaDB Sakila") << "KEL_TEST_SAKILA_MYSQL_DB" << sMyDsn << kel_test::env("KEL_TEST_MYSQL_USER") << kel_test::env("KEL_TEST_MYSQL_PWD") << int(kel_test::k_mysql)
         << "SELECT table_name FROM information_schema.tables WHERE table_schema = DATABASE()";
   }

   // the import menu entry, the dialog driven to the end, the entities in the window, then Undo and Redo
   void interactiveImport()
   {
      QFETCH(QString, sNeeds);
      QFETCH(QString, sDsn);
      QFETCH(QString, sLogin);
      QFETCH(QString, sPassword);
      QFETCH(int, iEngine);
      QFETCH(QString, sCatalogue);
      if (! sNeeds.isEmpty()) { KEL_REQUIRE(! kel_test::env(qPrintable(sNeeds)).isEmpty(), "Sakila database " + sNeeds + " (run through tests/services/with_servers.sh)"); }
      QStringList lstCatalogue;
      {
         kel_test::connection source(sDsn + (sLogin.isEmpty() ? QString() : (";Uid=" + sLogin)) + (sPassword.isEmpty() ? QString() : (";Pwd=" + sPassword)));
         QVERIFY2(source.openError().isEmpty(), qPrintable(source.openError()));
         lstCatalogue = source.column(sCatalogue);
      }
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

      dialog_seen seen;
      kel_test::modal_watch watch([&](QDialog* pDialog) { driveDialog(pDialog, { sDsn, sLogin, sPassword, iEngine }, seen); });
      auto* pImport = child<QAction>(&wnd, "m_actImport_KelOdbcImport");
      QVERIFY(pImport && child<QMenu>(&wnd, "m_menuImport")->actions().contains(pImport));
      pImport->trigger();
      QCOMPARE(watch.messages, QStringList());
      QCOMPARE(watch.dialogs, QStringList("view::wnd_odbc_import"));
      QCOMPARE(seen.parent, &wnd);
      QCOMPARE(seen.tables, lstCatalogue.count());
      QVERIFY(seen.okEnabled);
      QVERIFY2(seen.narrowestTypeColumn > 100, qPrintable(QString::number(seen.narrowestTypeColumn)));
      QVERIFY(seen.rootTextFits);

      QStringList lstAfter = lstCatalogue + lstBefore;
      lstAfter.sort();
      QCOMPARE(entityNames(wnd), lstAfter);
      const auto* pDiagram = child<view::entity_diagram>(&wnd, "m_viewDiagram");
      for (const model::entity& e : context::ctx_project::getProject()->getEntities()) { QVERIFY2(pDiagram->getBox(e.fullName()), qPrintable(e.fullName())); }
      const QString sFinal = QString("ODBC plugin import process to current project finished (%1 entities imported)").arg(lstCatalogue.count());
      QVERIFY(child<QPlainTextEdit>(&wnd, "m_txtLog")->toPlainText().contains(sFinal));
      screenshot(&wnd, "main_window.png");

      // the Edit menu, as the user finds it
      QMenu* pEdit = nullptr;
      for (QAction* pMenu : wnd.menuBar()->actions()) { if (pMenu->text() == "&Edit") { pEdit = pMenu->menu(); } }
      QVERIFY(pEdit);
      QAction* pUndo = child<QAction>(&wnd, "m_actUndo");
      QAction* pRedo = child<QAction>(&wnd, "m_actRedo");
      QVERIFY(pEdit->actions().contains(pUndo) && pEdit->actions().contains(pRedo));
      QCOMPARE(pUndo->text(), QString("&Undo import from database using ODBC driver"));
      pUndo->trigger();
      QCOMPARE(entityNames(wnd), lstBefore);
      QCOMPARE(context::ctx_project::getProject()->getEntities().count(), 1);
      pRedo->trigger();
      QCOMPARE(entityNames(wnd), lstAfter);
      QCOMPARE(context::ctx_project::getProject()->getEntities().count(), lstAfter.count());
   }

   // with a display too, an import given both headless options runs without any window and ends
   void headlessImportWithDisplay()
   {
      const QString sProject = newProject();
      QVERIFY(! sProject.isEmpty());
      context::ctx_project::closeProject();
      QProcess host;
      host.start(QString(KEL_HOST_FILE), QStringList({ "--project", sProject, "--import", "KelOdbcImport" })
                                            + kel_test::importArgs(kel_test::sqliteDsn(m_dir.filePath("shop.db")), "5").mid(1));
      QVERIFY(host.waitForFinished(120000)); // a guard against a hang, not a measure
      QCOMPARE(host.exitCode(), 0);
      const int iTables = kel_test::connection(m_dir.filePath("shop.db"), "QSQLITE").column(k_sSqliteCatalogue).count();
      QVERIFY(iTables > 0);
      const QString sOut = QString::fromLocal8Bit(host.readAllStandardOutput());
      QVERIFY2(sOut.contains(QString("ODBC plugin import process to current project finished (%1 entities imported)").arg(iTables)), qPrintable(sOut));
   }

   // with a display and without an import, the host program shows its main window instead of printing
   void hostProgramShowsItsWindow()
   {
      const QString sProject = newProject();
      QVERIFY(! sProject.isEmpty());
      context::ctx_project::closeProject();

      QProcess host;
      host.start(QString(KEL_HOST_FILE), { "--project", sProject });
      QVERIFY(host.waitForStarted());
      const QString sTitle = "Kelmar - " + QFileInfo(sProject).fileName();
      bool bShown = false;
      // a guard against a window that never comes, not a measure
      for (int i = 0; (i < 600) && ! bShown && (host.state() == QProcess::Running); ++i)
      {
         QProcess info;
         info.start("xwininfo", { "-name", sTitle });
         bShown = info.waitForFinished() && (info.exitCode() == 0) && info.readAllStandardOutput().contains("Map State: IsViewable");
         if (! bShown) { QTest::qWait(100); }
      }
      const QString sOut = QString::fromLocal8Bit(host.readAllStandardOutput());
      const QString sErr = QString::fromLocal8Bit(host.readAllStandardError());
      host.kill();
      host.waitForFinished();
      QVERIFY2(bShown, qPrintable("no window '" + sTitle + "'; the host wrote:\n" + sOut + sErr));
      QCOMPARE(sOut, QString("Project %1 : 1 entities\n").arg(sProject));
   }
};

QTEST_MAIN(tst_host_interactive)
#include "tst_host_interactive.moc"
