#ifndef PLUGIN_ODBC_IMPORT_OPTIONS_H
#define PLUGIN_ODBC_IMPORT_OPTIONS_H

#include <QString>

#include <plugin/generic_importer.h>

#include "odbc_import_process.h"

namespace plugin {

/** What the user chose for one import, from the dialog or the command line; the defaults are the dialog's. */
struct odbc_import_options
{
   bool bDeleteNamespace = false;
   QString sNamespace;
   bool bImportComment = false;
   bool bImportDefaultValue = false;
   int iDecoration = 5;
   int iCollection = 1;
   bool bBoostOptionalForNullValue = false;
   generic_importer::type_lst_type_mapping lstTypeMapping;
   bool bOrganizeDiagramLayout = true;

   /** Hands the tables and these options to the host's importer. */
   void applyTo(generic_importer& importer, const type_lst_table_ptr& pTables) const;
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_OPTIONS_H
