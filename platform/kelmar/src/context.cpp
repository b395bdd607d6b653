#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>
#include <QUrl>

#include <vx/VxSqlDatabaseHost.h>

#include <context/ctx_global.h>
#include <context/ctx_project.h>
#include <context/ctx_scoped.h>

namespace context {

namespace { view::main_wnd* g_pMainWnd = nullptr; }

ctx_scoped::ctx_scoped(ctx_base* pContext) : m_pPrevious(vx::VxSqlDatabaseHost::setCurrentContext(pContext)) { ; }

ctx_scoped::~ctx_scoped() { vx::VxSqlDatabaseHost::setCurrentContext(m_pPrevious); }

view::main_wnd* ctx_global::getMainWnd() { return g_pMainWnd; }

void ctx_global::setMainWnd(view::main_wnd* pMainWnd) { g_pMainWnd = pMainWnd; }

QString ctx_global::getAppHelpManualUrl()
{
   const QString sPath = QDir(QCoreApplication::applicationDirPath()).filePath("help/index.html");
   return QUrl::fromLocalFile(sPath).toString();
}

std::shared_ptr<model::project> ctx_project::getProject() { return getSingleton()->m_pProject; }

namespace {

// what a project file holds besides SQLite's own tables
const QStringList k_lstProjectTables({ "t_plugin_params", "t_entity" });

/** Empty when the database may become (or is) a project; else why not. Reads only: a refused file stays as it was. */
QString checkProjectMark(QSqlDatabase& db, bool& bMarked, bool& bLocked)
{
   QSqlQuery q(db);
   // SQLITE_BUSY: another program holds the file, whatever it is
   const auto failed = [&q, &bLocked]() { bLocked = (q.lastError().nativeErrorCode() == QLatin1String("5")); return q.lastError().text(); };
   if (! q.exec("PRAGMA application_id") || ! q.next()) { return failed(); }
   const qint64 iMark = q.value(0).toLongLong();
   bMarked = (iMark == ctx_project::k_iApplicationId);
   if (bMarked) { return QString(); }
   if (iMark != 0) { return QString("it belongs to another application (SQLite application_id %1)").arg(iMark); }
   if (! q.exec("SELECT name FROM sqlite_master WHERE type IN ('table', 'view') AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'")) { return failed(); }
   QStringList lstOthers;
   while (q.next()) { if (! k_lstProjectTables.contains(q.value(0).toString())) { lstOthers << q.value(0).toString(); } }
   // an empty file becomes a project; one holding only the project tables is a project from before the mark
   if (lstOthers.isEmpty()) { return QString(); }
   return ("it is a SQLite database with tables of its own (" + lstOthers.mid(0, 5).join(", ") + (lstOthers.count() > 5 ? ", ..." : "") + ") and no project mark");
}

} // namespace

vx::VxBool ctx_project::openProject(const QString& sFilePath)
{
   closeProject();
   ctx_project* self = getSingleton();
   self->setDriverName("QSQLITE");
   self->setDatabaseName(QFileInfo(sFilePath).absoluteFilePath());
   ctx_scoped scoped(self);
   QSqlError error;
   QSqlDatabase db = vx::VxSqlDatabase::getDatabase(error);
   if (error.isValid() || ! db.isOpen()) { return vx::VxBool(false, 0, "cannot open project '" + sFilePath + "' : " + error.text()); }
   bool bMarked = false, bLocked = false;
   QString sError = checkProjectMark(db, bMarked, bLocked);
   if (! sError.isEmpty()) { sError = "'" + sFilePath + (bLocked ? "' is locked by another program : " : "' is not a Kelmar project : ") + sError; }
   // the mark is written once: writing it again would change the file at every opening
   QStringList lstSchema({ "CREATE TABLE IF NOT EXISTS t_plugin_params (plugin_guid TEXT NOT NULL, param_key TEXT NOT NULL, param_value)",
      "CREATE TABLE IF NOT EXISTS t_entity (entity_id INTEGER PRIMARY KEY AUTOINCREMENT, entity_namespace TEXT NOT NULL, "
      "entity_name TEXT NOT NULL, description TEXT, generated_by TEXT, definition TEXT NOT NULL)" });
   if (! bMarked) { lstSchema.prepend(QString("PRAGMA application_id = %1").arg(k_iApplicationId)); }
   // the mark and the tables together, or neither
   if (sError.isEmpty() && ! db.transaction()) { sError = "cannot open project '" + sFilePath + "' : " + db.lastError().text(); }
   for (int i = 0; sError.isEmpty() && (i < lstSchema.count()); ++i)
   {
      QSqlQuery q(db);
      if (! q.exec(lstSchema.at(i))) { sError = "cannot open project '" + sFilePath + "' : " + q.lastError().text(); db.rollback(); }
   }
   if (sError.isEmpty() && ! db.commit()) { sError = "cannot open project '" + sFilePath + "' : " + db.lastError().text(); db.rollback(); }
   if (! sError.isEmpty())
   {
      db = QSqlDatabase();
      vx::VxSqlDatabaseHost::closeDatabase(*self);
      return vx::VxBool(false, 0, sError);
   }
   self->m_pProject = std::make_shared<model::project>(self->getDatabaseName());
   return vx::VxBool(true);
}

void ctx_project::closeProject()
{
   ctx_project* self = getSingleton();
   if (! self->m_pProject) { return; }
   self->m_pProject.reset();
   vx::VxSqlDatabaseHost::closeDatabase(*self);
}

} // namespace context
