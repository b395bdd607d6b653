#include <vx/VxSqlDatabaseHost.h>

#include <QCryptographicHash>

namespace vx {

namespace {

// one for the process, as the application has it: whatever makes a context current changes it for everyone
IxSqlContext* g_pCurrent = nullptr;

QString connectionName(const IxSqlContext& context)
{
   const QString settings = context.getDriverName() + '\n' + context.getDatabaseName() + '\n' + context.getUserName() + '\n' + context.getPassword();
   const QByteArray digest = QCryptographicHash::hash(settings.toUtf8(), QCryptographicHash::Sha1).toHex();
   return ("vx_" + QString::fromLatin1(digest));
}

} // namespace

IxSqlContext* VxSqlDatabaseHost::setCurrentContext(IxSqlContext* pContext)
{
   IxSqlContext* pOld = g_pCurrent;
   g_pCurrent = pContext;
   return pOld;
}

IxSqlContext* VxSqlDatabaseHost::getCurrentContext() { return g_pCurrent; }

QSqlDatabase VxSqlDatabase::getDatabase(QSqlError& error)
{
   error = QSqlError();
   IxSqlContext* pContext = VxSqlDatabaseHost::getCurrentContext();
   if (! pContext) { error = QSqlError("no database context is current", QString(), QSqlError::ConnectionError); return QSqlDatabase(); }
   const QString name = connectionName(*pContext);
   QSqlDatabase db = (QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false) : QSqlDatabase::addDatabase(pContext->getDriverName(), name));
   if (db.isOpen()) { return db; }
   if (! db.isValid()) { error = db.lastError(); if (! error.isValid()) { error = QSqlError("unknown SQL driver '" + pContext->getDriverName() + "'", QString(), QSqlError::ConnectionError); } return db; }
   db.setDatabaseName(pContext->getDatabaseName());
   db.setUserName(pContext->getUserName());
   db.setPassword(pContext->getPassword());
   if (! db.open()) { error = db.lastError(); }
   return db;
}

void VxSqlDatabaseHost::closeDatabase(const IxSqlContext& context)
{
   const QString name = connectionName(context);
   if (! QSqlDatabase::contains(name)) { return; }
   { QSqlDatabase db = QSqlDatabase::database(name, false); db.close(); }
   QSqlDatabase::removeDatabase(name);
}

} // namespace vx
