#ifndef UNDO_REDO_UNDO_BASE_H
#define UNDO_REDO_UNDO_BASE_H

#include <QUndoCommand>

namespace undo_redo {

class undo_base : public QUndoCommand
{
public:
   /** True while an operation records its own undo step: the host then records none of its own. */
   static bool m_bCreateUndoRedoInEvent;

   virtual bool canBePushedToUndoStack() const { return true; }
};

} // namespace undo_redo

#endif // UNDO_REDO_UNDO_BASE_H
