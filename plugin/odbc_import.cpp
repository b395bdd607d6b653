#include "odbc_import.h"

#include <QPointer>
#include <QtDebug>

#include <memory>

#include <context/ctx_global.h>
#include <context/ctx_project.h>
#include <tools/scoped_in_event.h>
#include <undo_redo/undo_project.h>
#include <view/main_wnd.h>

#include "odbc_import_engine.h"
#include "odbc_import_no_gui.h"
#include "wnd_odbc_import.h"
#include "wnd_odbc_import_result.h"

namespace plugin {

QString odbc_import::getGuid() const { return QStringLiteral("0B7E5C21-6A3D-4F88-9D02-E4C1A7F35B90"); }

QString odbc_import::getName() const { return QStringLiteral("KelOdbcImport"); }

QString odbc_import::getShortDesc() const { return QStringLiteral("Import from database using ODBC driver"); }

QString odbc_import::getDescription() const { return QStringLiteral("This plugin imports in opened project entities from database using generic ODBC driver."); }

QString odbc_import::getVersion() const { return QStringLiteral("1.1.9"); }

QString odbc_import::getCommandLineInfos() const
{
   static const char* const options[] = {
      "--KelOdbcImport_dsn=\"<ODBC DSN>\" : [Required] ODBC DSN to connect to database",
      "--KelOdbcImport_db_type=<numeric value> : [Required] Database engine type (%ENGINES%)",
      "--KelOdbcImport_filter_regexp=\"<Regular Expression>\" : [Optional] Filter to select tables from database to import",
      "--KelOdbcImport_login=\"<DB Login>\" : [Optional] Login to connect to database",
      "--KelOdbcImport_pwd=\"<DB Password>\" : [Optional] Password to connect to database",
      "--KelOdbcImport_namespace=\"<Namespace>\" : [Optional] C++ namespace where imported classes will be located",
      "--KelOdbcImport_delete_namespace=0/1 : [Optional] Delete all entities in the namespace before importing",
      "--KelOdbcImport_import_comment=0/1 : [Optional] Import tables/columns comment to entities/properties description",
      "--KelOdbcImport_import_default_value=0/1 : [Optional] Import columns default value",
      "--KelOdbcImport_boost_optional=0/1 : [Optional] Add boost::optional<T> decoration if a column definition allows NULL value",
      "--KelOdbcImport_organize_diagram=0/1 : [Optional] Organize diagram layout after import process",
      "--KelOdbcImport_relation_decoration=<numeric value> : [Optional] Decoration used for relationships (0=no decoration, 1=boost::shared_ptr, 2=QSharedPointer, 5=std::shared_ptr)",
      "--KelOdbcImport_relation_collection=<numeric value> : [Optional] Collection used for relationships (1=vx::VxCollection, 2=std::vector, 3=std::list, 8=QHash, 10=QList)",
      "--KelOdbcImport_mapping_sql_to_cpp=\"sql1~cpp1;sql2~cpp2;etc...\" : [Optional] List of mappings from SQL type to C++ type",
      "--KelOdbcImport_verbose=0/1 : [Optional] Display more details during the import process" };
   QStringList lstEngines;
   for (const odbc_import_engine::row& engine : odbc_import_engine::rows()) { lstEngines << (QString::number(engine.engine) + "=" + QString::fromLatin1(engine.helpName)); }
   QString sInfos;
   for (const char* sOption : options) { sInfos += "\n  " + QString::fromLatin1(sOption); }
   return sInfos.replace("%ENGINES%", lstEngines.join(", "));
}

QIcon odbc_import::getIcon() const { return QIcon(":/odbc_import/images/odbc_import.png"); }

QIcon odbc_import::getIconSettings() const { return getIcon(); }

// the settings dialog belongs to the import itself: no separate settings page
bool odbc_import::hasSettings() const { return false; }

bool odbc_import::showSettings() { return false; }

// the dialog stores its own settings in the project
QSqlError odbc_import::loadSettings() { return QSqlError(); }

QSqlError odbc_import::saveSettings() { return QSqlError(); }

void odbc_import::clearSettings() { ; }

QWidget* odbc_import::getPreviewWidget() { return nullptr; }

void odbc_import::terminate() { clearSettings(); }

} // namespace plugin

