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

void undo_project::undo()
{
   if (auto pProject = m_pProject.lock()) { pProject->replaceEntities(m_lstBefore); }
}

void undo_project::redo()
{
   // QUndoStack::push() runs redo() at once: the project already is in the "after" state then
   if (m_bFirstRedo) { m_bFirstRedo = false; return; }
   if (auto pProject = m_pProject.lock()) { pProject->replaceEntities(m_lstAfter); }
}

} // namespace undo_redo
