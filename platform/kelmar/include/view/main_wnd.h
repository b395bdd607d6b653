#ifndef VIEW_MAIN_WND_H
#define VIEW_MAIN_WND_H

#include <QMainWindow>
#include <QStringList>
#include <QUndoStack>

class QAction;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTreeWidget;

namespace plugin { class import_interface; }
namespace undo_redo { class undo_base; }

namespace view {

class entity_diagram;

/** The host's main window: the project's entities as a list and a diagram, the import plug-ins,
    the undo stack and the messages. Without a display it is never shown: plug-ins still read the
    command line from it and hand it their undo commands. */
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

   /** A menu entry that runs the plug-in's import; its messages go to the log, its reload and layout requests to the views. */
   void addImportPlugin(plugin::import_interface* pPlugin);

public Q_SLOTS:
   /** Reads the current project's entities again into the list and the diagram. */
   void doReloadProject();
   void doOrganizeLayout();
   /** Shows in the entity list only the entities whose "namespace::name" holds the text (any case). */
   void doTxtFindEntityChanged(const QString& sText);
   /** A line in the log pane, and the text in the status bar for iTimeout milliseconds. */
   void doMessage(const QString& sMessage, int iType, int iTimeout);

private:
   void initWidgets();
   void initMenus();
   void doImport(plugin::import_interface* pPlugin);
   /** Undoes (or redoes) the command at the stack's place and says so; one that failed leaves the stack where it was and says why. */
   void doUndoRedo(bool bUndo);
   /** Asks for a file and writes the diagram there ("png" or "svg"). */
   void doExportDiagram(const QString& sFormat);

   QStringList m_lstAppArgs;
   QUndoStack m_undoStack;
   QLineEdit* m_txtFindEntity = nullptr;
   QTreeWidget* m_treeEntities = nullptr;
   entity_diagram* m_viewDiagram = nullptr;
   QPlainTextEdit* m_txtLog = nullptr;
   QMenu* m_menuImport = nullptr;
};

} // namespace view

#endif // VIEW_MAIN_WND_H
