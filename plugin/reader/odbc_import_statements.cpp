#include "odbc_import_statements.h"

namespace plugin {

QSqlError odbc_import_statements::run(vx::VxSqlQuery& query)
{
   if (! m_pDatabase || ! m_pDatabase->isOpen()) { return QSqlError("database is not open", QString(), QSqlError::ConnectionError); }
   const QString sql = query.sql();
   auto itr = m_lstStatements.begin();
   while ((itr != m_lstStatements.end()) && (itr->first != sql)) { ++itr; }
   if (itr != m_lstStatements.end()) { m_lstStatements.splice(m_lstStatements.begin(), m_lstStatements, itr); }
   else
   {
      auto pStatement = std::make_unique<QSqlQuery>(*m_pDatabase);
      pStatement->setForwardOnly(true);
      if (! pStatement->prepare(sql)) { return pStatement->lastError(); }
      m_lstStatements.emplace_front(sql, std::move(pStatement));
      if (m_lstStatements.size() > k_iKept) { m_lstStatements.pop_back(); }
   }

   QSqlQuery& statement = *(m_lstStatements.front().second);
   query.bindTo(statement);
   if (! statement.exec())
   {
      const QSqlError error = statement.lastError();
      m_lstStatements.pop_front();   // a statement that failed is not run again
      return error;
   }
   query.readResults(statement);
   // a connection lost while fetching ends the row loop early: report it instead of a short result
   const QSqlError error = statement.lastError();
   statement.finish();   // closes the cursor, the statement stays prepared
   return error;
}

} // namespace plugin
