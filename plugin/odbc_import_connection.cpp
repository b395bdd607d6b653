#include "odbc_import_connection.h"

#include <context/ctx_custom.h>

namespace plugin {

void odbc_import_connection::fillContext(context::ctx_custom* pContext, int iDatabaseType, const QString& sDsn, const QString& sLogin, const QString& sPassword)
{
   Q_UNUSED(iDatabaseType);
   pContext->clear();
   pContext->setDriverName("QODBC");
   pContext->setDatabaseName(sDsn);
   pContext->setUserName(sLogin);
   pContext->setPassword(sPassword);
}

} // namespace plugin
