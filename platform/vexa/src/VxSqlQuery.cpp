#include <vx/VxSqlQuery.h>

#include <QSqlRecord>

namespace vx {

VxSqlQuery::VxSqlQuery(const char* sql, const QVariantList& values) : VxSqlQuery(QString::fromUtf8(sql), values) { ; }

VxSqlQuery::VxSqlQuery(const QString& sql, const QVariantList& values) : m_sSql(sql)
{
   for (const QVariant& value : values) { m_lstBindings.append({ QString(), value, QSql::In }); }
}

VxSqlQuery& VxSqlQuery::bind(const QString& name, const QVariant& value, QSql::ParamType type)
{
   m_lstBindings.append({ name, value, type });
   return (*this);
}

VxSqlQuery& VxSqlQuery::where(const QString& column, const QVariant& value)
{
   const QString placeholder = ":vx_where_" + QString::number(m_lstWhere.count());
   m_lstWhere.append(column + " = " + placeholder);
   return bind(placeholder, value);
}

QString VxSqlQuery::whereClause() const
{
   return (m_lstWhere.isEmpty() ? QString() : (" WHERE " + m_lstWhere.join(" AND ")));
}

void VxSqlQuery::bindTo(QSqlQuery& q) const
{
   for (const Binding& binding : m_lstBindings)
   {
      if (binding.name.isEmpty()) { q.addBindValue(binding.value, binding.type); }
      else { q.bindValue(binding.name, binding.value, binding.type); }
   }
}

long VxSqlQuery::readResults(QSqlQuery& q)
{
   m_lstColumns.clear();
   m_hashColumns.clear();
   m_lstRows.clear();
   if (! q.isSelect()) { return 0; }
   const QSqlRecord record = q.record();
   const int columnCount = record.count();
   for (int i = 0; i < columnCount; ++i)
   {
      const QString name = record.fieldName(i);
      m_lstColumns.append(name);
      // the first column of a name wins, as with QSqlRecord::indexOf()
      if (! m_hashColumns.contains(name.toLower())) { m_hashColumns.insert(name.toLower(), i); }
   }
   while (q.next())
   {
      QVector<QVariant> row(columnCount);
      for (int i = 0; i < columnCount; ++i) { row[i] = q.value(i); }
      m_lstRows.append(row);
   }
   return getSqlResultRowCount();
}

QVariant VxSqlQuery::getSqlResultAt(long row, const QString& column) const
{
   const int index = m_hashColumns.value(column.toLower(), -1);
   return ((index < 0) ? QVariant() : getSqlResultAt(row, static_cast<long>(index)));
}

QVariant VxSqlQuery::getSqlResultAt(long row, long column) const
{
   if ((row < 0) || (row >= m_lstRows.size())) { return QVariant(); }
   const QVector<QVariant>& values = m_lstRows.at(static_cast<int>(row));
   if ((column < 0) || (column >= values.size())) { return QVariant(); }
   return values.at(static_cast<int>(column));
}

} // namespace vx
