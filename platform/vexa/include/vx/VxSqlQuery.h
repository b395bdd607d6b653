#ifndef VX_VXSQLQUERY_H
#define VX_VXSQLQUERY_H

#include <QHash>
#include <QSql>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace vx {

/**
 * One SQL text with its named bindings, and after execution every result row it produced.
 * Result columns are found by name without regard to case (some servers report upper-case names).
 */
class VxSqlQuery
{
public:
   VxSqlQuery() = default;
   explicit VxSqlQuery(const char* sql, const QVariantList& values = QVariantList());
   explicit VxSqlQuery(const QString& sql, const QVariantList& values = QVariantList());

   QString sql() const { return m_sSql; }

   /** Binds value to the named placeholder (":table_name"), in binding order. */
   VxSqlQuery& bind(const QString& name, const QVariant& value, QSql::ParamType type = QSql::In);

   /** Restricts the rows of a persistence operation to column = value (several calls: AND). */
   VxSqlQuery& where(const QString& column, const QVariant& value);


   long getSqlResultRowCount() const { return static_cast<long>(m_lstRows.size()); }
   QStringList getSqlResultColumns() const { return m_lstColumns; }
   /** Value of a kept row by column name (any case) or position; invalid when out of range. */
   QVariant getSqlResultAt(long row, const QString& column) const;
   QVariant getSqlResultAt(long row, long column) const;

private:
   friend class VxSqlQueryAccess;   // the persistence operations (VxDaoImpl.h)

   QString whereClause() const;
   /** Binds every value of this query on q (which has been prepared or not). */
   void bindTo(QSqlQuery& q) const;
   /** Keeps every row of an executed query; returns the number of rows read. */
   long readResults(QSqlQuery& q);

   struct Binding { QString name; QVariant value; QSql::ParamType type; };

   QString m_sSql;
   QVector<Binding> m_lstBindings;
   QStringList m_lstWhere;
   QStringList m_lstColumns;
   QHash<QString, int> m_hashColumns;
   QVector<QVector<QVariant>> m_lstRows;
};

} // namespace vx

#endif // VX_VXSQLQUERY_H
