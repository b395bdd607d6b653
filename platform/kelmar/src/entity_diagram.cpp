#include <view/entity_diagram.h>

#include <cmath>

#include <QBrush>
#include <QSet>
#include <QFileInfo>
#include <QFont>
#include <QGraphicsEllipseItem>
#include <QGraphicsLineItem>
#include <QGraphicsPathItem>
#include <QGraphicsPolygonItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPen>
#include <QSvgGenerator>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <QWheelEvent>

#include "diagram_layout.h"

namespace view {

namespace {
const qreal k_dPadding = 6.0;
const qreal k_dMargin = 24.0;
const qreal k_dMinZoom = 0.001;
const qreal k_dMaxZoom = 4.0;
const qreal k_dReadableZoom = 0.6;
// a picture's longest side and its pixel count, so that a diagram of thousands of tables still fits in memory
const qreal k_dMaxPictureSide = 8192.0;
const qreal k_dMaxPicturePixels = 40e6;
const qreal k_dGap = 48.0;
const qreal k_dScreenRatio = 1.6;
// the lines are orange: a selected box is teal, a colour no line has
const QColor k_colorLine(200, 80, 0);
const QColor k_colorHighlight(0, 150, 136);
const QColor k_colorHighlightFill(224, 242, 241);

QString fullName(const QString& sNamespace, const QString& sName) { return (sNamespace.isEmpty() ? sName : (sNamespace + "::" + sName)); }

/** Moving thousands of items one by one through the scene's index costs more with every item: the index is
    switched off meanwhile and built once afterwards. */
struct scene_bulk_change
{
   explicit scene_bulk_change(QGraphicsScene* p) : pScene(p) { pScene->setItemIndexMethod(QGraphicsScene::NoIndex); }
   ~scene_bulk_change() { pScene->setItemIndexMethod(QGraphicsScene::BspTreeIndex); }
   QGraphicsScene* pScene;
};

/** A point before the path's end along its last stretch, to aim the arrow head: the last control point that is not
    the end itself (measuring the curve's length instead costs more than the rest of drawing thousands of lines). */
QPointF beforeEnd(const QPainterPath& path)
{
   const QPointF end = path.elementAt(path.elementCount() - 1);
   for (int i = path.elementCount() - 2; i >= 0; --i) { if (QLineF(path.elementAt(i), end).length() > 1.0) { return path.elementAt(i); } }
   return end - QPointF(0.0, 1.0);
}
} // namespace

entity_diagram::entity_diagram(QWidget* parent) : QGraphicsView(parent)
{
   setScene(new QGraphicsScene(this));
   setRenderHint(QPainter::Antialiasing);
   setAlignment(Qt::AlignLeft | Qt::AlignTop);
   setBackgroundBrush(QColor(248, 248, 248));
   setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
   setDragMode(QGraphicsView::ScrollHandDrag);
}

QGraphicsRectItem* entity_diagram::createBox(const model::entity& e)
{
   auto* pBox = new QGraphicsRectItem();
   pBox->setBrush(Qt::white);
   pBox->setPen(QPen(e.isView ? QColor(120, 120, 120) : QColor(0, 0, 160), 1.0));
   // descriptions and names come from databases: plain text, never rendered as markup
   pBox->setToolTip(e.description.isEmpty() ? QString() : Qt::convertFromPlainText(e.description, Qt::WhiteSpaceNormal));

   QFont fontTitle = font();
   fontTitle.setBold(true);
   auto* pTitle = new QGraphicsSimpleTextItem(fullName(e.nameSpace, e.name) + (e.isView ? " (view)" : ""), pBox);
   pTitle->setFont(fontTitle);
   pTitle->setPos(k_dPadding, k_dPadding);
   qreal dWidth = pTitle->boundingRect().width();
   qreal dY = k_dPadding + pTitle->boundingRect().height() + k_dPadding;
   auto* pRule = new QGraphicsLineItem(pBox);
   pRule->setPen(pBox->pen());
   const qreal dRuleY = dY - (k_dPadding / 2.0);

   for (const model::entity_property& p : e.properties)
   {
      auto* pLine = new QGraphicsSimpleTextItem(p.name + " : " + p.cppType, pBox);
      if (p.primaryKey)
      {
         QFont fontKey = font();
         fontKey.setUnderline(true);
         pLine->setFont(fontKey);
      }
      pLine->setPos(k_dPadding, dY);
      dWidth = qMax(dWidth, pLine->boundingRect().width());
      dY += pLine->boundingRect().height();
   }
   // whole units: Graphviz gets the sizes as they are drawn
   pBox->setRect(0.0, 0.0, std::ceil(dWidth + (2.0 * k_dPadding)), std::ceil(dY + k_dPadding));
   pRule->setLine(0.0, dRuleY, pBox->rect().width(), dRuleY);
   return pBox;
}

entity_diagram::~entity_diagram()
{
   // a layout cannot be stopped halfway: its result is waited for and dropped
   if (m_pLayoutThread)
   {
      disconnect(m_pLayoutThread, nullptr, this, nullptr);
      m_pLayoutThread->wait();
      delete m_pLayoutThread;
   }
   dropUnplacedBoxes();
}

// a box enters the scene once it has a place: thousands of boxes on one spot would make the scene's index a list
void entity_diagram::dropUnplacedBoxes()
{
   for (QGraphicsRectItem* pBox : m_hashBoxes) { if (! pBox->scene()) { delete pBox; } }
   m_hashBoxes.clear();
}

/** What one layout works on, and what it found: built on the GUI thread, laid out on another, applied on the GUI thread. */
struct entity_diagram::layout_job
{
   bool bWhole = false;
   QString sKey;
   QStringList lstNames;
   QVector<QSizeF> vSizes;
   QVector<diagram_layout::edge> vEdges;
   QStringList lstEdgeKeys;
   diagram_layout layout;
   bool bDone = false;
};

QColor entity_diagram::getLineColor() { return k_colorLine; }
QColor entity_diagram::getHighlightColor() { return k_colorHighlight; }

void entity_diagram::setEntities(const QList<model::entity>& lst)
{
   const scene_bulk_change bulk(scene());
   // a diagram shown stays where the user looks at it; a first one is shown from its start
   const bool bNothingShown = getDiagramRect().isNull();
   // a relationship line is a child of the scene, not of a box: clear() takes both
   m_lstLines.clear();
   m_lstNames.clear();
   m_lstLineInfos.clear();
   dropUnplacedBoxes();
   scene()->clear();
   m_lstEntities = lst;
   for (const model::entity& e : m_lstEntities)
   {
      const QString sName = e.fullName();
      if (m_hashBoxes.contains(sName)) { continue; }
      QGraphicsRectItem* pBox = createBox(e);
      m_hashBoxes.insert(sName, pBox);
      m_lstNames.append(sName);
   }
   // the way back of a relationship ("one-to-many") would draw the same line again
   for (const model::entity& e : m_lstEntities)
   {
      for (const model::entity_relationship& r : e.relationships)
      {
         const QString sTo = fullName(r.targetNamespace, r.targetEntity);
         if (! m_hashBoxes.contains(sTo) || (r.kind == "one-to-many")) { continue; }
         m_lstLineInfos.append({ e.fullName(), sTo, e.fullName() + "\n" + r.name + "\n" + sTo, r.name });
      }
   }
   if (m_lstEntities.isEmpty())
   {
      auto* pHint = scene()->addSimpleText(tr("This project has no entity yet: use the Import menu to import tables from a database."));
      pHint->setBrush(QColor(90, 90, 90));
      pHint->setPos(k_dMargin, k_dMargin);
   }
   placeBoxes();
   if (! m_sSelected.isEmpty()) { highlight(getBox(m_sSelected), true); }
   if (bNothingShown && ! getDiagramRect().isNull()) { showFromStart(); }
   // the same entities (a reload, an undo, a redo) need no layout at all
   bool bUnplaced = false;
   for (const QGraphicsRectItem* pBox : m_hashBoxes) { bUnplaced = (bUnplaced || ! pBox->scene()); }
   if (bUnplaced) { placeNewEntities(); }
}

void entity_diagram::organizeLayout() { scheduleLayout(true); }

void entity_diagram::placeNewEntities() { scheduleLayout(false); }

bool entity_diagram::isLayingOut() const { return (m_pLayoutThread || m_bLayoutScheduled); }

void entity_diagram::scheduleLayout(bool bWhole)
{
   m_bWholeAsked = (m_bWholeAsked || bWhole);
   if (m_bLayoutScheduled) { return; }
   m_bLayoutScheduled = true;
   QTimer::singleShot(0, this, &entity_diagram::startLayout);
}

QString entity_diagram::layoutKey() const
{
   QStringList lstKey;
   for (const QString& sName : m_lstNames)
   {
      const QSizeF size = m_hashBoxes.value(sName)->rect().size();
      lstKey << QString("%1 %2x%3").arg(sName).arg(size.width()).arg(size.height());
   }
   for (const line_info& line : m_lstLineInfos) { lstKey << line.sKey; }
   return lstKey.join('\n');
}

void entity_diagram::startLayout()
{
   m_bLayoutScheduled = false;
   // one layout at a time: the one running asks again when it is done
   if (m_pLayoutThread) { return; }
   const bool bWhole = m_bWholeAsked;
   m_bWholeAsked = false;
   const QString sKey = layoutKey();
   if (bWhole && (sKey == m_sLayoutKey))
   {
      // the same entities give the same layout again: only the view goes back to its start
      showFromStart();
      Q_EMIT onLayoutDone();
      return;
   }
   auto pJob = std::make_shared<layout_job>();
   pJob->bWhole = bWhole;
   pJob->sKey = sKey;
   QHash<QString, int> hashIndexes;
   for (const QString& sName : m_lstNames)
   {
      const QGraphicsRectItem* pBox = m_hashBoxes.value(sName);
      if (! bWhole && pBox->scene()) { continue; }
      hashIndexes.insert(sName, pJob->lstNames.count());
      pJob->lstNames.append(sName);
      pJob->vSizes.append(pBox->rect().size());
   }
   if (pJob->lstNames.isEmpty()) { setBusy(false); Q_EMIT onLayoutDone(); return; }
   for (const line_info& line : m_lstLineInfos)
   {
      if (! hashIndexes.contains(line.sFrom) || ! hashIndexes.contains(line.sTo)) { continue; }
      pJob->vEdges.append({ hashIndexes.value(line.sFrom), hashIndexes.value(line.sTo) });
      pJob->lstEdgeKeys.append(line.sKey);
   }
   setBusy(true, pJob->lstNames.count());
   m_pLayoutThread = QThread::create([pJob]() { pJob->bDone = pJob->layout.run(pJob->vSizes, pJob->vEdges); });
   connect(m_pLayoutThread, &QThread::finished, this, [this, pJob]() {
      m_pLayoutThread->wait();
      delete m_pLayoutThread;
      m_pLayoutThread = nullptr;
      applyLayout(*pJob);
   });
   m_pLayoutThread->start();
}

// the places found are kept by name: the entities may have changed meanwhile, and those still shown take theirs
void entity_diagram::applyLayout(const layout_job& job)
{
   if (! job.bDone) { qWarning("[Kelmar] entity_diagram: Graphviz could not lay the diagram out"); }
   const bool bNothingShown = getDiagramRect().isNull();
   QPointF offset;
   if (job.bWhole)
   {
      m_hashPlaces.clear();
      m_hashPaths.clear();
   }
   else
   {
      // beside the boxes shown, on the side that keeps the whole nearer a screen's shape
      const QSet<QString> setNew(job.lstNames.cbegin(), job.lstNames.cend());
      QRectF shown;
      for (const QString& sName : m_lstNames) { if (! setNew.contains(sName) && m_hashBoxes.value(sName)->scene()) { shown |= m_hashPlaces.value(sName); } }
      if (! shown.isNull())
      {
         const QSizeF added = job.layout.getSize();
         const QPointF right(shown.right() + k_dGap, shown.top());
         const QPointF below(shown.left(), shown.bottom() + k_dGap);
         const auto misfit = [&shown, &added](const QPointF& at) {
            const QRectF whole = shown | QRectF(at, added);
            return std::abs(std::log((whole.width() / qMax(1.0, whole.height())) / k_dScreenRatio));
         };
         offset = ((misfit(right) <= misfit(below)) ? right : below);
      }
      for (const line_info& line : m_lstLineInfos) { if (setNew.contains(line.sFrom) || setNew.contains(line.sTo)) { m_hashPaths.remove(line.sKey); } }
   }
   for (int i = 0; i < job.lstNames.count(); ++i) { m_hashPlaces.insert(job.lstNames.at(i), QRectF(job.layout.getPositions().value(i) + offset, job.vSizes.at(i))); }
   for (int i = 0; i < job.lstEdgeKeys.count(); ++i) { m_hashPaths.insert(job.lstEdgeKeys.at(i), job.layout.getPaths().value(i).translated(offset)); }
   m_sLayoutKey = (job.bWhole ? job.sKey : QString());
   placeBoxes();
   if (job.bWhole || bNothingShown) { showFromStart(); }

   bool bUnplaced = false;
   for (const QGraphicsRectItem* pBox : m_hashBoxes) { bUnplaced = (bUnplaced || ! pBox->scene()); }
   if (m_bWholeAsked || bUnplaced) { startLayout(); return; }
   setBusy(false);
   Q_EMIT onLayoutDone();
}

void entity_diagram::placeBoxes()
{
   const scene_bulk_change bulk(scene());
   for (auto it = m_hashBoxes.cbegin(); it != m_hashBoxes.cend(); ++it)
   {
      // a box whose size changed (its entity did) looks for a new place
      const QRectF place = m_hashPlaces.value(it.key());
      const bool bPlaced = (m_hashPlaces.contains(it.key()) && (place.size() == it.value()->rect().size()));
      if (bPlaced) { it.value()->setPos(place.topLeft()); }
      if (bPlaced && ! it.value()->scene()) { scene()->addItem(it.value()); }
      if (! bPlaced && it.value()->scene()) { scene()->removeItem(it.value()); }
   }
   drawLines();
   const QRectF diagram = getDiagramRect();
   scene()->setSceneRect((diagram.isNull() ? scene()->itemsBoundingRect() : diagram).adjusted(-k_dMargin, -k_dMargin, k_dMargin, k_dMargin));
}

QRectF entity_diagram::getDiagramRect() const
{
   QRectF rect;
   for (const QGraphicsRectItem* pBox : m_hashBoxes) { if (pBox->scene()) { rect |= pBox->sceneBoundingRect(); } }
   for (const QGraphicsPathItem* pLine : m_lstLines) { rect |= pLine->sceneBoundingRect(); }
   return rect;
}

void entity_diagram::showFromStart()
{
   // shown from its top left, as much of it as the window holds while the text stays readable
   doFitToWindow();
   setZoom(qMax(getZoom(), k_dReadableZoom));
   const QSizeF visible = QSizeF(viewport()->size()) / getZoom();
   centerOn(sceneRect().topLeft() + QPointF(visible.width() / 2.0, visible.height() / 2.0));
}

void entity_diagram::setBusy(bool bBusy, int iCount)
{
   if (! m_lblBusy)
   {
      m_lblBusy = new QLabel(viewport());
      m_lblBusy->setObjectName("m_lblBusy");
      m_lblBusy->setStyleSheet("QLabel { background: #fffbe6; border: 1px solid #b0a060; padding: 8px; }");
   }
   if (bBusy)
   {
      m_lblBusy->setText(tr("Arranging the diagram of %n entities...", nullptr, iCount));
      m_lblBusy->adjustSize();
      m_lblBusy->move((viewport()->width() - m_lblBusy->width()) / 2, k_dMargin);
      m_lblBusy->raise();
      viewport()->setCursor(Qt::BusyCursor);
   }
   else { viewport()->unsetCursor(); }
   m_lblBusy->setVisible(bBusy);
}

void entity_diagram::resizeEvent(QResizeEvent* pEvent)
{
   QGraphicsView::resizeEvent(pEvent);
   if (m_lblBusy) { m_lblBusy->move((viewport()->width() - m_lblBusy->width()) / 2, k_dMargin); }
}

void entity_diagram::drawLines()
{
   for (QGraphicsPathItem* pLine : m_lstLines) { delete pLine; }
   m_lstLines.clear();
   for (const line_info& line : m_lstLineInfos)
   {
      const QGraphicsRectItem* pFrom = m_hashBoxes.value(line.sFrom);
      const QGraphicsRectItem* pTo = m_hashBoxes.value(line.sTo);
      if (! pFrom->scene() || ! pTo->scene()) { continue; }
      // a relationship no layout routed (between boxes placed at different times) goes straight
      const QPainterPath path = m_hashPaths.value(line.sKey, diagram_layout::straightPath(pFrom->sceneBoundingRect(), pTo->sceneBoundingRect()));
      if (path.isEmpty()) { continue; }
      auto* pLine = scene()->addPath(path, QPen(k_colorLine, 1.5));
      pLine->setZValue(-1.0);
      pLine->setToolTip(Qt::convertFromPlainText(line.sName, Qt::WhiteSpaceNormal));
      // a dot on the referencing box, an arrow head on the referenced one
      const QPointF tip = path.elementAt(path.elementCount() - 1);
      QLineF back(tip, beforeEnd(path));
      back.setLength(10.0);
      const QPointF normal = QPointF(-back.dy(), back.dx()) * 0.4;
      auto* pHead = new QGraphicsPolygonItem(QPolygonF({ tip, back.p2() + normal, back.p2() - normal }), pLine);
      pHead->setBrush(k_colorLine);
      pHead->setPen(Qt::NoPen);
      auto* pDot = new QGraphicsEllipseItem(QRectF(QPointF(path.elementAt(0)) - QPointF(3.0, 3.0), QSizeF(6.0, 6.0)), pLine);
      pDot->setBrush(k_colorLine);
      pDot->setPen(Qt::NoPen);
      m_lstLines.append(pLine);
   }
}

void entity_diagram::highlight(QGraphicsRectItem* pBox, bool bOn) const
{
   if (! pBox) { return; }
   // the box's own pen and brush wait in its data while it is highlighted
   if (bOn && ! pBox->data(0).isValid())
   {
      pBox->setData(0, QVariant::fromValue(pBox->pen()));
      pBox->setData(1, QVariant::fromValue(pBox->brush()));
      pBox->setPen(QPen(k_colorHighlight, 3.0));
      pBox->setBrush(k_colorHighlightFill);
   }
   if (! bOn && pBox->data(0).isValid())
   {
      pBox->setPen(pBox->data(0).value<QPen>());
      pBox->setBrush(pBox->data(1).value<QBrush>());
      pBox->setData(0, QVariant());
      pBox->setData(1, QVariant());
   }
   pBox->setZValue(bOn ? 1.0 : 0.0);
}

void entity_diagram::selectEntity(const QString& sFullName)
{
   highlight(getBox(m_sSelected), false);
   m_sSelected = sFullName;
   QGraphicsRectItem* pBox = getBox(sFullName);
   if (! pBox) { return; }
   highlight(pBox, true);
   if (pBox->scene()) { centerOn(pBox); }
}

void entity_diagram::setZoom(qreal dZoom)
{
   dZoom = qBound(k_dMinZoom, dZoom, k_dMaxZoom);
   setTransform(QTransform::fromScale(dZoom, dZoom));
}

void entity_diagram::doFitToWindow()
{
   fitInView(sceneRect(), Qt::KeepAspectRatio);
   if (getZoom() > 1.0) { setZoom(1.0); }
}

void entity_diagram::wheelEvent(QWheelEvent* pEvent)
{
   if (! (pEvent->modifiers() & Qt::ControlModifier)) { QGraphicsView::wheelEvent(pEvent); return; }
   // one notch of a wheel is 120: a fifth more or less per notch, under the mouse
   setZoom(getZoom() * std::pow(1.2, pEvent->angleDelta().y() / 120.0));
   pEvent->accept();
}

vx::VxBool entity_diagram::exportTo(const QString& sFile)
{
   // the highlight belongs to the window, not to the diagram
   QGraphicsRectItem* pSelected = getBox(m_sSelected);
   highlight(pSelected, false);
   const vx::VxBool result = writePicture(sFile);
   highlight(pSelected, true);
   return result;
}

vx::VxBool entity_diagram::writePicture(const QString& sFile)
{
   const QRectF source = sceneRect();
   const QString sFormat = QFileInfo(sFile).suffix().toLower();
   QPainter painter;
   if (sFormat == "svg")
   {
      QSvgGenerator svg;
      svg.setFileName(sFile);
      svg.setSize(source.size().toSize());
      svg.setViewBox(QRectF(QPointF(0.0, 0.0), source.size()));
      svg.setTitle(windowTitle());
      if (! painter.begin(&svg)) { return vx::VxBool(false, 0, tr("Cannot write %1").arg(sFile)); }
      scene()->render(&painter, QRectF(QPointF(0.0, 0.0), source.size()), source);
      painter.end();
      return (QFileInfo(sFile).size() > 0) ? vx::VxBool(true) : vx::VxBool(false, 0, tr("Cannot write %1").arg(sFile));
   }
   if (sFormat != "png") { return vx::VxBool(false, 0, tr("Cannot export the diagram as '%1': choose a .png or .svg file").arg(sFormat)); }
   const qreal dScale = qMin(qMin(1.0, k_dMaxPictureSide / qMax(source.width(), source.height())), std::sqrt(k_dMaxPicturePixels / (source.width() * source.height())));
   QImage image((source.size() * dScale).toSize().expandedTo(QSize(1, 1)), QImage::Format_ARGB32);
   image.fill(Qt::white);
   painter.begin(&image);
   painter.setRenderHint(QPainter::Antialiasing);
   scene()->render(&painter, QRectF(QPointF(0.0, 0.0), QSizeF(image.size())), source);
   painter.end();
   return (image.save(sFile, "PNG") ? vx::VxBool(true) : vx::VxBool(false, 0, tr("Cannot write %1").arg(sFile)));
}

} // namespace view
