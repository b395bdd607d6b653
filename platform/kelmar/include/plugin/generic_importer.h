#ifndef PLUGIN_GENERIC_IMPORTER_H
#define PLUGIN_GENERIC_IMPORTER_H

#include <memory>

#include <vx/VxBool.h>
#include <vx/VxCollection.h>

#include <model/app_model.h>
#include <model/project.h>
#include <model/property_type.h>

namespace plugin {

/** Turns a list of tables read by an import plug-in into entities of the current project. */
class generic_importer
{
public:
   typedef vx::VxCollection<QString, QString> type_lst_type_mapping;

   void setProcessName(const QString& s) { m_sProcessName = s; }
   void setListOfTables(const std::shared_ptr<model::type_lst_table>& p) { m_pListOfTables = p; }
   void setDeleteNamespace(bool b) { m_bDeleteNamespace = b; }
   void setNamespace(const QString& s) { m_sNamespace = s; }
   void setImportComment(bool b) { m_bImportComment = b; }
   void setImportDefaultValue(bool b) { m_bImportDefaultValue = b; }
   void setDecoration(model::property_type::enum_decoration e) { m_eDecoration = e; }
   void setCollection(model::property_type::enum_collection e) { m_eCollection = e; }
   void setBoostOptionalForNullValue(bool b) { m_bBoostOptionalForNullValue = b; }
   void setListOfTypeMapping(const type_lst_type_mapping& lst) { m_lstTypeMapping = lst; }

   QString getProcessName() const { return m_sProcessName; }
   std::shared_ptr<model::type_lst_table> getListOfTables() const { return m_pListOfTables; }
   bool getDeleteNamespace() const { return m_bDeleteNamespace; }
   QString getNamespace() const { return m_sNamespace; }
   bool getImportComment() const { return m_bImportComment; }
   bool getImportDefaultValue() const { return m_bImportDefaultValue; }
   model::property_type::enum_decoration getDecoration() const { return m_eDecoration; }
   model::property_type::enum_collection getCollection() const { return m_eCollection; }
   bool getBoostOptionalForNullValue() const { return m_bBoostOptionalForNullValue; }
   type_lst_type_mapping getListOfTypeMapping() const { return m_lstTypeMapping; }

   /** Creates an entity per table in the current project. */
   vx::VxBool import();
   /** Number of entities created by the last import(). */
   int getImportCount() const { return m_iImportCount; }
   /** How many of them replaced an entity of the same namespace and name; the others were added. */
   int getReplacedCount() const { return m_iReplacedCount; }
   /** How many times import() has run: tells the host whether a plug-in's call got as far as importing. */
   int getRunCount() const { return m_iRunCount; }
   /** What the host says after an import: "N entities added, M replaced". */
   QString getCountMessage() const;

   /** C++ type of a column: the first mapping whose SQL type starts the column's, else by value type. */
   static QString getPropertyType(const std::shared_ptr<model::app_column>& pColumn, const type_lst_type_mapping& lstTypeMapping);
   /** C++ type of a key made of these columns: the column's own type, or a tuple of several. */
   static QString getPropertyType(const std::shared_ptr<model::type_lst_column>& pColumns, const type_lst_type_mapping& lstTypeMapping);
   /** C++ type of the value a foreign key holds (its columns' type). */
   static QString getPropertyType(const std::shared_ptr<model::app_foreign_key>& pForeignKey, const type_lst_type_mapping& lstTypeMapping);

private:
   /** The entity of a table; lstSecondNames gets, per foreign key, its constraint name (or its columns joined). */
   model::entity buildEntity(const std::shared_ptr<model::app_table>& pTable, QStringList& lstSecondNames) const;
   QString entityNamespace(const QString& sTableNamespace) const;

   QString m_sProcessName;
   std::shared_ptr<model::type_lst_table> m_pListOfTables;
   bool m_bDeleteNamespace = false;
   QString m_sNamespace;
   bool m_bImportComment = false;
   bool m_bImportDefaultValue = false;
   model::property_type::enum_decoration m_eDecoration = model::property_type::e_std_shared_ptr;
   model::property_type::enum_collection m_eCollection = model::property_type::e_vx_collection;
   bool m_bBoostOptionalForNullValue = false;
   type_lst_type_mapping m_lstTypeMapping;
   int m_iImportCount = 0;
   int m_iReplacedCount = 0;
   int m_iRunCount = 0;
};

} // namespace plugin

#endif // PLUGIN_GENERIC_IMPORTER_H
