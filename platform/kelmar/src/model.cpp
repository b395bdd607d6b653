#include <model/app_model.h>
#include <model/plugin_params.h>
#include <vx/VxDaoImpl.h>
#include <model/property_type.h>

namespace model {

void app_table::terminate()
{
   if (m_pListOfColumns) { m_pListOfColumns->clear(); }
   if (m_pListOfRelations) { m_pListOfRelations->clear(); }
   if (m_pPrimaryKey) { m_pPrimaryKey->getListColumns()->clear(); }
   m_pPrimaryKey.reset();
}

QString property_type::decorate(enum_decoration decoration, const QString& type)
{
   switch (decoration)
   {
      case e_boost_shared_ptr: return ("boost::shared_ptr<" + type + ">");
      case e_qt_shared_pointer: return ("QSharedPointer<" + type + ">");
      case e_boost_scoped_ptr: return ("boost::scoped_ptr<" + type + ">");
      case e_qt_scoped_pointer: return ("QScopedPointer<" + type + ">");
      case e_std_shared_ptr: return ("std::shared_ptr<" + type + ">");
      case e_std_unique_ptr: return ("std::unique_ptr<" + type + ">");
      default: return type;
   }
}

QString property_type::collect(enum_collection collection, const QString& itemType, const QString& keyType)
{
   switch (collection)
   {
      case e_vx_collection: return ("vx::VxCollection<" + keyType + ", " + itemType + ">");
      case e_std_vector: return ("std::vector<" + itemType + ">");
      case e_std_list: return ("std::list<" + itemType + ">");
      case e_std_set: return ("std::set<" + itemType + ">");
      case e_std_map: return ("std::map<" + keyType + ", " + itemType + ">");
      case e_std_unordered_map: return ("std::unordered_map<" + keyType + ", " + itemType + ">");
      case e_qt_vector: return ("QVector<" + itemType + ">");
      case e_qt_hash: return ("QHash<" + keyType + ", " + itemType + ">");
      case e_qt_map: return ("QMap<" + keyType + ", " + itemType + ">");
      case e_qt_list: return ("QList<" + itemType + ">");
      default: return ("QList<" + itemType + ">");
   }
}

} // namespace model

namespace vx {
namespace dao {
template QSqlError fetch_by_query<model::plugin_params>(const VxSqlQuery&, type_lst_plugin_params&, QSqlDatabase*);
template QSqlError delete_by_query<model::plugin_params>(const VxSqlQuery&, QSqlDatabase*);
template QSqlError insert<model::plugin_params>(const type_lst_plugin_params&, QSqlDatabase*);
} // namespace dao
} // namespace vx
