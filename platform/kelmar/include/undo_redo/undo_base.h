#ifndef UNDO_REDO_UNDO_BASE_H
#define UNDO_REDO_UNDO_BASE_H

#include <QUndoCommand>

#include <vx/VxBool.h>

namespace undo_redo {

class undo_base : public QUndoCommand
{
public:
   /** True while an operation records its own undo step: the host then records none of its own. */
   static bool m_bCreateUndoRedoInEvent;

   virtual bool canBePushedToUndoStack() const { return true; }
   /** What the last undo() or redo() gave: a failed one changed nothing. */
   virtual vx::VxBool getResult() const { return vx::VxBool(true); }
};

} // namespace undo_redo

#endif // UNDO_REDO_UNDO_BASE_H
