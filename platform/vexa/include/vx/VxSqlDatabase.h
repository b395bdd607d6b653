#ifndef VX_VXSQLDATABASE_H
#define VX_VXSQLDATABASE_H

#include <QSqlDatabase>
#include <QSqlError>

#include "IxSqlContext.h"

namespace vx {

/**
 * Database access for the context made current by the application. A connection is opened once
 * per distinct settings (and thread) and reused afterwards.
 */
class VxSqlDatabase
{
public:
   /** Makes pContext current (null: none) and returns the one it replaces. */
   static IxSqlContext* setCurrentContext(IxSqlContext* pContext);
   static IxSqlContext* getCurrentContext();

   /** Open database of the current context; error is valid when there is none or opening failed. */
   static QSqlDatabase getDatabase(QSqlError& error);

   /** Closes and forgets every connection opened for these settings. */
   static void closeDatabase(const IxSqlContext& context);
};

} // namespace vx

#endif // VX_VXSQLDATABASE_H
