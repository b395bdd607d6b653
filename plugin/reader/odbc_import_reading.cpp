#include "odbc_import_reading.h"

#include <QRegExp>
#include <QSqlError>

#include "odbc_import_connect_error.h"
#include "odbc_import_connection.h"
#include "odbc_import_driver_manager.h"
#include "odbc_import_engine.h"
#include "odbc_import_step.h"

namespace plugin {

namespace {
const char* const k_sConnectionName = "kel_odbc_import_read";
} // namespace

vx::VxBool odbc_import_reading::run()
{
   m_bConnectionError = false;
   m_pListOfTables.reset();
   m_lstWarnings.clear();
   m_lstFilteredOut.clear();
   vx::VxBool result;
   {
      QSqlDatabase database;
      result = read(database);
      database.close();
   }
   QSqlDatabase::removeDatabase(k_sConnectionName);
   return result;
}

vx::VxBool odbc_import_reading::read(QSqlDatabase& database)
{
   odbc_import_connection::setLoginTimeout(m_request.iLoginTimeout);
   odbc_import_connection::setReadTimeout(m_request.iReadTimeout);
   const odbc_import_connection connection(m_request.iDatabaseType, m_request.sDsn, m_request.sLogin, m_request.sPassword);
   odbc_import_step::begin("the login");
   QSqlError error;
   database = connection.open(k_sConnectionName, error);
   if (! database.isOpen())
   {
      m_bConnectionError = true;
      return vx::VxBool(false, 0, odbc_import_connect_error::getMessage(m_request.sDsn, error.text()));
   }

   // the wrong reader would fail on the first statement the server does not know, in the server's words
   odbc_import_step::begin("the server's name");
   bool bNoteOnly = false;
   const QString sEngine = (m_request.bCheckEngine ? checkEngine(m_request.iDatabaseType, odbc_import_driver_manager::getDbmsName(database), &bNoteOnly) : QString());
   if (! sEngine.isEmpty() && ! bNoteOnly) { return vx::VxBool(false, 0, sEngine); }

   Q_EMIT onConnected();
   odbc_import_step::begin("the catalogue");
   std::unique_ptr<odbc_import_process> pReader = odbc_import_engine::createReader(m_request.iDatabaseType, (&database));
   // only the tables the caller keeps are read whole; the names of the others are said
   const QRegExp filter(m_request.sTableFilter, Qt::CaseSensitive, QRegExp::RegExp);
   if (! m_request.sTableFilter.isEmpty() && filter.isValid())
   {
      pReader->setTableFilter([this, &filter](const QString& sNamespace, const QString& sName) {
         const QString sFullName = (sNamespace.isEmpty() ? sName : (sNamespace + "." + sName));
         const bool bKept = (sFullName.indexOf(filter, 0) != -1);
         if (! bKept) { m_lstFilteredOut.append(sFullName); }
         return bKept;
      });
   }
   connect(pReader.get(), &odbc_import_process::onProcessState, this, &odbc_import_reading::onProcessState);
   vx::VxBool result = pReader->startProcess();
   if (! result.getValue())
   {
      // a message about a query that failed because the link went down would send the user after the query
      const QString sLost("The connection to the database server was lost");
      if (! result.getDesc().startsWith(sLost) && odbc_import_driver_manager::isConnectionLost(database, result.getDesc())) { result = vx::VxBool(false, 0, sLost + " : " + result.getDesc()); }
      return result;
   }
   m_pListOfTables = pReader->getListOfTables();
   m_lstWarnings = pReader->getWarnings();
   if (! sEngine.isEmpty()) { m_lstWarnings.prepend(sEngine); }
   return result;
}

QString odbc_import_reading::checkEngine(int iDatabaseType, const QString& sDbmsName, bool* pNoteOnly)
{
   const odbc_import_engine::row& chosen = odbc_import_engine::get(iDatabaseType);
   const odbc_import_engine::row* pServer = odbc_import_engine::fromDbmsName(sDbmsName);
   if (pNoteOnly) { (*pNoteOnly) = (chosen.engine == odbc_import_engine::engine_generic); }
   // a server none of the readers knows is the generic reader's, whatever was chosen
   if (! pServer || (pServer->engine == chosen.engine)) { return QString(); }
   if (chosen.engine == odbc_import_engine::engine_generic)
   {
      return QString("The server is %1, which has a reader of its own (database type \"%2\"): it reads the whole catalogue in a few queries "
                     "and knows the engine's own types, where the generic reader goes by what the driver reports.").arg(sDbmsName, pServer->text);
   }
   return QString("The database type is \"%1\", but the server is %2: choose the database type \"%3\" and connect again.").arg(chosen.text, sDbmsName, pServer->text);
}

} // namespace plugin
