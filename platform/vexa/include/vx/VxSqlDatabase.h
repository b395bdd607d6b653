#ifndef VX_VXSQLDATABASE_H
#define VX_VXSQLDATABASE_H

#include <QSqlDatabase>
#include <QSqlError>

#include "IxSqlContext.h"

namespace vx {

/**
 * Database access for the context the application made current (one for the process, on its GUI
 * thread). A connection is opened once per distinct settings, and reused afterwards. (Making a context current
 * and closing connections are the application's business: VxSqlDatabaseHost.h.)
 */
class VxSqlDatabase
{
public:
   /** Open database of the current context; error is valid when there is none or opening failed. */
   static QSqlDatabase getDatabase(QSqlError& error);
};

} // namespace vx

#endif // VX_VXSQLDATABASE_H
