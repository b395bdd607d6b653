#include <view/main_wnd.h>

#include <QCoreApplication>

#include <undo_redo/undo_base.h>

namespace view {

main_wnd::main_wnd(QWidget* parent) : QMainWindow(parent), m_lstAppArgs(QCoreApplication::arguments()) { ; }

main_wnd::~main_wnd() = default;

QStringList main_wnd::getAppArg(const QString& sName) const
{
   // the value is everything after the first "=": connection strings hold "=" and ";" themselves
   const QString sPrefix = sName + "=";
   QStringList lst;
   for (const QString& sArg : m_lstAppArgs)
   {
      if (sArg.startsWith(sPrefix)) { lst.append(sArg.mid(sPrefix.size())); }
   }
   return lst;
}

void main_wnd::addUndoRedoCommand(undo_redo::undo_base* pCommand)
{
   if (pCommand) { m_undoStack.push(pCommand); }
}

} // namespace view
