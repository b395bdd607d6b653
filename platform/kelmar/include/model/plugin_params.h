#ifndef MODEL_PLUGIN_PARAMS_H
#define MODEL_PLUGIN_PARAMS_H

#include <QStringList>
#include <QVariant>

#include <vx/VxDao.h>

namespace model {

/** One stored setting of a plug-in: a row of the project's "t_plugin_params" table. */
class plugin_params
{
public:
   QString getGuid() const { return m_sGuid; }
   QString getParamKey() const { return m_sParamKey; }
   QVariant getParamValue() const { return m_vParamValue; }
   void setGuid(const QString& s) { m_sGuid = s; }
   void setParamKey(const QString& s) { m_sParamKey = s; }
   void setParamValue(const QVariant& v) { m_vParamValue = v; }

   static QString vxTableName() { return QStringLiteral("t_plugin_params"); }
   static QStringList vxColumnNames() { return { QStringLiteral("plugin_guid"), QStringLiteral("param_key"), QStringLiteral("param_value") }; }
   QVariantList vxToValues() const { return { m_sGuid, m_sParamKey, m_vParamValue }; }
   void vxFromValues(const QVariantList& values)
   {
      m_sGuid = values.value(0).toString();
      m_sParamKey = values.value(1).toString();
      m_vParamValue = values.value(2);
   }

private:
   QString m_sGuid;
   QString m_sParamKey;
   QVariant m_vParamValue;
};

} // namespace model

// The persistence of these rows is compiled into the host's core library: a plug-in calls these three
// operations, not the ORM's insides.
namespace vx {
namespace dao {
typedef VxCollection<long, std::shared_ptr<model::plugin_params>> type_lst_plugin_params;
extern template QSqlError fetch_by_query<model::plugin_params>(const VxSqlQuery&, type_lst_plugin_params&, QSqlDatabase*);
extern template QSqlError delete_by_query<model::plugin_params>(const VxSqlQuery&, QSqlDatabase*);
extern template QSqlError insert<model::plugin_params>(const type_lst_plugin_params&, QSqlDatabase*);
} // namespace dao
} // namespace vx

#endif // MODEL_PLUGIN_PARAMS_H
