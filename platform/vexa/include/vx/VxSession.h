#ifndef VX_VXSESSION_H
#define VX_VXSESSION_H

#include <QSqlDatabase>
#include <QSqlError>

namespace vx {

/**
 * One transaction on one connection: the steps add their errors; a session that ends without having
 * been committed rolls back, so a failed step leaves the old rows in place. (The application commits
 * with VxSessionHost.h; a plug-in commits its database() through Qt.)
 */
class VxSession
{
public:
   /** Opens the session on db, or on the database of the current context when db is null. */
   explicit VxSession(QSqlDatabase* db = nullptr);
   ~VxSession();
   VxSession(const VxSession&) = delete;
   VxSession& operator=(const VxSession&) = delete;

   QSqlDatabase* database() { return (&m_database); }
   VxSession& operator+=(const QSqlError& error);
   bool isValid() const { return (! m_firstError.isValid()); }
   QSqlError firstError() const { return m_firstError; }

protected:
   /** Commits what the steps did, or rolls it back when one failed; the first error, the commit's included. */
   QSqlError commit();

private:
   QSqlDatabase m_database;
   QSqlError m_firstError;
   bool m_bTransaction = false;
};

} // namespace vx

#endif // VX_VXSESSION_H
