// The host's main window on Qt's offscreen platform: the project as a list and a diagram, the import
// plug-in's menu entry, its messages, and undo and redo of its import from the Edit menu.
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPluginLoader>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <context/ctx_global.h>
#include <context/ctx_project.h>
#include <plugin/import_interface.h>
#include <view/entity_diagram.h>
#include <view/main_wnd.h>

#include "test_env.h"

namespace {

model::entity makeEntity(const QString& sNamespace, const QString& sName, const QStringList& lstProperties, const QString& sTarget = QString())
{
   model::entity e;
   e.nameSpace = sNamespace;
   e.name = sName;
   for (const QString& sProperty : lstProperties)
   {
      model::entity_property p;
      p.name = sProperty;
      p.cppType = "long";
      p.primaryKey = (sProperty == lstProperties.first());
      e.properties << p;
   }
   if (! sTarget.isEmpty())
   {
      model::entity_relationship r;
      r.name = sTarget;
      r.kind = "many-to-one";
      r.targetNamespace = sNamespace;
      r.targetEntity = sTarget;
      e.relationships << r;
      r.kind = "one-to-many"; // the way back, as the importer adds it: no second line
      e.relationships << r;
   }
   return e;
}

/** The list pane as "namespace: entity, entity" lines, in the order shown. */
QStringList treeLines(const QTreeWidget* pTree)
{
   QStringList lst;
   for (int i = 0; i < pTree->topLevelItemCount(); ++i)
   {
      const QTreeWidgetItem* pNamespace = pTree->topLevelItem(i);
      QStringList lstChildren;
      for (int j = 0; j < pNamespace->childCount(); ++j) { lstChildren << pNamespace->child(j)->text(0); }
      lst << (pNamespace->text(0) + ": " + lstChildren.join(", "));
   }
   return lst;
}

QStringList boxTexts(const QGraphicsRectItem* pBox)
{
   QStringList lst;
   for (const QGraphicsItem* pChild : pBox->childItems())
   {
      if (const auto* pText = dynamic_cast<const QGraphicsSimpleTextItem*>(pChild)) { lst << pText->text(); }
   }
   return lst;
}

/** True when a box of these entities lies over another. */
bool anyOverlap(const view::entity_diagram* pDiagram, const QList<model::entity>& lst)
{
   QList<QRectF> lstRects;
   for (const model::entity& e : lst)
   {
      const QRectF rect = pDiagram->getBox(e.fullName())->sceneBoundingRect();
      for (const QRectF& other : lstRects) { if (rect.intersects(other)) { return true; } }
      lstRects << rect;
   }
   return false;
}

} // namespace

class tst_host_window : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;
   QPluginLoader m_loader;
   std::shared_ptr<plugin::generic_importer> m_pImporter = std::make_shared<plugin::generic_importer>();

   template <class T> static T* child(const QObject* pParent, const char* sName)
   {
      T* p = pParent->findChild<T*>(QString::fromLatin1(sName));
      if (! p) { qWarning("no child %s", sName); }
      return p;
   }

