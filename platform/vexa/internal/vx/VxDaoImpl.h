#ifndef VX_VXDAOIMPL_H
#define VX_VXDAOIMPL_H

// The persistence operations' bodies: compiled by the library that owns a row class (the host's core
// library for its rows), not by the ORM's users.
#include "../../include/vx/VxDao.h"

#include <QSqlQuery>

namespace vx {

/** What the persistence operations read of a query besides its public face. */
class VxSqlQueryAccess
{
public:
   static QString whereClause(const VxSqlQuery& query) { return query.whereClause(); }
   static void bindTo(const VxSqlQuery& query, QSqlQuery& q) { query.bindTo(q); }
   static long readResults(VxSqlQuery& query, QSqlQuery& q) { return query.readResults(q); }
};

namespace dao {

namespace detail {
/** db, or the database of the current context when db is null (error set when it cannot open). */
QSqlDatabase resolve(QSqlDatabase* db, QSqlError& error);
QSqlError exec(QSqlDatabase& db, const QString& sql, const VxSqlQuery* condition, const QVariantList& values, QSqlQuery* result);
} // namespace detail

template <class T>
QSqlError fetch_by_query(const VxSqlQuery& query, VxCollection<long, std::shared_ptr<T>>& list, QSqlDatabase* db)
{
   QSqlError error;
   QSqlDatabase database = detail::resolve(db, error);
   if (error.isValid()) { return error; }
   const QStringList columns = T::vxColumnNames();
   const QString sql = "SELECT " + columns.join(", ") + " FROM " + T::vxTableName() + VxSqlQueryAccess::whereClause(query);
   QSqlQuery result(database);
   error = detail::exec(database, sql, (&query), QVariantList(), (&result));
   if (error.isValid()) { return error; }
   while (result.next())
   {
      QVariantList values;
      for (int i = 0; i < columns.count(); ++i) { values.append(result.value(i)); }
      auto item = std::make_shared<T>();
      item->vxFromValues(values);
      list.insert(list.count(), item);
   }
   return QSqlError();
}

template <class T>
QSqlError delete_by_query(const VxSqlQuery& query, QSqlDatabase* db)
{
   QSqlError error;
   QSqlDatabase database = detail::resolve(db, error);
   if (error.isValid()) { return error; }
   return detail::exec(database, "DELETE FROM " + T::vxTableName() + VxSqlQueryAccess::whereClause(query), (&query), QVariantList(), nullptr);
}

template <class T>
QSqlError insert(const VxCollection<long, std::shared_ptr<T>>& list, QSqlDatabase* db)
{
   QSqlError error;
   QSqlDatabase database = detail::resolve(db, error);
   if (error.isValid()) { return error; }
   const QStringList columns = T::vxColumnNames();
   QStringList placeholders;
   for (int i = 0; i < columns.count(); ++i) { placeholders.append("?"); }
   const QString sql = "INSERT INTO " + T::vxTableName() + " (" + columns.join(", ") + ") VALUES (" + placeholders.join(", ") + ")";
   for (long i = 0; i < list.count(); ++i)
   {
      const std::shared_ptr<T> item = list.getByIndex(i);
      if (! item) { continue; }
      error = detail::exec(database, sql, nullptr, item->vxToValues(), nullptr);
      if (error.isValid()) { return error; }
   }
   return QSqlError();
}

} // namespace dao
} // namespace vx

#endif // VX_VXDAOIMPL_H
