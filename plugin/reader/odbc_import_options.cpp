#include "odbc_import_options.h"

namespace plugin {

void odbc_import_options::applyTo(generic_importer& importer, const type_lst_table_ptr& pTables) const
{
   importer.setListOfTables(pTables);
   importer.setDeleteNamespace(bDeleteNamespace);
   importer.setNamespace(sNamespace);
   importer.setImportComment(bImportComment);
   importer.setImportDefaultValue(bImportDefaultValue);
   importer.setDecoration(static_cast<model::property_type::enum_decoration>(iDecoration));
   importer.setCollection(static_cast<model::property_type::enum_collection>(iCollection));
   importer.setBoostOptionalForNullValue(bBoostOptionalForNullValue);
   importer.setListOfTypeMapping(lstTypeMapping);
}

} // namespace plugin
