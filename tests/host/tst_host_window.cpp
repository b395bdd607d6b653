// The host's main window on Qt's offscreen platform: the project as a list grouped by namespace and as a
// diagram of boxes and lines, organised into a grid whose places a reload keeps.
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <context/ctx_project.h>
#include <view/entity_diagram.h>
#include <view/main_wnd.h>

namespace {

model::entity makeEntity(const QString& sNamespace, const QString& sName, const QStringList& lstProperties, const QString& sTarget = QString())
{
   model::entity e{ sNamespace, sName };
   for (const QString& sProperty : lstProperties) { e.properties << model::entity_property{ sProperty, "long", "", "", "", false, (sProperty == lstProperties.first()) }; }
   // a relationship and its way back, as the importer adds them: one line
   for (const char* sKind : { "many-to-one", "one-to-many" }) { if (! sTarget.isEmpty()) { e.relationships << model::entity_relationship{ sTarget, sKind, "", sNamespace, sTarget }; } }
   return e;
}

/** The scene rectangles of the entities' boxes, in the entities' order. */
QList<QRectF> boxRects(const view::entity_diagram* pDiagram, const QList<model::entity>& lst)
{
   QList<QRectF> lstRects;
   for (const model::entity& e : lst) { lstRects << pDiagram->getBox(e.fullName())->sceneBoundingRect(); }
   return lstRects;
}

bool anyOverlap(const QList<QRectF>& lstRects)
{
   for (int i = 0; i < lstRects.count(); ++i) { for (int j = 0; j < i; ++j) { if (lstRects.at(i).intersects(lstRects.at(j))) { return true; } } }
   return false;
}

} // namespace

class tst_host_window : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;

private Q_SLOTS:
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

      // the list: a node per namespace, its entities below it, both sorted
      QStringList lstTree;
      for (QTreeWidgetItemIterator it(wnd.findChild<QTreeWidget*>("m_treeEntities")); *it; ++it) { lstTree << (((*it)->parent() ? "  " : "") + (*it)->text(0)); }
      QCOMPARE(lstTree, QStringList({ "(no namespace)", "  setting", "sales", "  customer", "  order_line", "  orders", "stock", "  product" }));

      // the diagram: a box per entity with its name and properties; orders -> customer and order_line -> orders
      // make a line each, product's target is not in the project
      const auto* pDiagram = wnd.findChild<view::entity_diagram*>("m_viewDiagram");
      for (const model::entity& e : lst)
      {
         const QGraphicsRectItem* pBox = pDiagram->getBox(e.fullName());
         QVERIFY2(pBox, qPrintable(e.fullName()));
         QStringList lstExpected(e.fullName()), lstTexts;
         for (const model::entity_property& p : e.properties) { lstExpected << (p.name + " : long"); }
         for (const QGraphicsItem* pChild : pBox->childItems()) { if (const auto* pText = dynamic_cast<const QGraphicsSimpleTextItem*>(pChild)) { lstTexts << pText->text(); } }
         QCOMPARE(lstTexts, lstExpected);
      }
      QCOMPARE(pDiagram->getLineCount(), 2);

      // organised: new boxes stand stacked, then in a grid of 3 columns, row after row in the list's order
      QVERIFY(anyOverlap(boxRects(pDiagram, lst)));
      wnd.doOrganizeLayout();
      const QList<QRectF> lstRects = boxRects(pDiagram, lst);
      QVERIFY(! anyOverlap(lstRects));
      QMap<QPair<qreal, qreal>, QString> mapByPlace;
      QSet<qreal> setColumns;
      for (int i = 0; i < lst.count(); ++i)
      {
         mapByPlace.insert({ lstRects.at(i).top(), lstRects.at(i).left() }, lst.at(i).fullName());
         setColumns << lstRects.at(i).left();
      }
      QCOMPARE(setColumns.count(), 3);
      QCOMPARE(mapByPlace.values(), QStringList({ "setting", "sales::customer", "sales::order_line", "sales::orders", "stock::product" }));

      // a reload keeps the places of the boxes it had
      QVERIFY(context::ctx_project::getProject()->addEntities({ makeEntity("stock", "shelf", { "shelf_id" }) }).getValue());
      wnd.doReloadProject();
      QCOMPARE(boxRects(pDiagram, lst), lstRects);
      QVERIFY(pDiagram->getBox("stock::shelf"));
      context::ctx_project::closeProject();
   }
};

QTEST_MAIN(tst_host_window)
#include "tst_host_window.moc"
