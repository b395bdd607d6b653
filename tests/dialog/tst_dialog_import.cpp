// The interactive import through the loaded plug-in, as the host runs it: the settings dialog opens,
// the user connects, checks and confirms, and the entities arrive as one undo step; a failed import
// shows the result window. Each case loads a copy of the module of its own, so that each one is the
// first import of that module, as in a new host process.
#include <QFile>
#include <QPlainTextEdit>
#include <QPluginLoader>
#include <QTemporaryDir>
#include <QtTest>

#include <context/ctx_global.h>
#include <odbc_import.h>
#include <view/main_wnd.h>

#include "dialog_support.h"

using namespace kel_dialog;

class tst_dialog_import : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;
   QString m_sShopDsn;
   view::main_wnd m_wnd;
   std::shared_ptr<plugin::generic_importer> m_pImporter;
   QList<std::shared_ptr<QPluginLoader>> m_lstLoaders;
   QStringList m_lstEvents;

   static QList<model::entity> entities() { return context::ctx_project::getProject()->getEntities(); }

   /** A new copy of the plug-in module, with a new generic importer; its host signals are recorded. */
   plugin::import_interface* freshPlugin(const QStringList& lstArgs)
   {
      context::ctx_global::getMainWnd()->setAppArgs(QStringList("kelmar") + lstArgs);
      const QString sCopy = m_dir.filePath(QString("KelOdbcImport_%1.so").arg(m_lstLoaders.count()));
      if (! QFile::copy(QString(KEL_PLUGIN_FILE), sCopy)) { return nullptr; }
      m_lstLoaders.append(std::make_shared<QPluginLoader>(sCopy));
      auto* pPlugin = qobject_cast<plugin::import_interface*>(m_lstLoaders.last()->instance());
      m_pImporter = std::make_shared<plugin::generic_importer>();
      if (! pPlugin) { return nullptr; }
      pPlugin->setGenericImporter(m_pImporter);
      m_lstEvents.clear();
      connect(pPlugin, &plugin::base_interface::onMessage, this, [this](const QString& sMessage) { m_lstEvents << sMessage; });
      connect(pPlugin, &plugin::base_interface::onReloadProject, this, [this]() { m_lstEvents << "reload"; });
      return pPlugin;
   }

   /** What a user does in the settings dialog: connect to the shop, check everything, confirm. */
   void importShop(QDialog* pDialog)
   {
      auto* pWnd = static_cast<wnd*>(pDialog);
      w<QLineEdit>(pWnd, "m_txtNamespace")->setText("shop");
      w<QCheckBox>(pWnd, "m_chkOrganizeLayout")->setChecked(false);
      connectTo(pWnd, m_sShopDsn, "SQLite");
      rootItem(pWnd)->setCheckState(0, Qt::Checked);
      w<QPushButton>(pWnd, "m_btnOk")->click();
   }

