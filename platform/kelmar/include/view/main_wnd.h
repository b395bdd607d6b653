#ifndef VIEW_MAIN_WND_H
#define VIEW_MAIN_WND_H

#include <QMainWindow>
#include <QStringList>
#include <QUndoStack>

namespace undo_redo { class undo_base; }

namespace view {

/** The host's main window: command line, undo stack and messages. */
class main_wnd : public QMainWindow
{
   Q_OBJECT

public:
   explicit main_wnd(QWidget* parent = nullptr);
   ~main_wnd() override;

   /** Values of every "NAME=VALUE" argument of the process whose NAME is sName ("--option"). */
   QStringList getAppArg(const QString& sName) const;
   /** Takes ownership of the command and puts it on the undo stack. */
   void addUndoRedoCommand(undo_redo::undo_base* pCommand);
   QUndoStack* getUndoStack() { return (&m_undoStack); }

   /** Command line read by getAppArg (the process's own by default). */
   void setAppArgs(const QStringList& lst) { m_lstAppArgs = lst; }

private:
   QStringList m_lstAppArgs;
   QUndoStack m_undoStack;
};

} // namespace view

#endif // VIEW_MAIN_WND_H
