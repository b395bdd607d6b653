// The host's diagram on Qt's offscreen platform: the layout's shape on graphs a catalogue gives (dense, a long
// chain, lone tables), boxes that keep their places when the entities shown stay or grow, the highlight and
// the export, the search over the entity list.
#include <QtTest>
#include <QtWidgets>

#include <random>

#include <context/ctx_project.h>
#include <view/entity_diagram.h>
#include <view/main_wnd.h>

#include "diagram_layout.h"

namespace {

/** n tables of ten columns; "dense": about two relationships each to tables before it, "chain": one to the table before. */
QList<model::entity> tables(int n, const QString& sShape, int iFirst = 0)
{
   QList<model::entity> lst;
   std::mt19937 random(static_cast<unsigned>(n));
   for (int i = iFirst; i < iFirst + n; ++i)
   {
      model::entity e{ "db", QString("t%1").arg(i) };
      for (int c = 0; c < 10; ++c) { e.properties.append({ QString("column_%1").arg(c), "QString" }); }
      const int iCount = ((i == 0) ? 0 : ((sShape == "chain") ? 1 : ((sShape == "dense") ? std::uniform_int_distribution<int>(0, 4)(random) : 0)));
      for (int k = 0; k < iCount; ++k)
      {
         const int iTo = ((sShape == "chain") ? (i - 1) : std::uniform_int_distribution<int>(0, i - 1)(random));
         e.relationships.append({ QString("fk_%1").arg(k), "many-to-one", "long", "db", QString("t%1").arg(iTo) });
      }
      lst.append(e);
   }
   return lst;
}

/** Each box's place by name. */
QHash<QString, QRectF> places(const view::entity_diagram& diagram, const QList<model::entity>& lst)
{
   QHash<QString, QRectF> hash;
   for (const model::entity& e : lst) { if (diagram.getBox(e.fullName()) && diagram.getBox(e.fullName())->scene()) { hash.insert(e.fullName(), diagram.getBox(e.fullName())->sceneBoundingRect()); } }
   return hash;
}

/** Pairs of boxes that overlap (none in a readable diagram). */
int overlaps(const QHash<QString, QRectF>& hash)
{
   const QList<QRectF> lst = hash.values();
   int iOverlaps = 0;
   for (int i = 0; i < lst.count(); ++i) { for (int j = i + 1; j < lst.count(); ++j) { iOverlaps += lst.at(i).intersects(lst.at(j)); } }
   return iOverlaps;
}

double aspect(const QSizeF& size) { return (qMax(size.width(), size.height()) / qMin(size.width(), size.height())); }

} // namespace

class tst_diagram : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;

   void setAndWait(view::entity_diagram& diagram, const QList<model::entity>& lst)
   {
      diagram.setEntities(lst);
      QTRY_VERIFY_WITH_TIMEOUT(! diagram.isLayingOut(), 60000);
   }

