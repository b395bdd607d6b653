#ifndef VX_VXSQLDATABASEHOST_H
#define VX_VXSQLDATABASEHOST_H

#include "../../include/vx/VxSqlDatabase.h"

namespace vx {

/** What only the application calls in Vexa's database access: not part of what its plug-ins may call. */
class VxSqlDatabaseHost
{
public:
   /** Makes pContext current on the calling thread (null: none) and returns the one it replaces. */
   static IxSqlContext* setCurrentContext(IxSqlContext* pContext);
   static IxSqlContext* getCurrentContext();

   /** Closes and forgets the connection opened on the calling thread for these settings. */
   static void closeDatabase(const IxSqlContext& context);
};

} // namespace vx

#endif // VX_VXSQLDATABASEHOST_H
