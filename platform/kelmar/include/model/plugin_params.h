#ifndef MODEL_PLUGIN_PARAMS_H
#define MODEL_PLUGIN_PARAMS_H

#include <QStringList>
#include <QVariant>

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

#endif // MODEL_PLUGIN_PARAMS_H
