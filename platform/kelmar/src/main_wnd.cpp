#include <view/main_wnd.h>

#include <QCoreApplication>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QTextDocument>
#include <QTime>
#include <QTreeWidget>

#include <context/ctx_project.h>
#include <plugin/import_interface.h>
#include <model/project.h>
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
   // a catalogue of a thousand tables is not scrolled through: its list is searched
   m_txtFindEntity = new QLineEdit();
   m_txtFindEntity->setObjectName("m_txtFindEntity");
   m_txtFindEntity->setPlaceholderText(tr("Find an entity"));
   m_txtFindEntity->setClearButtonEnabled(true);
   connect(m_txtFindEntity, &QLineEdit::textChanged, this, &main_wnd::doTxtFindEntityChanged);
   connect(m_txtFindEntity, &QLineEdit::returnPressed, this, [this]() {
      for (QTreeWidgetItemIterator it(m_treeEntities, QTreeWidgetItemIterator::NotHidden | QTreeWidgetItemIterator::NoChildren); *it; ++it)
      {
         if ((*it)->parent()) { m_treeEntities->setCurrentItem(*it); return; }
      }
   });
   auto* pList = new QWidget();
   auto* pListLayout = new QVBoxLayout(pList);
   pListLayout->setContentsMargins(0, 0, 0, 0);
   pListLayout->setSpacing(2);
   pListLayout->addWidget(m_txtFindEntity);
   pListLayout->addWidget(m_treeEntities);
   m_viewDiagram = new entity_diagram();
   m_viewDiagram->setObjectName("m_viewDiagram");
   // an entity chosen in the list: its box scrolled to and highlighted
   connect(m_treeEntities, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* pItem) {
      m_viewDiagram->selectEntity(pItem ? pItem->data(0, Qt::UserRole).toString() : QString());
   });
   auto* pSplitter = new QSplitter(Qt::Horizontal, this);
   pSplitter->addWidget(pList);
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
   pProject->addAction(tr("Export diagram as &PNG..."), this, [this]() { doExportDiagram("png"); })->setObjectName("m_actExportPng");
   pProject->addAction(tr("Export diagram as &SVG..."), this, [this]() { doExportDiagram("svg"); })->setObjectName("m_actExportSvg");
   pProject->addSeparator();
   pProject->addAction(tr("&Quit"), this, &QWidget::close, QKeySequence::Quit);

   QMenu* pEdit = menuBar()->addMenu(tr("&Edit"));
   // the stack's own actions, each run through doUndoRedo instead of moving the stack blindly
   QAction* pUndo = m_undoStack.createUndoAction(this, tr("&Undo"));
   pUndo->setObjectName("m_actUndo");
   pUndo->setShortcut(QKeySequence::Undo);
   QAction* pRedo = m_undoStack.createRedoAction(this, tr("&Redo"));
   pRedo->setObjectName("m_actRedo");
   pRedo->setShortcut(QKeySequence::Redo);
   pUndo->disconnect(&m_undoStack);
   pRedo->disconnect(&m_undoStack);
   connect(pUndo, &QAction::triggered, this, [this]() { doUndoRedo(true); });
   connect(pRedo, &QAction::triggered, this, [this]() { doUndoRedo(false); });
   pEdit->addAction(pUndo);
   pEdit->addAction(pRedo);

   QMenu* pView = menuBar()->addMenu(tr("&View"));
   QAction* pZoomIn = pView->addAction(tr("Zoom &in"), m_viewDiagram, &entity_diagram::doZoomIn);
   pZoomIn->setObjectName("m_actZoomIn");
   // Ctrl and "+" with or without Shift: "+" shares its key with "=" on many keyboards
   pZoomIn->setShortcuts({ QKeySequence(QKeySequence::ZoomIn), QKeySequence(Qt::CTRL + Qt::Key_Equal) });
   QAction* pZoomOut = pView->addAction(tr("Zoom &out"), m_viewDiagram, &entity_diagram::doZoomOut, QKeySequence::ZoomOut);
   pZoomOut->setObjectName("m_actZoomOut");
   QAction* pFit = pView->addAction(tr("&Fit to window"), m_viewDiagram, &entity_diagram::doFitToWindow, QKeySequence(Qt::CTRL + Qt::Key_0));
   pFit->setObjectName("m_actFitToWindow");

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
   // an import that asks for it lays the whole diagram out again; without it, a reload places only the new entities,
   // beside the others, which keep their places
   connect(pPlugin, &plugin::base_interface::onOrganizeLayout, m_viewDiagram, &entity_diagram::organizeLayout);
}