private Q_SLOTS:
   void shape_data()
   {
      QTest::addColumn<QString>("sShape");
      for (const char* s : { "dense", "chain", "lone" }) { QTest::newRow(s) << QString(s); }
   }

   // whatever the graph, the diagram is within 3:1, every box apart from the others and every relationship drawn
   void shape()
   {
      QFETCH(QString, sShape);
      view::entity_diagram diagram;
      diagram.resize(1000, 700);
      const QList<model::entity> lst = tables(400, sShape);
      setAndWait(diagram, lst);
      const QHash<QString, QRectF> hash = places(diagram, lst);
      int iRelationships = 0;
      for (const model::entity& e : lst) { iRelationships += e.relationships.count(); }
      QCOMPARE(QString("%1 boxes, %2 lines, %3 overlaps").arg(hash.count()).arg(diagram.getLineCount()).arg(overlaps(hash)), QString("400 boxes, %1 lines, 0 overlaps").arg(iRelationships));
      QVERIFY2(aspect(diagram.getDiagramRect().size()) <= 3.0, qPrintable(QString("%1 x %2").arg(diagram.getDiagramRect().width()).arg(diagram.getDiagramRect().height())));
   }

   // the same entities again (a reload, an undo and a redo) keep every place and the zoom without a layout; new ones go beside the others,
   // which keep theirs; a box leaving and coming back returns to its place; organizing lays the whole out again
   void placesKept()
   {
      view::entity_diagram diagram;
      const QList<model::entity> lstFirst = tables(30, "dense");
      setAndWait(diagram, lstFirst);
      const QHash<QString, QRectF> hashFirst = places(diagram, lstFirst);
      QSignalSpy laidOut(&diagram, &view::entity_diagram::onLayoutDone);
      diagram.setZoom(1.5);
      diagram.setEntities(lstFirst);
      QVERIFY(! diagram.isLayingOut() && (diagram.getZoom() == 1.5));
      QCOMPARE(places(diagram, lstFirst), hashFirst);
      const QList<model::entity> lstMore = lstFirst + tables(10, "dense", 30);
      setAndWait(diagram, lstMore);
      const QHash<QString, QRectF> hashMore = places(diagram, lstMore);
      QCOMPARE(QString("%1 boxes, %2 overlaps").arg(hashMore.count()).arg(overlaps(hashMore)), QString("40 boxes, 0 overlaps"));
      for (auto it = hashFirst.cbegin(); it != hashFirst.cend(); ++it) { QCOMPARE(hashMore.value(it.key()), it.value()); }
      for (const QList<model::entity>& lst : { lstFirst, lstMore }) { diagram.setEntities(lst); QVERIFY(! diagram.isLayingOut()); }
      QCOMPARE(places(diagram, lstMore), hashMore);
      QCOMPARE(laidOut.count(), 1);
      diagram.organizeLayout();
      QTRY_VERIFY_WITH_TIMEOUT(! diagram.isLayingOut(), 60000);
      QVERIFY((laidOut.count() == 2) && (places(diagram, lstMore) != hashMore) && (overlaps(places(diagram, lstMore)) == 0));
   }

   // the chosen box is drawn in a colour no line has, and an export leaves it out
   void highlightAndExport()
   {
      view::entity_diagram diagram;
      const QList<model::entity> lst = tables(6, "chain");
      setAndWait(diagram, lst);
      diagram.selectEntity("db::t3");
      QVERIFY(diagram.getBox("db::t3")->pen().color() == view::entity_diagram::getHighlightColor());
      QVERIFY(view::entity_diagram::getHighlightColor() != view::entity_diagram::getLineColor());
      for (QGraphicsPathItem* pLine : diagram.getLines()) { QVERIFY(pLine->pen().color() != view::entity_diagram::getHighlightColor()); }
      const QString sFile = m_dir.filePath("diagram.png");
      QVERIFY(diagram.exportTo(sFile).getValue());
      const QImage image(sFile);
      const QRgb highlight = view::entity_diagram::getHighlightColor().rgb();
      int iHighlighted = 0;
      for (int y = 0; y < image.height(); ++y) { for (int x = 0; x < image.width(); ++x) { iHighlighted += (image.pixel(x, y) == highlight); } }
      QCOMPARE(QString("%1 highlighted pixels, %2 still selected").arg(iHighlighted).arg(diagram.getBox("db::t3")->pen().color() == view::entity_diagram::getHighlightColor()), QString("0 highlighted pixels, 1 still selected"));
   }

   // the entity list's search keeps the entities whose "namespace::name" holds the text; Return chooses the first
   void searchList()
   {
      QVERIFY(context::ctx_project::openProject(m_dir.filePath("search.kelmar")).getValue());
      QList<model::entity> lst = tables(12, "lone");
      lst.append(model::entity{ "other", "t1_archive" });
      QVERIFY(context::ctx_project::getProject()->addEntities(lst).getValue());
      view::main_wnd wnd;
      wnd.doReloadProject();
      auto* pTree = wnd.findChild<QTreeWidget*>("m_treeEntities");
      const auto shown = [pTree]() {
         QStringList lstShown;
         for (QTreeWidgetItemIterator it(pTree, QTreeWidgetItemIterator::NotHidden); *it; ++it) { if ((*it)->parent()) { lstShown << (*it)->data(0, Qt::UserRole).toString(); } }
         return lstShown.join(' ');
      };
      auto* pFind = wnd.findChild<QLineEdit*>("m_txtFindEntity");
      for (const QString& sCase : { "T1: db::t1 db::t10 db::t11 other::t1_archive", "db::t1: db::t1 db::t10 db::t11", "other: other::t1_archive", "zz: " })
      {
         pFind->setText(sCase.section(": ", 0, 0));
         QCOMPARE(shown(), sCase.section(": ", 1));
      }
      pFind->setText("db::t11");
      QTest::keyClick(pFind, Qt::Key_Return);
      QCOMPARE(wnd.findChild<view::entity_diagram*>("m_viewDiagram")->getSelectedEntity(), QString("db::t11"));
      QTest::qWait(400); // the field's clear button ends its fade-in: Qt leaks the animation of a field destroyed in mid-fade
      context::ctx_project::closeProject();
   }
};

QTEST_MAIN(tst_diagram)
#include "tst_diagram.moc"
