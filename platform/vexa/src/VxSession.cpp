#include <vx/VxSession.h>
#include <vx/VxSqlDatabase.h>

namespace vx {

VxSession::VxSession(QSqlDatabase* db)
{
   QSqlError error;
   m_database = (db ? (*db) : VxSqlDatabase::getDatabase(error));
   if (error.isValid()) { m_firstError = error; return; }
   m_bTransaction = m_database.transaction();
   if (! m_bTransaction) { m_firstError = m_database.lastError(); }
}

VxSession::~VxSession()
{
   if (! m_bTransaction) { return; }
   if (isValid() && m_database.commit()) { return; }
   m_database.rollback();
}

VxSession& VxSession::operator+=(const QSqlError& error)
{
   if (error.isValid() && (! m_firstError.isValid())) { m_firstError = error; }
   return (*this);
}

} // namespace vx
