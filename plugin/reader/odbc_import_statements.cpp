#include "odbc_import_statements.h"

#include <vx/VxDao.h>

namespace plugin {

QSqlError odbc_import_statements::run(vx::VxSqlQuery& query) { return vx::dao::call_query(query, m_pDatabase); }

} // namespace plugin
