#include "diagram_layout.h"

#include <QLineF>
#include <QRectF>

#include <graphviz/gvc.h>

namespace view {

namespace {

// Graphviz measures in points and node sizes in inches; one point is taken for one scene unit
const double k_dPointsPerInch = 72.0;

char* text(const char* s) { return const_cast<char*>(s); }

void set(void* pObject, const char* sName, const QByteArray& value) { agsafeset(pObject, text(sName), text(value.constData()), text("")); }

qreal distance(const QRectF& rect, const QPointF& p)
{
   const qreal dX = qMax(qMax(rect.left() - p.x(), 0.0), p.x() - rect.right());
   const qreal dY = qMax(qMax(rect.top() - p.y(), 0.0), p.y() - rect.bottom());
   return QLineF(QPointF(0.0, 0.0), QPointF(dX, dY)).length();
}

} // namespace

bool diagram_layout::run(const QVector<QSizeF>& vSizes, const QVector<edge>& vEdges)
{
   m_vPositions.fill(QPointF(), vSizes.count());
   m_vPaths.fill(QPainterPath(), vEdges.count());
   if (vSizes.isEmpty()) { return true; }

   GVC_t* pContext = gvContext();
   Agraph_t* pGraph = agopen(text("diagram"), Agdirected, nullptr);
   set(pGraph, "splines", "spline");
   set(pGraph, "nodesep", "0.45");
   set(pGraph, "ranksep", "0.6");
   // groups with no relationship between them (views, lone tables) side by side instead of in one long row
   set(pGraph, "pack", "24");
   set(pGraph, "packmode", "graph");
   QVector<Agnode_t*> vNodes;
   vNodes.reserve(vSizes.count());
   for (int i = 0; i < vSizes.count(); ++i)
   {
      Agnode_t* pNode = agnode(pGraph, text(QByteArray::number(i).constData()), 1);
      set(pNode, "shape", "box");
      set(pNode, "fixedsize", "true");
      set(pNode, "label", "");
      set(pNode, "width", QByteArray::number(vSizes.at(i).width() / k_dPointsPerInch, 'f', 4));
      set(pNode, "height", QByteArray::number(vSizes.at(i).height() / k_dPointsPerInch, 'f', 4));
      vNodes.append(pNode);
   }
   // referenced -> referencing, so that a referenced table ranks above; arrows are the diagram's own business
   QVector<Agedge_t*> vGraphEdges;
   vGraphEdges.reserve(vEdges.count());
   for (const edge& e : vEdges)
   {
      Agedge_t* pEdge = agedge(pGraph, vNodes.at(e.iTo), vNodes.at(e.iFrom), nullptr, 1);
      set(pEdge, "dir", "none");
      vGraphEdges.append(pEdge);
   }

   const bool bDone = (gvLayout(pContext, pGraph, "dot") == 0);
   if (bDone)
   {
      // Graphviz's y axis points up
      const double dTop = GD_bb(pGraph).UR.y;
      const auto toScene = [dTop](const pointf& p) { return QPointF(p.x, dTop - p.y); };
      QVector<QRectF> vRects;
      for (int i = 0; i < vNodes.count(); ++i)
      {
         const QPointF centre = toScene(ND_coord(vNodes.at(i)));
         m_vPositions[i] = centre - QPointF(vSizes.at(i).width() / 2.0, vSizes.at(i).height() / 2.0);
         vRects.append(QRectF(m_vPositions.at(i), vSizes.at(i)));
      }
      for (int i = 0; i < vGraphEdges.count(); ++i)
      {
         const splines* pSplines = ED_spl(vGraphEdges.at(i));
         if (! pSplines) { continue; }
         QPainterPath path;
         for (int b = 0; b < pSplines->size; ++b)
         {
            const bezier& curve = pSplines->list[b];
            if (curve.size < 1) { continue; }
            path.moveTo(toScene(curve.list[0]));
            for (int p = 1; (p + 2) < curve.size; p += 3) { path.cubicTo(toScene(curve.list[p]), toScene(curve.list[p + 1]), toScene(curve.list[p + 2])); }
         }
         // dot may turn an edge round to break a cycle: the path must start at the referencing box
         const QRectF& from = vRects.at(vEdges.at(i).iFrom);
         const QRectF& to = vRects.at(vEdges.at(i).iTo);
         if ((&from != &to) && (distance(from, path.pointAtPercent(0.0)) > distance(to, path.pointAtPercent(0.0)))) { path = path.toReversed(); }
         m_vPaths[i] = path;
      }
      gvFreeLayout(pContext, pGraph);
   }
   agclose(pGraph);
   gvFreeContext(pContext);
   return bDone;
}

} // namespace view