namespace plugin {

namespace {
// Only the first import of the process that finds a main window looks at the command line.
bool g_bFirstCall = true;

QString firstValue(const view::main_wnd* pMainWnd, const char* sOption)
{
   const QStringList lst = pMainWnd->getAppArg(QString::fromLatin1(sOption));
   return (lst.isEmpty() ? QString() : lst.first());
}

/**
 * A window of one import, child of the host's main window: deleted at the end of the scope unless
 * the main window went first and took it along (it may close during the window's own event loop).
 */
template <class T>
class import_window
{
public:
   import_window() : m_pWnd(new T(context::ctx_global::getMainWnd(), Qt::WindowFlags())) { ; }
   ~import_window() { delete m_pWnd.data(); }
   import_window(const import_window&) = delete;
   import_window& operator=(const import_window&) = delete;
   T* get() const { return m_pWnd.data(); }

private:
   QPointer<T> m_pWnd;
};

/** Runs the settings dialog and hands what the user confirmed to the importer; false when there is nothing to import. */
bool runSettingsDialog(odbc_import* pPlugin, generic_importer& importer, bool& bOrganizeDiagram)
{
   import_window<view::wnd_odbc_import> wnd;
   wnd.get()->initFromPlugin(pPlugin);
   wnd.get()->exec();
   const view::wnd_odbc_import* pWnd = wnd.get();
   if (! pWnd || (pWnd->result() == QDialog::Rejected) || ! pWnd->getListOfTables()) { return false; }
   pWnd->getOptions().applyTo(importer, pWnd->getListOfTables());
   bOrganizeDiagram = pWnd->getOptions().bOrganizeDiagramLayout;
   return true;
}
} // namespace

vx::VxBool odbc_import::importProject(model::project& project)
{
   Q_UNUSED(project); // the import works on the host's current project
   // the host may replace its importer while a window of this import runs: this import keeps its own
   const std::shared_ptr<generic_importer> pImporter = m_pGenericImporter;
   if (! pImporter) { return vx::VxBool(false, 0, "Generic importer process is not defined"); }
   pImporter->setProcessName("KEL_GENERATED_BY_ODBC_IMPORT_PLUGIN");

   // the main window may close during the nested event loops of the dialog and the result window
   const QPointer<view::main_wnd> pMainWnd = context::ctx_global::getMainWnd();
   bool bHeadless = false;
   bool bOrganizeDiagram = true;
   if (g_bFirstCall && pMainWnd)
   {
      g_bFirstCall = false;
      const QString sDsn = firstValue(pMainWnd, "--KelOdbcImport_dsn");
      const QString sDatabaseType = firstValue(pMainWnd, "--KelOdbcImport_db_type");
      const QString sOrganizeDiagram = firstValue(pMainWnd, "--KelOdbcImport_organize_diagram");
      bHeadless = (! sDsn.isEmpty() && ! sDatabaseType.isEmpty());
      if (! sOrganizeDiagram.isEmpty()) { bOrganizeDiagram = (sOrganizeDiagram == "1"); }
   }

   if (bHeadless)
   {
      const vx::VxBool filled = odbc_import_no_gui::fillGenericImporter(this);
      if (! filled.getValue()) { return vx::VxBool(false, filled.getCode(), filled.getDesc()); }
   }
   else if (! runSettingsDialog(this, (*pImporter), bOrganizeDiagram)) { return vx::VxBool(true, 0, QString()); }

   std::shared_ptr<model::project> pProject = context::ctx_project::getProject();
   std::unique_ptr<undo_redo::undo_project> pUndo(new undo_redo::undo_project());
   pUndo->setText("import from database using ODBC driver");
   const vx::VxBool backupUndo = pUndo->backupUndoProject(pProject);
   if (! backupUndo.getValue()) { qDebug("[Kelmar] plugin::odbc_import::importProject() - backupUndoProject() : %s", backupUndo.getDesc().toLocal8Bit().constData()); }

   vx::VxBool result(false, 0, QString());
   {
      tools::scoped_in_event inEvent(undo_redo::undo_base::m_bCreateUndoRedoInEvent, true, -1);
      result = pImporter->import();
      if (! result.getValue() && ! bHeadless)
      {
         import_window<view::wnd_odbc_import_result> wndResult;
         wndResult.get()->setMessages(QStringList() << result.getDesc());
         wndResult.get()->exec();
      }
      Q_EMIT onReloadProject();
      if (bOrganizeDiagram)
      {
         Q_EMIT onMessage("Organize diagram layout", 1, 10000);
         Q_EMIT onOrganizeLayout();
      }
      const QString sMessage = "ODBC plugin import process to current project finished (" + QString::number(pImporter->getImportCount()) + " entities imported)";
      Q_EMIT onMessage(sMessage, 1, 10000);
   }

   pProject = context::ctx_project::getProject();
   const vx::VxBool backupRedo = pUndo->backupRedoProject(pProject);
   if (! backupRedo.getValue()) { qDebug("[Kelmar] plugin::odbc_import::importProject() - backupRedoProject() : %s", backupRedo.getDesc().toLocal8Bit().constData()); }

   // the main window takes the command; otherwise it goes with this scope
   if (pMainWnd && pUndo->canBePushedToUndoStack()) { pMainWnd->addUndoRedoCommand(pUndo.release()); }
   return (bHeadless ? result : vx::VxBool(true, 0, QString()));
}

} // namespace plugin