void main_wnd::doImport(plugin::import_interface* pPlugin)
{
   const std::shared_ptr<model::project> pProject = context::ctx_project::getProject();
   if (! pProject) { doMessage(tr("No project is open"), 2, 0); return; }
   const std::shared_ptr<plugin::generic_importer> pImporter = pPlugin->getGenericImporter();
   const int iRuns = (pImporter ? pImporter->getRunCount() : 0);
   const vx::VxBool result = pPlugin->importProject(*pProject);
   if (! result.getValue()) { doMessage(pPlugin->getName() + " : " + result.getDesc(), 2, 0); }
   // a cancelled dialog imports nothing and has nothing to count
   else if (pImporter && (pImporter->getRunCount() != iRuns)) { doMessage(pImporter->getCountMessage(), 1, 10000); }
}

void main_wnd::doExportDiagram(const QString& sFormat)
{
   const QString sFilter = ((sFormat == "svg") ? tr("SVG pictures (*.svg)") : tr("PNG pictures (*.png)"));
   // beside the project, named after it
   const std::shared_ptr<model::project> pProject = context::ctx_project::getProject();
   const QFileInfo project(pProject ? pProject->getFilePath() : QString("diagram"));
   const QString sProposed = QDir(pProject ? project.absolutePath() : QDir::currentPath()).filePath(project.completeBaseName() + "_diagram." + sFormat);
   QString sFile = QFileDialog::getSaveFileName(this, tr("Export diagram"), sProposed, sFilter);
   if (sFile.isEmpty()) { return; }
   if (QFileInfo(sFile).suffix().isEmpty()) { sFile += "." + sFormat; }
   const vx::VxBool result = m_viewDiagram->exportTo(sFile);
   doMessage(result.getValue() ? tr("Diagram exported to %1").arg(sFile) : result.getDesc(), result.getValue() ? 1 : 2, 10000);
}

void main_wnd::doUndoRedo(bool bUndo)
{
   const auto* pCommand = dynamic_cast<const undo_redo::undo_base*>(m_undoStack.command(m_undoStack.index() - (bUndo ? 1 : 0)));
   if (! pCommand) { return; }
   if (bUndo) { m_undoStack.undo(); } else { m_undoStack.redo(); }
   const vx::VxBool result = pCommand->getResult();
   if (result.getValue()) { doMessage((bUndo ? tr("Undo : %1") : tr("Redo : %1")).arg(pCommand->text()), 1, 10000); return; }
   // the project is as it was: the stack goes back to its place (the command knows it has nothing to do)
   if (bUndo) { m_undoStack.redo(); } else { m_undoStack.undo(); }
   doMessage((bUndo ? tr("Undo of '%1' failed, the project is unchanged : %2") : tr("Redo of '%1' failed, the project is unchanged : %2")).arg(pCommand->text(), result.getDesc()), 2, 0);
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

   // the list's selection is cleared with it: the highlight in the diagram stays with what was chosen
   const QString sSelected = m_viewDiagram->getSelectedEntity();
   m_treeEntities->clear();
   QHash<QString, QTreeWidgetItem*> hashNamespaces;
   QHash<QString, QTreeWidgetItem*> hashEntities;
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
      pEntity->setData(0, Qt::UserRole, e.fullName());
      hashEntities.insert(e.fullName(), pEntity);
      // names and descriptions come from databases: plain text, never rendered as markup
      pEntity->setToolTip(0, Qt::convertFromPlainText(e.description.isEmpty() ? e.fullName() : (e.fullName() + " : " + e.description), Qt::WhiteSpaceNormal));
   }
   m_treeEntities->sortItems(0, Qt::AscendingOrder);
   m_treeEntities->expandAll();
   doTxtFindEntityChanged(m_txtFindEntity->text());
   m_viewDiagram->setEntities(lst);
   if (QTreeWidgetItem* pSelected = hashEntities.value(sSelected)) { m_treeEntities->setCurrentItem(pSelected); }
}

void main_wnd::doOrganizeLayout() { m_viewDiagram->organizeLayout(); }

void main_wnd::doTxtFindEntityChanged(const QString& sText)
{
   const QString sFind = sText.trimmed();
   for (int i = 0; i < m_treeEntities->topLevelItemCount(); ++i)
   {
      QTreeWidgetItem* pNamespace = m_treeEntities->topLevelItem(i);
      bool bAny = false;
      for (int j = 0; j < pNamespace->childCount(); ++j)
      {
         QTreeWidgetItem* pEntity = pNamespace->child(j);
         // "namespace::name" as the diagram shows it, so that either part or both find it
         const bool bShown = (sFind.isEmpty() || pEntity->data(0, Qt::UserRole).toString().contains(sFind, Qt::CaseInsensitive));
         pEntity->setHidden(! bShown);
         bAny = (bAny || bShown);
      }
      pNamespace->setHidden(! bAny);
   }
}

void main_wnd::doMessage(const QString& sMessage, int iType, int iTimeout)
{
   Q_UNUSED(iType);
   m_txtLog->appendPlainText(QTime::currentTime().toString("HH:mm:ss") + "  " + sMessage);
   statusBar()->showMessage(sMessage, iTimeout);
}

} // namespace view
