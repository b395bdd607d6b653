#ifndef VIEW_DIAGRAM_LAYOUT_H
#define VIEW_DIAGRAM_LAYOUT_H

#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QVector>

namespace view {

/** Places boxes by their relationships and routes each relationship around the other boxes, with Graphviz's
    layered layout (dot): referenced tables above the tables that refer to them, edges as splines that end on
    the boxes' edges, a self-reference as a loop. Each connected group is laid out on its own; a group much
    wider than high (or higher than wide) is cut into bands stacked the other way, and the groups are packed
    in rows, so that the whole stays near the shape of a screen whatever the graph.
    Runs on any thread: it works on a graph of its own, one layout of the process at a time. */
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
   /** What the boxes cover, from (0, 0). */
   QSizeF getSize() const { return m_size; }

   /** A straight line from the edge of one box to the edge of another (a relationship no layout routed). */
   static QPainterPath straightPath(const QRectF& from, const QRectF& to);

private:
   struct group;
   bool layOutGroup(group& g, const QVector<QSizeF>& vSizes, const QVector<edge>& vEdges);
   void wrapGroup(group& g, const QVector<QSizeF>& vSizes, const QVector<edge>& vEdges);

   QVector<QPointF> m_vPositions;
   QVector<QPainterPath> m_vPaths;
   QSizeF m_size;
};

} // namespace view

#endif // VIEW_DIAGRAM_LAYOUT_H
