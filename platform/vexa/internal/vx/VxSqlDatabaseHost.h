#ifndef VX_VXSQLDATABASEHOST_H
#define VX_VXSQLDATABASEHOST_H

#include "../../include/vx/VxSqlDatabase.h"

namespace vx {

/** What only the application calls in Vexa's database access: not part of what its plug-ins may call. */
class VxSqlDatabaseHost
{
public:
   /** Makes pContext current for the process (null: none) and returns the one it replaces; the GUI thread's business only. */
   static IxSqlContext* setCurrentContext(IxSqlContext* pContext);
   static IxSqlContext* getCurrentContext();

   /** Closes and forgets the connection opened for these settings. */
   static void closeDatabase(const IxSqlContext& context);
};

} // namespace vx

#endif // VX_VXSQLDATABASEHOST_H
