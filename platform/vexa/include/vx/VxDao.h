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

/*
 * Persistence of simple row classes. T names its table and columns and converts itself to and
 * from one row of values:
 *    static QString vxTableName(); static QStringList vxColumnNames();
 *    QVariantList vxToValues() const; void vxFromValues(const QVariantList&);
 * The library that owns T compiles these for it (VxDaoImpl.h); its users call them.
 */
template <class T>
QSqlError fetch_by_query(const VxSqlQuery& query, VxCollection<long, std::shared_ptr<T>>& list, QSqlDatabase* db = nullptr);
template <class T>
QSqlError delete_by_query(const VxSqlQuery& query, QSqlDatabase* db = nullptr);
template <class T>
QSqlError insert(const VxCollection<long, std::shared_ptr<T>>& list, QSqlDatabase* db = nullptr);

} // namespace dao
} // namespace vx

#endif // VX_VXDAO_H
