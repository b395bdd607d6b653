#include <vx/VxDaoImpl.h>
#include <vx/VxSqlDatabase.h>

namespace vx {
namespace dao {

namespace detail {

QSqlDatabase resolve(QSqlDatabase* db, QSqlError& error)
{
   if (db) { return (*db); }
   return VxSqlDatabase::getDatabase(error);
}

QSqlError exec(QSqlDatabase& db, const QString& sql, const VxSqlQuery* condition, const QVariantList& values, QSqlQuery* result)
{
   QSqlQuery local(db);
   QSqlQuery& q = (result ? (*result) : local);
   if (! q.prepare(sql)) { return q.lastError(); }
   if (condition) { VxSqlQueryAccess::bindTo(*condition, q); }
   for (const QVariant& value : values) { q.addBindValue(value); }
   if (! q.exec()) { return q.lastError(); }
   return QSqlError();
}

} // namespace detail

static QSqlError run(VxSqlQuery& query, QSqlDatabase* db, bool bPrepare)
{
   QSqlError error;
   QSqlDatabase database = detail::resolve(db, error);
   if (error.isValid()) { return error; }
   if (! database.isOpen()) { return QSqlError("database is not open", QString(), QSqlError::ConnectionError); }
   QSqlQuery q(database);
   q.setForwardOnly(true);
   if (bPrepare)
   {
      if (! q.prepare(query.sql())) { return q.lastError(); }
      VxSqlQueryAccess::bindTo(query, q);
      if (! q.exec()) { return q.lastError(); }
   }
   else if (! q.exec(query.sql())) { return q.lastError(); }
   VxSqlQueryAccess::readResults(query, q);
   // a connection lost while fetching ends the row loop early: report it instead of a short result
   if (q.lastError().isValid()) { return q.lastError(); }
   return QSqlError();
}

QSqlError call_query(VxSqlQuery& query, QSqlDatabase* db) { return run(query, db, true); }

QSqlError call_query_without_prepare(VxSqlQuery& query, QSqlDatabase* db) { return run(query, db, false); }

} // namespace dao
} // namespace vx
