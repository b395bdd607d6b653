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
   if (m_bTransaction) { m_database.rollback(); }
}

QSqlError VxSession::commit()
{
   if (! m_bTransaction) { return m_firstError; }
   m_bTransaction = false;
   if (isValid() && m_database.commit()) { return m_firstError; }
   (*this) += m_database.lastError();
   m_database.rollback();
   return m_firstError;
}

VxSession& VxSession::operator+=(const QSqlError& error)
{
   if (error.isValid() && (! m_firstError.isValid())) { m_firstError = error; }
   return (*this);
}

} // namespace vx
