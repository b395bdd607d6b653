#ifndef VX_VXDAO_H
#define VX_VXDAO_H

#include <memory>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

#include <vx/VxCollection.h>

#include "VxSqlQuery.h"

namespace vx {
namespace dao {

/** Prepares, binds and runs the query on db, keeping every result row in it. */
QSqlError call_query(VxSqlQuery& query, QSqlDatabase* db = nullptr);
/** Runs the SQL text as it stands, without preparing it, keeping every result row. */
QSqlError call_query_without_prepare(VxSqlQuery& query, QSqlDatabase* db = nullptr);

namespace detail {
/** db, or the database of the current context when db is null (error set when it cannot open). */
QSqlDatabase resolve(QSqlDatabase* db, QSqlError& error);
QSqlError exec(QSqlDatabase& db, const QString& sql, const VxSqlQuery* condition, const QVariantList& values, QSqlQuery* result);
} // namespace detail

/*
 * Persistence of simple row classes. T names its table and columns and converts itself to and
 * from one row of values:
 *    static QString vxTableName(); static QStringList vxColumnNames();
 *    QVariantList vxToValues() const; void vxFromValues(const QVariantList&);
 */

template <class T>
QSqlError fetch_by_query(const VxSqlQuery& query, VxCollection<long, std::shared_ptr<T>>& list, QSqlDatabase* db = nullptr)
{
   QSqlError error;
   QSqlDatabase database = detail::resolve(db, error);
   if (error.isValid()) { return error; }
   const QStringList columns = T::vxColumnNames();
   const QString sql = "SELECT " + columns.join(", ") + " FROM " + T::vxTableName() + query.whereClause();
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
QSqlError delete_by_query(const VxSqlQuery& query, QSqlDatabase* db = nullptr)
{
   QSqlError error;
   QSqlDatabase database = detail::resolve(db, error);
   if (error.isValid()) { return error; }
   return detail::exec(database, "DELETE FROM " + T::vxTableName() + query.whereClause(), (&query), QVariantList(), nullptr);
}

template <class T>
QSqlError insert(const VxCollection<long, std::shared_ptr<T>>& list, QSqlDatabase* db = nullptr)
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

#endif // VX_VXDAO_H
