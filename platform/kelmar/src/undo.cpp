#include <undo_redo/undo_project.h>

namespace undo_redo {

bool undo_base::m_bCreateUndoRedoInEvent = false;

vx::VxBool undo_project::backupUndoProject(const std::shared_ptr<model::project>& pProject)
{
   if (! pProject) { return vx::VxBool(false, 0, "no project to back up"); }
   vx::VxBool result;
   m_pProject = pProject;
   m_lstBefore = pProject->getEntities(&result);
   m_bUndoSaved = result.getValue();
   return result;
}

vx::VxBool undo_project::backupRedoProject(const std::shared_ptr<model::project>& pProject)
{
   if (! pProject) { return vx::VxBool(false, 0, "no project to back up"); }
   vx::VxBool result;
   m_pProject = pProject;
   m_lstAfter = pProject->getEntities(&result);
   m_bRedoSaved = result.getValue();
   return result;
}

vx::VxBool undo_project::restore(const QList<model::entity>& lst)
{
   const auto pProject = m_pProject.lock();
   return (pProject ? pProject->replaceEntities(lst) : vx::VxBool(false, 0, "the project is closed"));
}

// a failed step leaves the project where it was: the step back to the stack's place then has nothing to do
void undo_project::undo()
{
   m_result = (m_bAfter ? restore(m_lstBefore) : vx::VxBool(true));
   m_bAfter = (m_bAfter && ! m_result.getValue());
}

void undo_project::redo()
{
   m_result = (m_bAfter ? vx::VxBool(true) : restore(m_lstAfter));
   m_bAfter = (m_bAfter || m_result.getValue());
}

} // namespace undo_redo
