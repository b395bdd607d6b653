#include "odbc_import_read.h"

#include <QMutex>
#include <QThread>

#include <vx/VxSqlDatabase.h>

#include <context/ctx_custom.h>
#include <context/ctx_scoped.h>

#include "odbc_import_connection.h"
#include "odbc_import_driver_manager.h"
#include "odbc_import_engine.h"

namespace plugin {

namespace {

// The plug-in's connection context is one for the process: a read fills it and opens its connection
// before another may fill it again.
QMutex g_contextMutex;

// Closed and forgotten by its name: the next read opens a connection of its own.
void releaseConnection(const QString& sName)
{
   if (sName.isEmpty()) { return; }
   QSqlDatabase::database(sName, false).close();
   QSqlDatabase::removeDatabase(sName);
}

} // namespace

vx::VxBool odbc_import_read::run()
{
   m_bConnectionError = false;
   m_pListOfTables.reset();
   m_lstWarnings.clear();
   QSqlDatabase database;
   QSqlError error;
   {
      QMutexLocker lock(&g_contextMutex);
      context::ctx_custom* pContext = vx::VxSingleton<context::ctx_custom>::getSingleton();
      odbc_import_connection::fillContext(pContext, m_source.iDatabaseType, m_source.sDsn, m_source.sLogin, m_source.sPassword);
      context::ctx_scoped scoped(pContext);
      database = vx::VxSqlDatabase::getDatabase(error);
   }
   const QString sName = database.connectionName();
   if (! database.isOpen() || error.isValid())
   {
      m_bConnectionError = true;
      database = QSqlDatabase();
      releaseConnection(sName);
      return (m_result = vx::VxBool(false, 0, error.text()));
   }

   // the wrong reader would fail on the first statement the server does not know, in the server's words
   bool bNoteOnly = false;
   const QString sEngine = (m_source.bCheckEngine ? checkEngine(m_source.iDatabaseType, odbc_import_driver_manager::getDbmsName(database), &bNoteOnly) : QString());
   if (! sEngine.isEmpty() && ! bNoteOnly)
   {
      database = QSqlDatabase();
      releaseConnection(sName);
      return (m_result = vx::VxBool(false, 0, sEngine));
   }

   Q_EMIT onConnected();
   {
      std::unique_ptr<odbc_import_process> pReader = odbc_import_engine::createReader(m_source.iDatabaseType, (&database));
      // runs on the reading thread: an abandoned read goes on with no database, so that every query left
      // fails at once (closing the connection under the reader's open statements would not do)
      QObject::connect(pReader.get(), &odbc_import_process::onProcessState, [this, &database](int iPercent) {
         if (! m_bAbandoned) { Q_EMIT onProcessState(iPercent); }
         else if (database.isValid()) { database = QSqlDatabase(); }
      });
      m_result = pReader->startProcess();
      if (m_result.getValue()) { m_pListOfTables = pReader->getListOfTables(); m_lstWarnings = pReader->getWarnings(); }
      if (m_result.getValue() && ! sEngine.isEmpty()) { m_lstWarnings.prepend(sEngine); }
   }
   database = QSqlDatabase();
   releaseConnection(sName);
   return m_result;
}

QString odbc_import_read::checkEngine(int iDatabaseType, const QString& sDbmsName, bool* pNoteOnly)
{
   const odbc_import_engine::row& chosen = odbc_import_engine::get(iDatabaseType);
   const odbc_import_engine::row* pServer = odbc_import_engine::fromDbmsName(sDbmsName);
   if (pNoteOnly) { (*pNoteOnly) = (chosen.engine == odbc_import_engine::engine_generic); }
   // a server none of the readers knows is the generic reader's, whatever was chosen
   if (! pServer || (pServer->engine == chosen.engine)) { return QString(); }
   if (chosen.engine == odbc_import_engine::engine_generic)
   {
      return QString("The server is %1: the generic reader reads neither its relationships nor its keys of several columns; "
                     "its own reader reads them (database type \"%2\").").arg(sDbmsName, pServer->text);
   }
   return QString("The database type is \"%1\", but the server is %2: choose the database type \"%3\" and connect again.").arg(chosen.text, sDbmsName, pServer->text);
}

void odbc_import_read::start()
{
   QThread* pThread = QThread::create([this]() { run(); });
   connect(pThread, &QThread::finished, this, [this, pThread]() {
      pThread->wait();
      delete pThread;
      if (! m_bAbandoned) { Q_EMIT onFinished(); }
      deleteLater();
   });
   pThread->start();
}

void odbc_import_read::removeTables(model::type_lst_table& lst, const QSet<long>& setDropped)
{
   if (setDropped.isEmpty()) { return; }
   model::type_lst_table lstKept;
   for (long i = 0; i < lst.count(); ++i)
   {
      const long lKey = lst.getKeyByIndex(i);
      if (! setDropped.contains(lKey)) { lstKept.insert(lKey, lst.getByIndex(i)); }
   }
   lst = lstKept;
}

} // namespace plugin