private Q_SLOTS:
   void initTestCase() { QVERIFY(m_dir.isValid()); }

   void cleanup()
   {
      context::ctx_global::setMainWnd(nullptr);
      context::ctx_project::closeProject();
   }

   // entities grouped by namespace in the list, a box per entity and a line per relationship in the diagram
   void projectAsListAndDiagram()
   {
      QVERIFY(context::ctx_project::openProject(m_dir.filePath("list.kelmar")).getValue());
      const QList<model::entity> lst = { makeEntity("sales", "orders", { "order_id", "customer_id" }, "customer"),
                                         makeEntity("sales", "customer", { "customer_id", "name", "email" }),
                                         makeEntity("", "setting", { "setting_key", "value" }),
                                         makeEntity("sales", "order_line", { "order_id", "line_no" }, "orders"),
                                         makeEntity("stock", "product", { "product_id" }, "missing") };
      QVERIFY(context::ctx_project::getProject()->addEntities(lst).getValue());

      view::main_wnd wnd;
      wnd.doReloadProject();
      QCOMPARE(wnd.windowTitle(), QString("Kelmar - list.kelmar"));
      QCOMPARE(treeLines(child<QTreeWidget>(&wnd, "m_treeEntities")),
               QStringList({ "(no namespace): setting", "sales: customer, order_line, orders", "stock: product" }));

      const auto* pDiagram = child<view::entity_diagram>(&wnd, "m_viewDiagram");
      for (const model::entity& e : lst)
      {
         const QGraphicsRectItem* pBox = pDiagram->getBox(e.fullName());
         QVERIFY2(pBox, qPrintable(e.fullName()));
         QStringList lstExpected(e.fullName());
         for (const model::entity_property& p : e.properties) { lstExpected << (p.name + " : long"); }
         QCOMPARE(boxTexts(pBox), lstExpected);
      }
      // orders -> customer and order_line -> orders; product's target is not in the project
      QCOMPARE(pDiagram->getLineCount(), 2);

      // organised: a grid of 3 columns for 5 boxes, no box over another
      QVERIFY(anyOverlap(pDiagram, lst));
      wnd.doOrganizeLayout();
      QVERIFY(! anyOverlap(pDiagram, lst));
      QList<QRectF> lstRects;
      QSet<qreal> setColumns;
      for (const model::entity& e : lst)
      {
         lstRects << pDiagram->getBox(e.fullName())->sceneBoundingRect();
         setColumns << lstRects.last().left();
      }
      QCOMPARE(setColumns.count(), 3);
      // row after row in the list's order
      QMap<QPair<qreal, qreal>, QString> mapByPlace;
      for (const model::entity& e : lst) { mapByPlace.insert({ pDiagram->getBox(e.fullName())->y(), pDiagram->getBox(e.fullName())->x() }, e.fullName()); }
      QCOMPARE(mapByPlace.values(), QStringList({ "setting", "sales::customer", "sales::order_line", "sales::orders", "stock::product" }));

      // a reload keeps the places of the boxes it had
      QVERIFY(context::ctx_project::getProject()->addEntities({ makeEntity("stock", "shelf", { "shelf_id" }) }).getValue());
      wnd.doReloadProject();
      for (int i = 0; i < lst.count(); ++i) { QCOMPARE(pDiagram->getBox(lst.at(i).fullName())->sceneBoundingRect(), lstRects.at(i)); }
      QVERIFY(pDiagram->getBox("stock::shelf"));
   }

   // the menu entry runs the plug-in's import (headless here); Edit's undo and redo take it away and back
   void importFromMenuThenUndoRedo()
   {
      const QString sDatabase = m_dir.filePath("shop.db");
      QCOMPARE(kel_test::makeSqlite(sDatabase, { "CREATE TABLE customer (customer_id INTEGER PRIMARY KEY, name VARCHAR(40) NOT NULL)",
                                                 "CREATE TABLE orders (order_id INTEGER PRIMARY KEY, customer_id INT NOT NULL REFERENCES customer (customer_id))" }), QString());
      QVERIFY(context::ctx_project::openProject(m_dir.filePath("menu.kelmar")).getValue());
      QVERIFY(context::ctx_project::getProject()->addEntities({ makeEntity("legacy", "kept", { "id" }) }).getValue());

      m_loader.setFileName(QString(KEL_PLUGIN_FILE));
      QVERIFY2(m_loader.load(), qPrintable(m_loader.errorString()));
      auto* pPlugin = qobject_cast<plugin::import_interface*>(m_loader.instance());
      QVERIFY(pPlugin);
      pPlugin->setGenericImporter(m_pImporter);

      view::main_wnd wnd;
      wnd.setAppArgs(kel_test::importArgs(kel_test::sqliteDsn(sDatabase), "5", { "--KelOdbcImport_namespace=shop" }));
      context::ctx_global::setMainWnd(&wnd);
      wnd.addImportPlugin(pPlugin);
      wnd.doReloadProject();
      const auto* pTree = child<QTreeWidget>(&wnd, "m_treeEntities");
      const QStringList lstBefore = treeLines(pTree);
      QCOMPARE(lstBefore, QStringList("legacy: kept"));

      const QList<QAction*> lstImports = child<QMenu>(&wnd, "m_menuImport")->actions();
      QCOMPARE(lstImports.count(), 1);
      QCOMPARE(lstImports.first()->text(), pPlugin->getShortDesc() + "...");
      auto* pUndo = child<QAction>(&wnd, "m_actUndo");
      auto* pRedo = child<QAction>(&wnd, "m_actRedo");
      QVERIFY(! pUndo->isEnabled());

      lstImports.first()->trigger();
      const QStringList lstAfter({ "legacy: kept", "shop: customer, orders" });
      QCOMPARE(treeLines(pTree), lstAfter);
      // the plug-in asked for the layout: the new boxes stand in the grid, not stacked
      const auto* pDiagram = child<view::entity_diagram>(&wnd, "m_viewDiagram");
      QVERIFY(! anyOverlap(pDiagram, context::ctx_project::getProject()->getEntities()));
      QCOMPARE(pDiagram->getLineCount(), 1);
      const QString sLog = child<QPlainTextEdit>(&wnd, "m_txtLog")->toPlainText();
      QVERIFY2(sLog.contains("Organize diagram layout") && sLog.contains("ODBC plugin import process to current project finished (2 entities imported)"), qPrintable(sLog));
      QVERIFY(pUndo->isEnabled());
      QVERIFY(pUndo->text().contains("import from database using ODBC driver"));

      pUndo->trigger();
      QCOMPARE(treeLines(pTree), lstBefore);
      QCOMPARE(context::ctx_project::getProject()->getEntities().count(), 1);
      QVERIFY(pRedo->isEnabled());
      pRedo->trigger();
      QCOMPARE(treeLines(pTree), lstAfter);
      QCOMPARE(context::ctx_project::getProject()->getEntities().count(), 3);

      // the plug-in's reload request alone refreshes the window
      QVERIFY(context::ctx_project::getProject()->addEntities({ makeEntity("legacy", "added", { "id" }) }).getValue());
      Q_EMIT pPlugin->onReloadProject();
      QCOMPARE(treeLines(pTree), QStringList({ "legacy: added, kept", "shop: customer, orders" }));
   }
};

QTEST_MAIN(tst_host_window)
#include "tst_host_window.moc"
