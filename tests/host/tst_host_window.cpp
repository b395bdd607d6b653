// The host's main window on Qt's offscreen platform: the project as a list grouped by namespace and as a
// diagram of boxes and lines whose places a reload keeps, zoomed, fitted, followed from the list, exported.
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QTemporaryDir>
#include <QAction>
#include <QSvgRenderer>
#include <QPlainTextEdit>
#include <QTreeWidget>
#include <QtTest>

#include <context/ctx_project.h>
#include <view/entity_diagram.h>
#include <undo_redo/undo_project.h>
#include <view/main_wnd.h>

#include "modal_watch.h"
#include "test_env.h"

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
      QList<model::entity> lst = { makeEntity("sales", "orders", { "order_id", "customer_id" }, "customer"),
                                         makeEntity("sales", "customer", { "customer_id", "name", "email" }),
                                         makeEntity("", "setting", { "setting_key", "value" }),
                                         makeEntity("sales", "order_line", { "order_id", "line_no" }, "orders"),
                                         makeEntity("stock", "product", { "product_id" }, "missing") };
      // a description from a database is text: shown as written (as HTML its image would be read)
      const QString sMarkup("<b>key</b> &amp; <img src='/nonexistent.png'>");
      lst[2].description = sMarkup;
      QVERIFY(context::ctx_project::getProject()->addEntities(lst).getValue());
      view::main_wnd wnd;
      wnd.doReloadProject();

      // the list: a node per namespace, its entities below it, both sorted
      QStringList lstTree;
      for (QTreeWidgetItemIterator it(wnd.findChild<QTreeWidget*>("m_treeEntities")); *it; ++it) { lstTree << (((*it)->parent() ? "  " : "") + (*it)->text(0)); }
      QCOMPARE(lstTree, QStringList({ "(no namespace)", "  setting", "sales", "  customer", "  order_line", "  orders", "stock", "  product" }));
      const QTreeWidgetItem* pSetting = wnd.findChild<QTreeWidget*>("m_treeEntities")->findItems("setting", Qt::MatchExactly | Qt::MatchRecursive).value(0);
      QCOMPARE(kel_test::shownText(pSetting->toolTip(0)), "setting : " + sMarkup);

      // the diagram: a box per entity with its name and properties; orders -> customer and order_line -> orders
      // make a line each, product's target is not in the project
      auto* pDiagram = wnd.findChild<view::entity_diagram*>("m_viewDiagram");
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
      QCOMPARE(kel_test::shownText(pDiagram->getBox("setting")->toolTip()), sMarkup);

      // laid out at once; a reload of the same entities keeps every place
      const QList<QRectF> lstRects = boxRects(pDiagram, lst);
      QVERIFY(! anyOverlap(lstRects));
      wnd.doReloadProject();
      QCOMPARE(boxRects(pDiagram, lst), lstRects);

      // zoom with Ctrl and the wheel or the keys, fit to the window; an entity chosen in the list is scrolled to and highlighted
      wnd.resize(500, 400);
      wnd.show();
      QVERIFY(QTest::qWaitForWindowActive(&wnd));
      pDiagram->setZoom(1.0);
      QWheelEvent wheel(QPointF(50, 50), pDiagram->viewport()->mapToGlobal(QPoint(50, 50)), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(pDiagram->viewport(), &wheel);
      QCOMPARE(pDiagram->getZoom(), 1.44);
      QTest::keyClick(&wnd, Qt::Key_Minus, Qt::ControlModifier);
      QCOMPARE(pDiagram->getZoom(), 1.44 / 1.25);
      wnd.findChild<QAction*>("m_actFitToWindow")->trigger();
      const QSize fitted = pDiagram->mapFromScene(pDiagram->sceneRect()).boundingRect().size(), window = pDiagram->viewport()->size();
      QVERIFY2((fitted.width() <= window.width() + 1) && (fitted.height() <= window.height() + 1) && (qMax(fitted.width() - window.width(), fitted.height() - window.height()) > -4),
               qPrintable(QString("%1x%2 in %3x%4").arg(fitted.width()).arg(fitted.height()).arg(window.width()).arg(window.height())));
      pDiagram->setZoom(2.0);
      auto* pTree = wnd.findChild<QTreeWidget*>("m_treeEntities");
      for (const QString& sName : { "stock::product", "setting" })
      {
         pTree->setCurrentItem(pTree->findItems(sName.section("::", -1), Qt::MatchExactly | Qt::MatchRecursive).value(0));
         QCOMPARE(pDiagram->getSelectedEntity(), sName);
         QVERIFY(pDiagram->viewport()->rect().contains(pDiagram->mapFromScene(pDiagram->getBox(sName)->sceneBoundingRect().center())));
         QCOMPARE(pDiagram->getBox(sName)->pen().width(), 3);
      }
      QCOMPARE(pDiagram->getBox("stock::product")->pen().width(), 1);

      // the whole diagram as a picture that a reader takes whole
      for (const QString& sFile : { "diagram.png", "diagram.svg" })
      {
         QVERIFY(pDiagram->exportTo(m_dir.filePath(sFile)).getValue());
         const QImage picture = (sFile.endsWith("png") ? QImage(m_dir.filePath(sFile)) : QImage());
         QSvgRenderer svg(m_dir.filePath(sFile));
         QVERIFY2(sFile.endsWith("png") ? (picture.size() == pDiagram->sceneRect().size().toSize()) : (svg.isValid() && (svg.viewBoxF().size() == pDiagram->sceneRect().size())), qPrintable(sFile));
      }
      QVERIFY(! pDiagram->exportTo(m_dir.filePath("diagram.bmp")).getValue());

      // an empty project says where its entities come from
      context::ctx_project::closeProject();
      QVERIFY(context::ctx_project::openProject(m_dir.filePath("empty.kelmar")).getValue());
      wnd.doReloadProject();
      const QList<QGraphicsItem*> lstItems = pDiagram->scene()->items();
      QVERIFY((lstItems.count() == 1) && dynamic_cast<QGraphicsSimpleTextItem*>(lstItems.first())->text().contains("use the Import menu"));
      context::ctx_project::closeProject();
   }

   // undo and redo say what they did; one that cannot write the project (another program reads it, a trigger refuses)
   // leaves the project and the stack where they were and says why
   void undoRedo()
   {
      const QString sProject = m_dir.filePath("undo.kelmar");
      QVERIFY(context::ctx_project::openProject(sProject).getValue());
      const auto pProject = context::ctx_project::getProject();
      auto* pCommand = new undo_redo::undo_project();
      pCommand->setText("add x");
      QVERIFY(pCommand->backupUndoProject(pProject).getValue() && pProject->addEntities({ makeEntity("", "x", { "id" }) }).getValue());
      QVERIFY(pCommand->backupRedoProject(pProject).getValue());
      view::main_wnd wnd;
      wnd.addUndoRedoCommand(pCommand);
      kel_test::connection other(sProject, "QSQLITE");
      const QList<std::tuple<const char*, QString, int, QString>> lstSteps = {   // action, what the other program does, stack index, last message
         { "m_actUndo", "BEGIN", 1, "Undo of 'add x' failed, the project is unchanged : cannot restore the project's entities : database is locked" },
         { "m_actUndo", "ROLLBACK", 0, "Undo : add x" },
         { "m_actRedo", "CREATE TRIGGER refuse BEFORE INSERT ON t_entity BEGIN SELECT RAISE(ABORT, 'read-only'); END", 0,
           "Redo of 'add x' failed, the project is unchanged : cannot restore the project's entities : read-only" },
         { "m_actRedo", "DROP TRIGGER refuse", 1, "Redo : add x" } };
      for (const auto& [sAction, sOther, iIndex, sMessage] : lstSteps)
      {
         QCOMPARE(other.exec({ sOther }), QString());
         if (sOther == "BEGIN") { QCOMPARE(other.column("SELECT count(*) FROM t_entity"), QStringList("1")); }
         wnd.findChild<QAction*>(sAction)->trigger();
         QCOMPARE(wnd.getUndoStack()->index(), iIndex);
         QCOMPARE(pProject->getEntities().count(), iIndex);
         QCOMPARE(wnd.findChild<QPlainTextEdit*>("m_txtLog")->toPlainText().split('\n').last().section("  ", 1).section(" Unable", 0, 0), sMessage);
      }
      context::ctx_project::closeProject();
   }
};

QTEST_MAIN(tst_host_window)
#include "tst_host_window.moc"