private Q_SLOTS:
   void initTestCase()
   {
      QVERIFY(m_dir.isValid());
      const QString sDatabase = m_dir.filePath("shop.db");
      QCOMPARE(kel_test::makeSqlite(sDatabase, kel_test::shopDdl()), QString());
      m_sShopDsn = kel_test::sqliteDsn(sDatabase);
      const vx::VxBool opened = context::ctx_project::openProject(m_dir.filePath("project.kelmar"));
      QVERIFY2(opened.getValue(), qPrintable(opened.getDesc()));
      context::ctx_global::setMainWnd(&m_wnd);
   }

   void cleanupTestCase()
   {
      context::ctx_global::setMainWnd(nullptr);
      context::ctx_project::closeProject();
   }

   void importProject_data()
   {
      QTest::addColumn<QStringList>("lstArgs");
      QTest::addColumn<QString>("way");   // "cancel" the dialog, "import" the shop through it, into a "read-only" project, the host's "twist"
      QTest::addColumn<QString>("result");   // of a headless import
      QTest::addColumn<QStringList>("dialogs");
      QTest::addColumn<int>("imported");
      const QStringList lstSettings("view::wnd_odbc_import"), lstBoth({ "view::wnd_odbc_import", "view::wnd_odbc_import_result" });
      // only a first import with both options runs headless (and here finds nothing to import)
      QTest::newRow("no option") << QStringList() << "cancel" << "" << lstSettings << -1;
      QTest::newRow("engine type only") << QStringList("--KelOdbcImport_db_type=5") << "cancel" << "" << lstSettings << -1;
      QTest::newRow("empty data source") << QStringList({ "--KelOdbcImport_dsn=", "--KelOdbcImport_db_type=5" }) << "cancel" << "" << lstSettings << -1;
      QTest::newRow("empty engine type") << QStringList({ "--KelOdbcImport_dsn=" + m_sShopDsn, "--KelOdbcImport_db_type=" }) << "cancel" << "" << lstSettings << -1;
      QTest::newRow("both, headless") << QStringList({ "--KelOdbcImport_dsn=" + m_sShopDsn, "--KelOdbcImport_db_type=5", "--KelOdbcImport_filter_regexp=^none$" })
                                      << "cancel" << "No table found after applying regexp : ^none$" << QStringList() << -1;
      QTest::newRow("imported") << QStringList() << "import" << "" << lstSettings << 3;
      // the host replaces its importer when it reloads: this import still counts with its own
      QTest::newRow("importer replaced by the host") << QStringList() << "replace importer" << "" << lstSettings << 3;
      // the result window shows why the import failed; the import still reports success to the host
      QTest::newRow("failed: the result window") << QStringList() << "read-only" << "" << lstBoth << 0;
      // the main window closes while the result window is open (taking it along): the import ends without it
      QTest::newRow("main window closed during the result window") << QStringList() << "close main window" << "" << lstBoth << 0;
   }

   // cancelled, the dialog reports success and changes nothing; confirmed, the entities of the tables and the view arrive as one undo step
   void importProject()
   {
      QFETCH(QStringList, lstArgs);
      QFETCH(QString, way);
      QFETCH(QString, result);
      QFETCH(QStringList, dialogs);
      QFETCH(int, imported);
      const bool bReadOnly = (imported == 0);
      kel_test::connection project(context::ctx_project::getProject()->getFilePath(), "QSQLITE");
      const QString sTrigger("CREATE TRIGGER no_entity BEFORE INSERT ON t_entity BEGIN SELECT RAISE(ABORT, 'the project is read-only'); END");
      QCOMPARE(project.exec(bReadOnly ? QStringList(sTrigger) : QStringList()), QString());
      view::main_wnd* pMainWnd = ((way == "close main window") ? new view::main_wnd() : &m_wnd);
      context::ctx_global::setMainWnd(pMainWnd);
      plugin::import_interface* pPlugin = freshPlugin(lstArgs);
      QVERIFY(pPlugin);
      if (way == "replace importer") { connect(pPlugin, &plugin::base_interface::onReloadProject, this, [pPlugin]() { pPlugin->setGenericImporter(std::make_shared<plugin::generic_importer>()); }); }
      const QList<model::entity> lstBefore = entities();
      const int iUndo = m_wnd.getUndoStack()->index();
      QString sShown;
      const kel_test::modal_watch watch([&](QDialog* pDialog) {
         if (way == "cancel") { pDialog->reject(); }
         else if (pDialog->objectName() == "wnd_odbc_import") { importShop(pDialog); }
         else if (pMainWnd == &m_wnd) { sShown = pDialog->findChild<QPlainTextEdit*>("m_txtResult")->toPlainText(); pDialog->close(); }
         else { context::ctx_global::setMainWnd(nullptr); delete pMainWnd; }
      });
      const vx::VxBool done = pPlugin->importProject(*context::ctx_project::getProject());
      context::ctx_global::setMainWnd(&m_wnd);
      const QString sFailure = (bReadOnly ? m_pImporter->import().getDesc() : QString());   // the same import once more, for its text
      QCOMPARE(project.exec(bReadOnly ? QStringList("DROP TRIGGER no_entity") : QStringList()), QString());
      QCOMPARE(done.getDesc(), result);
      QCOMPARE(done.getValue(), result.isEmpty());
      QCOMPARE(watch.dialogs, dialogs);
      QCOMPARE(watch.messages, QStringList());
      QCOMPARE(m_pImporter->getProcessName(), QString("KEL_GENERATED_BY_ODBC_IMPORT_PLUGIN"));
      // organise was unchecked in the dialog
      QCOMPARE(m_lstEvents, (imported < 0) ? QStringList() : QStringList({ "reload", QString("ODBC plugin import process to current project finished (%1 entities imported)").arg(imported) }));
      if (imported <= 0)
      {
         QVERIFY(entities() == lstBefore);
         QCOMPARE(bool(m_pImporter->getListOfTables()), bReadOnly);
         QVERIFY(bReadOnly || (m_wnd.getUndoStack()->index() == iUndo));
         QCOMPARE(sShown, (way == "read-only") ? sFailure : QString());
         QVERIFY(sFailure.contains("the project is read-only") == bReadOnly);
         return;
      }
      QStringList lstImported;
      for (const model::entity& e : entities().mid(lstBefore.count())) { lstImported << (e.fullName() + (e.isView ? " (view)" : "")); }
      lstImported.sort();
      QCOMPARE(lstImported, QStringList({ "shop::customer", "shop::customer_orders (view)", "shop::orders" }));
      QCOMPARE(m_wnd.getUndoStack()->index(), iUndo + 1);
      QCOMPARE(m_wnd.getUndoStack()->text(iUndo), QString("import from database using ODBC driver"));
      const QList<model::entity> lstAfter = entities();
      m_wnd.getUndoStack()->undo();
      QVERIFY(entities() == lstBefore);
      m_wnd.getUndoStack()->redo();
      QVERIFY(entities() == lstAfter);
      m_wnd.getUndoStack()->undo();
   }
};

QTEST_MAIN(tst_dialog_import)
#include "tst_dialog_import.moc"
