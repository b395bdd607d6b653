// One process's imports as the host runs them: the plug-in loaded with QPluginLoader, a main window
// holding the command line, an open project and a generic importer. The first-call flag lives as long
// as the loaded module, so the functions run in their order and each relies on the ones before it.
#include <QPluginLoader>
#include <QTemporaryDir>
#include <QtTest>

#include <context/ctx_global.h>
#include <context/ctx_project.h>
#include <plugin/import_interface.h>
#include <undo_redo/undo_base.h>
#include <view/main_wnd.h>

#include "modal_watch.h"
#include "test_env.h"

class tst_headless_flow : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;
   QPluginLoader m_loader;
   plugin::import_interface* m_pPlugin = nullptr;
   std::shared_ptr<plugin::generic_importer> m_pImporter = std::make_shared<plugin::generic_importer>();
   view::main_wnd m_wnd;
   QStringList m_lstEvents;
   QList<model::entity> m_lstBefore;

   static QList<model::entity> entities() { return context::ctx_project::getProject()->getEntities(); }

   /** Imports with this generic importer (none: nullptr); the main window's one set back after. */
   vx::VxBool runImport(const std::shared_ptr<plugin::generic_importer>& pImporter)
   {
      m_lstEvents.clear();
      m_pPlugin->setGenericImporter(pImporter);
      const vx::VxBool result = m_pPlugin->importProject(*context::ctx_project::getProject());
      m_pPlugin->setGenericImporter(m_pImporter);
      return result;
   }

   /** A settings dialog opened (and was cancelled), the importer got no table, and nothing of the project, the undo stack or the host's messages changed. */
   void verifyDialogOnly(const kel_test::modal_watch& watch, const plugin::generic_importer& importer, const QList<model::entity>& lstBefore, int iUndoCount)
   {
      QCOMPARE(watch.dialogs, QStringList("view::wnd_odbc_import"));
      QVERIFY(! importer.getListOfTables());
      QCOMPARE(m_lstEvents, QStringList());
      QCOMPARE(m_wnd.getUndoStack()->count(), iUndoCount);
      QVERIFY(entities() == lstBefore);
   }

private Q_SLOTS:
   void initTestCase()
   {
      QVERIFY(m_dir.isValid());
      const QString sDatabase = m_dir.filePath("shop.db");
      QCOMPARE(kel_test::makeSqlite(sDatabase, kel_test::shopDdl()), QString());

      const vx::VxBool opened = context::ctx_project::openProject(m_dir.filePath("project.kelmar"));
      QVERIFY2(opened.getValue(), qPrintable(opened.getDesc()));
      model::entity existing;
      existing.nameSpace = "legacy";
      existing.name = "kept";
      QVERIFY(context::ctx_project::getProject()->addEntities({ existing }).getValue());
      m_lstBefore = entities();

      m_loader.setFileName(QString(KEL_PLUGIN_FILE));
      QVERIFY2(m_loader.load(), qPrintable(m_loader.errorString()));
      m_pPlugin = qobject_cast<plugin::import_interface*>(m_loader.instance());
      QVERIFY(m_pPlugin);
      // each signal as a line, marked when the host's in-event flag is held during it
      auto record = [this](const QString& sEvent) { m_lstEvents << sEvent + (undo_redo::undo_base::m_bCreateUndoRedoInEvent ? " (in event)" : ""); };
      connect(m_pPlugin, &plugin::base_interface::onMessage, this, [record](const QString& sMessage, int iType, int iTimeout)
              { record(QString("message '%1' %2 %3").arg(sMessage).arg(iType).arg(iTimeout)); });
      connect(m_pPlugin, &plugin::base_interface::onReloadProject, this, [record]() { record("reload"); });
      connect(m_pPlugin, &plugin::base_interface::onOrganizeLayout, this, [record]() { record("organize"); });

      // every call of this program sees the same headless command line
      m_wnd.setAppArgs(kel_test::importArgs(kel_test::sqliteDsn(sDatabase), "5", {
         "--KelOdbcImport_filter_regexp=^(customer|orders)$", "--KelOdbcImport_namespace=shop" }));
   }

   void cleanupTestCase()
   {
      context::ctx_global::setMainWnd(nullptr);
      context::ctx_project::closeProject();
   }

   // neither a call without generic importer nor one without main window uses up the first call
   void callsThatLeaveTheFirstCall()
   {
      context::ctx_global::setMainWnd(&m_wnd);
      const vx::VxBool noImporter = runImport(nullptr);
      QVERIFY(! noImporter.getValue());
      QCOMPARE(noImporter.getDesc(), QString("Generic importer process is not defined"));
      QCOMPARE(m_lstEvents, QStringList());
      QCOMPARE(m_wnd.getUndoStack()->count(), 0);

      // without a main window the settings dialog opens, here cancelled: the command line was not read
      context::ctx_global::setMainWnd(nullptr);
      const kel_test::modal_watch watch;
      QVERIFY(runImport(m_pImporter).getValue());
      verifyDialogOnly(watch, *m_pImporter, m_lstBefore, 0);
   }

   // the first call that finds the main window runs headless
   void firstCallWithMainWindowImportsHeadless()
   {
      context::ctx_global::setMainWnd(&m_wnd);
      const vx::VxBool result = runImport(m_pImporter);
      QVERIFY2(result.getValue(), qPrintable(result.getDesc()));

      // the project gained one entity per table the filter kept, after the one it had
      const QList<model::entity> lstAfter = entities();
      QVERIFY(lstAfter.mid(0, m_lstBefore.count()) == m_lstBefore);
      QStringList lstImported;
      for (const model::entity& e : lstAfter.mid(m_lstBefore.count())) { lstImported << (e.fullName() + " by " + e.generatedBy); }
      QCOMPARE(lstImported, QStringList({ "shop::customer by KEL_GENERATED_BY_ODBC_IMPORT_PLUGIN", "shop::orders by KEL_GENERATED_BY_ODBC_IMPORT_PLUGIN" }));

      // reload, layout (organise is on when the option is absent) and count, under the host's flag
      QCOMPARE(m_lstEvents, QStringList({ "reload (in event)", "message 'Organize diagram layout' 1 10000 (in event)", "organize (in event)",
                                          "message 'ODBC plugin import process to current project finished (2 entities imported)' 1 10000 (in event)" }));
      QVERIFY(! undo_redo::undo_base::m_bCreateUndoRedoInEvent);

      // one undo step: undo gives the project back as it was, redo brings the import back
      QUndoStack* pStack = m_wnd.getUndoStack();
      QCOMPARE(pStack->count(), 1);
      QCOMPARE(pStack->text(0), QString("import from database using ODBC driver"));
      pStack->undo();
      QVERIFY(entities() == m_lstBefore);
      pStack->redo();
      QVERIFY(entities() == lstAfter);
   }

   void laterCallsAreNotHeadless()
   {
      const auto pFresh = std::make_shared<plugin::generic_importer>();
      const QList<model::entity> lstBefore = entities();
      const kel_test::modal_watch watch;   // cancels the settings dialog
      QVERIFY(runImport(pFresh).getValue());
      QCOMPARE(pFresh->getProcessName(), QString("KEL_GENERATED_BY_ODBC_IMPORT_PLUGIN"));
      verifyDialogOnly(watch, *pFresh, lstBefore, 1);
   }
};

QTEST_MAIN(tst_headless_flow)
#include "tst_headless_flow.moc"
