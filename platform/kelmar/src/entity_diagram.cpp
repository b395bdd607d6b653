#include <view/entity_diagram.h>

#include <algorithm>
#include <cmath>

#include <QBrush>
#include <QFont>
#include <QGraphicsEllipseItem>
#include <QGraphicsLineItem>
#include <QGraphicsPolygonItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QPen>

namespace view {

namespace {
const qreal k_dPadding = 6.0;
const qreal k_dGap = 32.0;
const qreal k_dCascade = 24.0;

QString fullName(const QString& sNamespace, const QString& sName) { return (sNamespace.isEmpty() ? sName : (sNamespace + "::" + sName)); }

/** Where the line from the centre of rect towards pTo leaves rect. */
QPointF border(const QRectF& rect, const QPointF& pTo)
{
   const QPointF d = pTo - rect.center();
   const qreal dX = (qFuzzyIsNull(d.x()) ? 1e9 : ((rect.width() / 2.0) / qAbs(d.x())));
   const qreal dY = (qFuzzyIsNull(d.y()) ? 1e9 : ((rect.height() / 2.0) / qAbs(d.y())));
   return (rect.center() + (d * qMin(qMin(dX, dY), 1.0)));
}
} // namespace

entity_diagram::entity_diagram(QWidget* parent) : QGraphicsView(parent)
{
   setScene(new QGraphicsScene(this));
   setRenderHint(QPainter::Antialiasing);
   setAlignment(Qt::AlignLeft | Qt::AlignTop);
   setBackgroundBrush(QColor(248, 248, 248));
}

QGraphicsRectItem* entity_diagram::createBox(const model::entity& e)
{
   auto* pBox = new QGraphicsRectItem();
   pBox->setBrush(Qt::white);
   pBox->setPen(QPen(e.isView ? QColor(120, 120, 120) : QColor(0, 0, 160), 1.0));
   pBox->setToolTip(e.description);

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
   pBox->setRect(0.0, 0.0, dWidth + (2.0 * k_dPadding), dY + k_dPadding);
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
   int iNew = 0;
   for (const model::entity& e : m_lstEntities)
   {
      const QString sName = e.fullName();
      if (m_hashBoxes.contains(sName)) { continue; }
      QGraphicsRectItem* pBox = createBox(e);
      scene()->addItem(pBox);
      m_hashBoxes.insert(sName, pBox);
      if (m_hashPositions.contains(sName)) { pBox->setPos(m_hashPositions.value(sName)); }
      else { pBox->setPos(k_dCascade * iNew, k_dCascade * iNew); ++iNew; m_hashPositions.insert(sName, pBox->pos()); }
   }
   drawLines();
}

void entity_diagram::organizeLayout()
{
   // in the order of the entity list beside the diagram: by namespace, then by name
   QList<model::entity> lstSorted = m_lstEntities;
   std::stable_sort(lstSorted.begin(), lstSorted.end(), [](const model::entity& a, const model::entity& b) {
      return ((a.nameSpace != b.nameSpace) ? (a.nameSpace < b.nameSpace) : (a.name < b.name));
   });
   QList<QGraphicsRectItem*> lstBoxes;
   for (const model::entity& e : lstSorted)
   {
      QGraphicsRectItem* pBox = m_hashBoxes.value(e.fullName());
      if (pBox && (lstBoxes.isEmpty() || (lstBoxes.last() != pBox))) { lstBoxes.append(pBox); }
   }
   const int iColumns = qMax(1, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(lstBoxes.count())))));
   // every column as wide as its widest box, every row as high as its highest
   QVector<qreal> vWidths(iColumns, 0.0);
   QVector<qreal> vHeights((lstBoxes.count() + iColumns - 1) / iColumns, 0.0);
   for (int i = 0; i < lstBoxes.count(); ++i)
   {
      vWidths[i % iColumns] = qMax(vWidths.at(i % iColumns), lstBoxes.at(i)->rect().width());
      vHeights[i / iColumns] = qMax(vHeights.at(i / iColumns), lstBoxes.at(i)->rect().height());
   }
   qreal dY = 0.0;
   for (int iRow = 0; iRow < vHeights.count(); ++iRow)
   {
      qreal dX = 0.0;
      for (int iColumn = 0; iColumn < iColumns; ++iColumn)
      {
         const int i = (iRow * iColumns) + iColumn;
         if (i >= lstBoxes.count()) { break; }
         lstBoxes.at(i)->setPos(dX, dY);
         dX += vWidths.at(iColumn) + k_dGap;
      }
      dY += vHeights.at(iRow) + k_dGap;
   }
   for (auto it = m_hashBoxes.cbegin(); it != m_hashBoxes.cend(); ++it) { m_hashPositions.insert(it.key(), it.value()->pos()); }
   drawLines();
}

void entity_diagram::drawLines()
{
   for (QGraphicsLineItem* pLine : m_lstLines) { delete pLine; }
   m_lstLines.clear();
   // the way back of a relationship ("one-to-many") would draw the same line again
   for (const model::entity& e : m_lstEntities)
   {
      const QGraphicsRectItem* pFrom = m_hashBoxes.value(e.fullName());
      for (const model::entity_relationship& r : e.relationships)
      {
         const QGraphicsRectItem* pTo = m_hashBoxes.value(fullName(r.targetNamespace, r.targetEntity));
         if (! pFrom || ! pTo || (pFrom == pTo) || (r.kind == "one-to-many")) { continue; }
         // from border to border, a dot on the referencing box and an arrow head on the referenced one:
         // a line that merely passes behind a box has neither there
         const QRectF rectFrom = pFrom->sceneBoundingRect();
         const QRectF rectTo = pTo->sceneBoundingRect();
         const QLineF line(border(rectFrom, rectTo.center()), border(rectTo, rectFrom.center()));
         const QColor color(200, 80, 0);
         auto* pLine = scene()->addLine(line, QPen(color, 1.5));
         pLine->setZValue(-1.0);
         pLine->setToolTip(r.name);
         if (line.length() > 0.0)
         {
            const QPointF unit = (line.p1() - line.p2()) / line.length();
            const QPointF normal(-unit.y(), unit.x());
            const QPointF base = line.p2() + (unit * 10.0);
            auto* pHead = new QGraphicsPolygonItem(QPolygonF({ line.p2(), base + (normal * 4.0), base - (normal * 4.0) }), pLine);
            pHead->setBrush(color);
            pHead->setPen(Qt::NoPen);
            auto* pDot = new QGraphicsEllipseItem(QRectF(line.p1() - QPointF(3.0, 3.0), QSizeF(6.0, 6.0)), pLine);
            pDot->setBrush(color);
            pDot->setPen(Qt::NoPen);
         }
         m_lstLines.append(pLine);
      }
   }
   scene()->setSceneRect(scene()->itemsBoundingRect().adjusted(-k_dPadding, -k_dPadding, k_dPadding, k_dPadding));
}

} // namespace view
