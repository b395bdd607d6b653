#ifndef CONTEXT_CTX_BASE_H
#define CONTEXT_CTX_BASE_H

#include <vx/IxSqlContext.h>

namespace context {

/** Connection settings that the ORM uses while the context is current (ctx_scoped). */
class ctx_base : public vx::IxSqlContext
{
public:
   QString getDriverName() const override { return m_sDriverName; }
   QString getDatabaseName() const override { return m_sDatabaseName; }
   QString getUserName() const override { return m_sUserName; }
   QString getPassword() const override { return m_sPassword; }

   void setDriverName(const QString& s) { m_sDriverName = s; }
   void setDatabaseName(const QString& s) { m_sDatabaseName = s; }
   void setUserName(const QString& s) { m_sUserName = s; }
   void setPassword(const QString& s) { m_sPassword = s; }

   void clear() { m_sDriverName.clear(); m_sDatabaseName.clear(); m_sUserName.clear(); m_sPassword.clear(); }

private:
   QString m_sDriverName;
   QString m_sDatabaseName;
   QString m_sUserName;
   QString m_sPassword;
};

} // namespace context

#endif // CONTEXT_CTX_BASE_H
