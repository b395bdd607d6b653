#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QUrl>

#include <vx/VxSqlDatabase.h>

#include <context/ctx_global.h>
#include <context/ctx_project.h>
#include <context/ctx_scoped.h>

namespace context {

namespace { view::main_wnd* g_pMainWnd = nullptr; }

view::main_wnd* ctx_global::getMainWnd() { return g_pMainWnd; }

void ctx_global::setMainWnd(view::main_wnd* pMainWnd) { g_pMainWnd = pMainWnd; }

QString ctx_global::getAppHelpManualUrl()
{
   const QString sPath = QDir(QCoreApplication::applicationDirPath()).filePath("help/index.html");
   return QUrl::fromLocalFile(sPath).toString();
}

std::shared_ptr<model::project> ctx_project::getProject() { return getSingleton()->m_pProject; }

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
   const char* schema[] = {
      "CREATE TABLE IF NOT EXISTS t_plugin_params (plugin_guid TEXT NOT NULL, param_key TEXT NOT NULL, param_value)",
      "CREATE TABLE IF NOT EXISTS t_entity (entity_id INTEGER PRIMARY KEY AUTOINCREMENT, entity_namespace TEXT NOT NULL, "
      "entity_name TEXT NOT NULL, description TEXT, generated_by TEXT, definition TEXT NOT NULL)" };
   for (const char* sql : schema)
   {
      QSqlQuery q(db);
      if (! q.exec(QString::fromLatin1(sql)))
      {
         const QString sError = q.lastError().text();
         q = QSqlQuery();
         db = QSqlDatabase();
         vx::VxSqlDatabase::closeDatabase(*self);
         return vx::VxBool(false, 0, "cannot open project '" + sFilePath + "' : " + sError);
      }
   }
   self->m_pProject = std::make_shared<model::project>(self->getDatabaseName());
   return vx::VxBool(true);
}

void ctx_project::closeProject()
{
   ctx_project* self = getSingleton();
   if (! self->m_pProject) { return; }
   self->m_pProject.reset();
   vx::VxSqlDatabase::closeDatabase(*self);
}

} // namespace context
