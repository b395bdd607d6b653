#include "odbc_import_process.h"

#include "odbc_import_generic.h"
#include "odbc_import_mssqlserver.h"
#include "odbc_import_mysql.h"
#include "odbc_import_oracle.h"
#include "odbc_import_postgresql.h"
#include "odbc_import_sqlite.h"

namespace plugin {

odbc_import_process::odbc_import_process(QSqlDatabase* pDatabase) : QObject(nullptr), m_pDatabase(pDatabase) { ; }

odbc_import_process::~odbc_import_process() = default;

odbc_import_process* odbc_import_process::createReader(int iDatabaseType, QSqlDatabase* pDatabase)
{
   switch (iDatabaseType)
   {
      case 1: return new odbc_import_postgresql(pDatabase);
      case 2: return new odbc_import_mysql(pDatabase);
      case 3: return new odbc_import_oracle(pDatabase);
      case 4: return new odbc_import_mssqlserver(pDatabase);
      case 5: return new odbc_import_sqlite(pDatabase);
      default: return new odbc_import_generic(pDatabase);
   }
}

} // namespace plugin
