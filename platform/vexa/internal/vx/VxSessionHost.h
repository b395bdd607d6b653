#ifndef VX_VXSESSIONHOST_H
#define VX_VXSESSIONHOST_H

#include "../../include/vx/VxSession.h"

namespace vx {

/** The session as the application uses it: committed by name. Not part of what plug-ins may call. */
class VxSessionHost : public VxSession
{
public:
   using VxSession::VxSession;
   using VxSession::commit;
};

} // namespace vx

#endif // VX_VXSESSIONHOST_H
