#ifndef CONTEXT_CTX_SCOPED_H
#define CONTEXT_CTX_SCOPED_H

#include "ctx_base.h"

namespace context {

/** Makes a context current for the ORM while alive; the previous one is current again after. */
class ctx_scoped
{
public:
   /** For the whole process: used on the GUI thread only. */
   explicit ctx_scoped(ctx_base* pContext);
   ~ctx_scoped();
   ctx_scoped(const ctx_scoped&) = delete;
   ctx_scoped& operator=(const ctx_scoped&) = delete;

private:
   vx::IxSqlContext* m_pPrevious;
};

} // namespace context

#endif // CONTEXT_CTX_SCOPED_H
