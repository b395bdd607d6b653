#include "odbc_import_process.h"

namespace plugin {

odbc_import_process::odbc_import_process(QSqlDatabase* pDatabase) : QObject(nullptr), m_pDatabase(pDatabase) { ; }

odbc_import_process::~odbc_import_process() = default;

} // namespace plugin
