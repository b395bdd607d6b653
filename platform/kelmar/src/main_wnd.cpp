#include <view/main_wnd.h>

#include <QCoreApplication>
#include <QDockWidget>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QTime>
#include <QTreeWidget>

#include <context/ctx_project.h>
#include <plugin/import_interface.h>
#include <undo_redo/undo_base.h>
#include <view/entity_diagram.h>

namespace view {

main_wnd::main_wnd(QWidget* parent) : QMainWindow(parent), m_lstAppArgs(QCoreApplication::arguments())
{
   setObjectName("main_wnd");
   setWindowTitle(tr("Kelmar"));
   resize(1240, 760);
   initWidgets();
   initMenus();
   // undo and redo change the project behind the views' back
   connect(&m_undoStack, &QUndoStack::indexChanged, this, &main_wnd::doReloadProject);
}

main_wnd::~main_wnd() = default;

void main_wnd::initWidgets()
{
   m_treeEntities = new QTreeWidget();
   m_treeEntities->setObjectName("m_treeEntities");
   m_treeEntities->setHeaderHidden(true);
   // long names scroll instead of being cut
   m_treeEntities->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
   m_treeEntities->header()->setStretchLastSection(false);
   m_viewDiagram = new entity_diagram();
   m_viewDiagram->setObjectName("m_viewDiagram");
   auto* pSplitter = new QSplitter(Qt::Horizontal, this);
   pSplitter->addWidget(m_treeEntities);
   pSplitter->addWidget(m_viewDiagram);
   pSplitter->setStretchFactor(1, 1);
   pSplitter->setSizes({ 270, 970 });
   setCentralWidget(pSplitter);

   m_txtLog = new QPlainTextEdit();
   m_txtLog->setObjectName("m_txtLog");
   m_txtLog->setReadOnly(true);
   auto* pDock = new QDockWidget(tr("Messages"), this);
   pDock->setObjectName("m_dockLog");
   pDock->setFeatures(QDockWidget::NoDockWidgetFeatures);
   pDock->setWidget(m_txtLog);
   addDockWidget(Qt::BottomDockWidgetArea, pDock);
   resizeDocks({ pDock }, { 140 }, Qt::Vertical);
   statusBar();
}

void main_wnd::initMenus()
{
   QMenu* pProject = menuBar()->addMenu(tr("&Project"));
   QAction* pReload = pProject->addAction(tr("&Reload"), this, &main_wnd::doReloadProject, QKeySequence::Refresh);
   pReload->setObjectName("m_actReload");
   QAction* pOrganize = pProject->addAction(tr("&Organize diagram layout"), this, &main_wnd::doOrganizeLayout, QKeySequence(Qt::CTRL + Qt::Key_L));
   pOrganize->setObjectName("m_actOrganizeLayout");
   pProject->addSeparator();
   pProject->addAction(tr("&Quit"), this, &QWidget::close, QKeySequence::Quit);

   QMenu* pEdit = menuBar()->addMenu(tr("&Edit"));
   QAction* pUndo = m_undoStack.createUndoAction(this, tr("&Undo"));
   pUndo->setObjectName("m_actUndo");
   pUndo->setShortcut(QKeySequence::Undo);
   QAction* pRedo = m_undoStack.createRedoAction(this, tr("&Redo"));
   pRedo->setObjectName("m_actRedo");
   pRedo->setShortcut(QKeySequence::Redo);
   pEdit->addAction(pUndo);
   pEdit->addAction(pRedo);

   m_menuImport = menuBar()->addMenu(tr("&Import"));
   m_menuImport->setObjectName("m_menuImport");
}

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

void main_wnd::addImportPlugin(plugin::import_interface* pPlugin)
{
   if (! pPlugin) { return; }
   QAction* pAction = m_menuImport->addAction(pPlugin->getIcon(), pPlugin->getShortDesc() + "...", this, [this, pPlugin]() { doImport(pPlugin); });
   pAction->setObjectName("m_actImport_" + pPlugin->getName());
   connect(pPlugin, &plugin::base_interface::onMessage, this, &main_wnd::doMessage);
   connect(pPlugin, &plugin::base_interface::onReloadProject, this, &main_wnd::doReloadProject);
   connect(pPlugin, &plugin::base_interface::onOrganizeLayout, this, &main_wnd::doOrganizeLayout);
}

void main_wnd::doImport(plugin::import_interface* pPlugin)
{
   const std::shared_ptr<model::project> pProject = context::ctx_project::getProject();
   if (! pProject) { doMessage(tr("No project is open"), 2, 0); return; }
   const vx::VxBool result = pPlugin->importProject(*pProject);
   if (! result.getValue()) { doMessage(pPlugin->getName() + " : " + result.getDesc(), 2, 0); }
}

void main_wnd::doReloadProject()
{
   const std::shared_ptr<model::project> pProject = context::ctx_project::getProject();
   QList<model::entity> lst;
   if (pProject)
   {
      vx::VxBool result;
      lst = pProject->getEntities(&result);
      if (! result.getValue()) { doMessage(result.getDesc(), 2, 0); }
      setWindowTitle(tr("Kelmar - %1").arg(QFileInfo(pProject->getFilePath()).fileName()));
   }

   m_treeEntities->clear();
   QHash<QString, QTreeWidgetItem*> hashNamespaces;
   for (const model::entity& e : lst)
   {
      QTreeWidgetItem* pNamespace = hashNamespaces.value(e.nameSpace);
      if (! pNamespace)
      {
         pNamespace = new QTreeWidgetItem(m_treeEntities, QStringList(e.nameSpace.isEmpty() ? tr("(no namespace)") : e.nameSpace));
         QFont font = pNamespace->font(0);
         font.setBold(true);
         pNamespace->setFont(0, font);
         hashNamespaces.insert(e.nameSpace, pNamespace);
      }
      auto* pEntity = new QTreeWidgetItem(pNamespace, QStringList(e.isView ? tr("%1 (view)").arg(e.name) : e.name));
      pEntity->setToolTip(0, e.description.isEmpty() ? e.fullName() : (e.fullName() + " : " + e.description));
   }
   m_treeEntities->sortItems(0, Qt::AscendingOrder);
   m_treeEntities->expandAll();
   m_viewDiagram->setEntities(lst);
}

void main_wnd::doOrganizeLayout() { m_viewDiagram->organizeLayout(); }

void main_wnd::doMessage(const QString& sMessage, int iType, int iTimeout)
{
   Q_UNUSED(iType);
   m_txtLog->appendPlainText(QTime::currentTime().toString("HH:mm:ss") + "  " + sMessage);
   statusBar()->showMessage(sMessage, iTimeout);
}

} // namespace view
