#ifndef VIEW_DIAGRAM_LAYOUT_H
#define VIEW_DIAGRAM_LAYOUT_H

#include <QPainterPath>
#include <QPointF>
#include <QSizeF>
#include <QVector>

namespace view {

/** Places boxes by their relationships and routes each relationship around the other boxes, with Graphviz's
    layered layout (dot): referenced tables above the tables that refer to them, edges as splines that end on
    the boxes' edges, a self-reference as a loop, unconnected groups packed side by side. */
class diagram_layout
{
public:
   /** A relationship from the box at index iFrom (the referencing one) to the box at iTo (the referenced one). */
   struct edge { int iFrom; int iTo; };

   /** Lays out boxes of these sizes (scene units); false when Graphviz could not. */
   bool run(const QVector<QSizeF>& vSizes, const QVector<edge>& vEdges);

   /** Top-left corner of each box. */
   const QVector<QPointF>& getPositions() const { return m_vPositions; }
   /** Path of each edge, from the referencing box's edge to the referenced box's edge. */
   const QVector<QPainterPath>& getPaths() const { return m_vPaths; }

private:
   QVector<QPointF> m_vPositions;
   QVector<QPainterPath> m_vPaths;
};

} // namespace view

#endif // VIEW_DIAGRAM_LAYOUT_H
