#include <view/entity_diagram.h>

#include <cmath>

#include <QBrush>
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
#include <QPainter>
#include <QPen>
#include <QSvgGenerator>
#include <QTextDocument>
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
const QColor k_colorLine(200, 80, 0);
const QColor k_colorHighlight(255, 140, 0);

QString fullName(const QString& sNamespace, const QString& sName) { return (sNamespace.isEmpty() ? sName : (sNamespace + "::" + sName)); }

/** Where the path is dLength units before its end, to aim the arrow head along the curve's last stretch. */
QPointF backFromEnd(const QPainterPath& path, qreal dLength) { return path.pointAtPercent(path.percentAtLength(qMax(0.0, path.length() - dLength))); }
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

void entity_diagram::setEntities(const QList<model::entity>& lst)
{
   // a relationship line is a child of the scene, not of a box: clear() takes both
   m_lstLines.clear();
   m_hashBoxes.clear();
   scene()->clear();
   m_lstEntities = lst;
   for (const model::entity& e : m_lstEntities)
   {
      const QString sName = e.fullName();
      if (m_hashBoxes.contains(sName)) { continue; }
      QGraphicsRectItem* pBox = createBox(e);
      scene()->addItem(pBox);
      m_hashBoxes.insert(sName, pBox);
   }
   if (m_lstEntities.isEmpty())
   {
      auto* pHint = scene()->addSimpleText(tr("This project has no entity yet: use the Import menu to import tables from a database."));
      pHint->setBrush(QColor(90, 90, 90));
      pHint->setPos(k_dMargin, k_dMargin);
   }
   layOut();
   if (! m_sSelected.isEmpty()) { highlight(getBox(m_sSelected), true); }
}

void entity_diagram::organizeLayout()
{
   // the same entities give the same layout again: only the view goes back to its start
   layOut(true);
}

void entity_diagram::layOut(bool bShowFromStart)
{
   // the boxes in the entities' order and the relationships between them: the whole of what the layout depends on
   QStringList lstNames;
   QVector<QSizeF> vSizes;
   QHash<QString, int> hashIndexes;
   for (const model::entity& e : m_lstEntities)
   {
      const QString sName = e.fullName();
      if (hashIndexes.contains(sName)) { continue; }
      hashIndexes.insert(sName, lstNames.count());
      lstNames.append(sName);
      vSizes.append(m_hashBoxes.value(sName)->rect().size());
   }
   QVector<diagram_layout::edge> vEdges;
   QStringList lstKey;
   for (int i = 0; i < lstNames.count(); ++i) { lstKey << QString("%1 %2x%3").arg(lstNames.at(i)).arg(vSizes.at(i).width()).arg(vSizes.at(i).height()); }
   // the way back of a relationship ("one-to-many") would draw the same line again
   for (const model::entity& e : m_lstEntities)
   {
      for (const model::entity_relationship& r : e.relationships)
      {
         const int iTo = hashIndexes.value(fullName(r.targetNamespace, r.targetEntity), -1);
         if ((iTo < 0) || (r.kind == "one-to-many")) { continue; }
         vEdges.append({ hashIndexes.value(e.fullName()), iTo });
         lstKey << QString("%1>%2").arg(vEdges.last().iFrom).arg(iTo);
      }
   }
   const QString sKey = lstKey.join('\n');
   bool bNew = bShowFromStart;
   if (sKey != m_sLayoutKey)
   {
      diagram_layout layout;
      if (! layout.run(vSizes, vEdges)) { qWarning("[Kelmar] entity_diagram: Graphviz could not lay the diagram out"); }
      m_hashPositions.clear();
      for (int i = 0; i < lstNames.count(); ++i) { m_hashPositions.insert(lstNames.at(i), layout.getPositions().value(i)); }
      m_lstPaths = layout.getPaths().toList();
      m_sLayoutKey = sKey;
      bNew = true;
   }
   for (auto it = m_hashBoxes.cbegin(); it != m_hashBoxes.cend(); ++it) { it.value()->setPos(m_hashPositions.value(it.key())); }
   drawLines();
   scene()->setSceneRect(scene()->itemsBoundingRect().adjusted(-k_dMargin, -k_dMargin, k_dMargin, k_dMargin));
   if (bNew)
   {
      // a new layout shown from its top left, as much of it as the window holds while the text stays readable
      doFitToWindow();
      setZoom(qMax(getZoom(), k_dReadableZoom));
      const QSizeF visible = QSizeF(viewport()->size()) / getZoom();
      centerOn(sceneRect().topLeft() + QPointF(visible.width() / 2.0, visible.height() / 2.0));
   }
}

void entity_diagram::drawLines()
{
   for (QGraphicsPathItem* pLine : m_lstLines) { delete pLine; }
   m_lstLines.clear();
   int iPath = 0;
   for (const model::entity& e : m_lstEntities)
   {
      for (const model::entity_relationship& r : e.relationships)
      {
         if (! m_hashBoxes.contains(fullName(r.targetNamespace, r.targetEntity)) || (r.kind == "one-to-many")) { continue; }
         const QPainterPath path = m_lstPaths.value(iPath++);
         if (path.isEmpty()) { continue; }
         auto* pLine = scene()->addPath(path, QPen(k_colorLine, 1.5));
         pLine->setZValue(-1.0);
         pLine->setToolTip(Qt::convertFromPlainText(r.name, Qt::WhiteSpaceNormal));
         // a dot on the referencing box, an arrow head on the referenced one
         const QPointF tip = path.pointAtPercent(1.0);
         QLineF back(tip, backFromEnd(path, 10.0));
         back.setLength(10.0);
         const QPointF normal = QPointF(-back.dy(), back.dx()) * 0.4;
         auto* pHead = new QGraphicsPolygonItem(QPolygonF({ tip, back.p2() + normal, back.p2() - normal }), pLine);
         pHead->setBrush(k_colorLine);
         pHead->setPen(Qt::NoPen);
         auto* pDot = new QGraphicsEllipseItem(QRectF(path.pointAtPercent(0.0) - QPointF(3.0, 3.0), QSizeF(6.0, 6.0)), pLine);
         pDot->setBrush(k_colorLine);
         pDot->setPen(Qt::NoPen);
         m_lstLines.append(pLine);
      }
   }
}

void entity_diagram::highlight(QGraphicsRectItem* pBox, bool bOn) const
{
   if (! pBox) { return; }
   // the box's own pen waits in its data while it is highlighted
   if (bOn && ! pBox->data(0).isValid()) { pBox->setData(0, QVariant::fromValue(pBox->pen())); pBox->setPen(QPen(k_colorHighlight, 3.0)); }
   if (! bOn && pBox->data(0).isValid()) { pBox->setPen(pBox->data(0).value<QPen>()); pBox->setData(0, QVariant()); }
   pBox->setZValue(bOn ? 1.0 : 0.0);
}

void entity_diagram::selectEntity(const QString& sFullName)
{
   highlight(getBox(m_sSelected), false);
   m_sSelected = sFullName;
   QGraphicsRectItem* pBox = getBox(sFullName);
   if (! pBox) { return; }
   highlight(pBox, true);
   centerOn(pBox);
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
