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
   /** The mark (SQLite's PRAGMA application_id) a project file carries from its creation: "Kelm". */
   static constexpr qint32 k_iApplicationId = 0x4B656C6D;

   /**
    * Opens (creating when absent) the project file and makes it the current project. A SQLite file with
    * tables of its own and no mark, or another application's mark, is refused and left as it was.
    */
   static vx::VxBool openProject(const QString& sFilePath);
   static void closeProject();

private:
   std::shared_ptr<model::project> m_pProject;
};

} // namespace context

#endif // CONTEXT_CTX_PROJECT_H
