#ifndef UNDO_REDO_UNDO_PROJECT_H
#define UNDO_REDO_UNDO_PROJECT_H

#include <memory>

#include <vx/VxBool.h>

#include <model/project.h>

#include "undo_base.h"

namespace undo_redo {

/** Snapshots of the project's entities before and after an operation; undo and redo restore them. */
class undo_project : public undo_base
{
public:
   vx::VxBool backupUndoProject(const std::shared_ptr<model::project>& pProject);
   vx::VxBool backupRedoProject(const std::shared_ptr<model::project>& pProject);
   bool canBePushedToUndoStack() const override { return (m_bUndoSaved && m_bRedoSaved); }

   void undo() override;
   void redo() override;
   vx::VxBool getResult() const override { return m_result; }

private:
   vx::VxBool restore(const QList<model::entity>& lst);

   std::weak_ptr<model::project> m_pProject;
   QList<model::entity> m_lstBefore;
   QList<model::entity> m_lstAfter;
   bool m_bUndoSaved = false;
   bool m_bRedoSaved = false;
   // the project holds the "after" state: QUndoStack::push() runs redo() on a project already there
   bool m_bAfter = true;
   vx::VxBool m_result = vx::VxBool(true);
};

} // namespace undo_redo

#endif // UNDO_REDO_UNDO_PROJECT_H
