#ifndef CONTEXT_CTX_CUSTOM_H
#define CONTEXT_CTX_CUSTOM_H

#include <vx/VxSingleton.h>

#include "ctx_base.h"

namespace context {

/** Connection that plug-ins fill themselves (an external database to read). */
class ctx_custom : public ctx_base, public vx::VxSingleton<ctx_custom>
{
   friend class vx::VxSingleton<ctx_custom>;
};

} // namespace context

#endif // CONTEXT_CTX_CUSTOM_H
