#ifndef CONTEXT_CTX_PROJECT_H
#define CONTEXT_CTX_PROJECT_H

#include <memory>

#include <vx/VxBool.h>
#include <vx/VxSingleton.h>

#include <model/project.h>

#include "ctx_base.h"

namespace context {

/** The opened project and its database (a SQLite file). */
class ctx_project : public ctx_base, public vx::VxSingleton<ctx_project>
{
   friend class vx::VxSingleton<ctx_project>;

public:
   /** Null when no project is open. */
   static std::shared_ptr<model::project> getProject();
   /** Opens (creating when absent) the project file and makes it the current project. */
   static vx::VxBool openProject(const QString& sFilePath);
   static void closeProject();

private:
   std::shared_ptr<model::project> m_pProject;
};

} // namespace context

#endif // CONTEXT_CTX_PROJECT_H
