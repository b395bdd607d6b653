#include "diagram_layout.h"

#include <algorithm>
#include <cmath>

#include <QHash>
#include <QLineF>
#include <QMutex>
#include <QMutexLocker>

#include <graphviz/gvc.h>

namespace view {

namespace {

// Graphviz measures in points and node sizes in inches; one point is taken for one scene unit
const double k_dPointsPerInch = 72.0;
// a group longer than this many times its width is cut into bands; the groups are packed towards the screen's shape
const double k_dGroupRatio = 2.0;
const double k_dScreenRatio = 1.6;
const double k_dGap = 48.0;
// up to this many boxes dot runs with its own limits; beyond, its iterations shrink with the group's size
const int k_iFullSearch = 100;

// Graphviz keeps state of its own between calls (its error handler, its plug-ins' tables): one layout at a time
QMutex g_graphvizMutex;

char* text(const char* s) { return const_cast<char*>(s); }

void set(void* pObject, const char* sName, const QByteArray& value) { agsafeset(pObject, text(sName), text(value.constData()), text("")); }

qreal distance(const QRectF& rect, const QPointF& p)
{
   const qreal dX = qMax(qMax(rect.left() - p.x(), 0.0), p.x() - rect.right());
   const qreal dY = qMax(qMax(rect.top() - p.y(), 0.0), p.y() - rect.bottom());
   return QLineF(QPointF(0.0, 0.0), QPointF(dX, dY)).length();
}

/** Where the line from the rectangle's centre towards p leaves the rectangle. */
QPointF borderPoint(const QRectF& rect, const QPointF& p)
{
   const QPointF d = p - rect.center();
   if (qFuzzyIsNull(d.x()) && qFuzzyIsNull(d.y())) { return rect.center(); }
   const qreal dScaleX = (qFuzzyIsNull(d.x()) ? 1e12 : ((rect.width() / 2.0) / std::abs(d.x())));
   const qreal dScaleY = (qFuzzyIsNull(d.y()) ? 1e12 : ((rect.height() / 2.0) / std::abs(d.y())));
   return rect.center() + (d * qMin(dScaleX, dScaleY));
}

double aspectOf(const QSizeF& size) { return (qMax(size.width(), size.height()) / qMax(1.0, qMin(size.width(), size.height()))); }

int findRoot(QVector<int>& vParents, int i)
{
   while (vParents.at(i) != i) { vParents[i] = vParents.at(vParents.at(i)); i = vParents.at(i); }
   return i;
}

} // namespace

/** A connected group of boxes: its boxes and relationships (indexes of the whole), laid out from (0, 0). */
struct diagram_layout::group
{
   QVector<int> vNodes;
   QVector<int> vEdges;
   QSizeF size;
   QPointF offset;
};

QPainterPath diagram_layout::straightPath(const QRectF& from, const QRectF& to)
{
   if (from == to)
   {
      // a self-reference: a loop on the box's right
      const QPointF a(from.right(), from.top() + (from.height() / 3.0));
      const QPointF b(from.right(), from.top() + (2.0 * from.height() / 3.0));
      QPainterPath loop(a);
      loop.cubicTo(a + QPointF(40.0, -20.0), b + QPointF(40.0, 20.0), b);
      return loop;
   }
   QPainterPath path(borderPoint(from, to.center()));
   path.lineTo(borderPoint(to, from.center()));
   return path;
}

bool diagram_layout::run(const QVector<QSizeF>& vSizes, const QVector<edge>& vEdges)
{
   m_vPositions.fill(QPointF(), vSizes.count());
   m_vPaths.fill(QPainterPath(), vEdges.count());
   m_size = QSizeF();
   if (vSizes.isEmpty()) { return true; }

   // the connected groups, each in the order of its first box
   QVector<int> vParents(vSizes.count());
   for (int i = 0; i < vParents.count(); ++i) { vParents[i] = i; }
   for (const edge& e : vEdges) { vParents[findRoot(vParents, e.iFrom)] = findRoot(vParents, e.iTo); }
   QHash<int, int> hashGroups;
   QVector<group> vGroups;
   for (int i = 0; i < vSizes.count(); ++i)
   {
      const int iRoot = findRoot(vParents, i);
      if (! hashGroups.contains(iRoot)) { hashGroups.insert(iRoot, vGroups.count()); vGroups.append(group()); }
      vGroups[hashGroups.value(iRoot)].vNodes.append(i);
   }
   for (int i = 0; i < vEdges.count(); ++i) { vGroups[hashGroups.value(findRoot(vParents, vEdges.at(i).iFrom))].vEdges.append(i); }

   bool bDone = true;
   for (group& g : vGroups)
   {
      bDone = (layOutGroup(g, vSizes, vEdges) && bDone);
      wrapGroup(g, vSizes, vEdges);
   }

   // rows of groups, the highest first, each row about as wide as a screen-shaped whole would be
   std::stable_sort(vGroups.begin(), vGroups.end(), [](const group& a, const group& b) { return (a.size.height() > b.size.height()); });
   double dArea = 0.0;
   double dWidest = 0.0;
   for (const group& g : vGroups) { dArea += (g.size.width() + k_dGap) * (g.size.height() + k_dGap); dWidest = qMax(dWidest, g.size.width()); }
   const double dRowWidth = qMax(dWidest, std::sqrt(dArea * k_dScreenRatio));
   double dX = 0.0, dY = 0.0, dRowHeight = 0.0, dWidth = 0.0;
   for (group& g : vGroups)
   {
      if ((dX > 0.0) && ((dX + g.size.width()) > dRowWidth)) { dX = 0.0; dY += dRowHeight + k_dGap; dRowHeight = 0.0; }
      g.offset = QPointF(dX, dY);
      dX += g.size.width() + k_dGap;
      dRowHeight = qMax(dRowHeight, g.size.height());
      dWidth = qMax(dWidth, dX - k_dGap);
      for (int i : g.vNodes) { m_vPositions[i] += g.offset; }
      for (int i : g.vEdges) { m_vPaths[i].translate(g.offset); }
   }
   m_size = QSizeF(dWidth, dY + dRowHeight);
   return bDone;
}

bool diagram_layout::layOutGroup(group& g, const QVector<QSizeF>& vSizes, const QVector<edge>& vEdges)
{
   if (g.vEdges.isEmpty())
   {
      // a box alone needs no layout
      m_vPositions[g.vNodes.first()] = QPointF();
      g.size = vSizes.at(g.vNodes.first());
      return true;
   }
   QMutexLocker lock(&g_graphvizMutex);
   GVC_t* pContext = gvContext();
   Agraph_t* pGraph = agopen(text("diagram"), Agdirected, nullptr);
   set(pGraph, "splines", "spline");
   set(pGraph, "nodesep", "0.45");
   set(pGraph, "ranksep", "0.6");
   const int iCount = g.vNodes.count();
   if (iCount > k_iFullSearch)
   {
      // most of dot's time goes to crossing minimisation and to the network simplex placing the boxes across,
      // both growing faster than the boxes: a large group gets fewer iterations a box (a little longer edges,
      // about a tenth more crossings). The ranking keeps its full search: it is cheap, and worse ranks make
      // longer edges, which cost more in every later step.
      const double dShare = qMax(0.02, static_cast<double>(k_iFullSearch) / iCount);
      const QByteArray share = QByteArray::number(dShare, 'f', 3);
      set(pGraph, "nslimit", share);
      set(pGraph, "mclimit", share);
      set(pGraph, "searchsize", QByteArray::number(qMax(10, static_cast<int>(30 * dShare))));
   }
   QHash<int, Agnode_t*> hashNodes;
   for (int i : g.vNodes)
   {
      Agnode_t* pNode = agnode(pGraph, text(QByteArray::number(i).constData()), 1);
      set(pNode, "shape", "box");
      set(pNode, "fixedsize", "true");
      set(pNode, "label", "");
      set(pNode, "width", QByteArray::number(vSizes.at(i).width() / k_dPointsPerInch, 'f', 4));
      set(pNode, "height", QByteArray::number(vSizes.at(i).height() / k_dPointsPerInch, 'f', 4));
      hashNodes.insert(i, pNode);
   }
   // referenced -> referencing, so that a referenced table ranks above; arrows are the diagram's own business
   QVector<Agedge_t*> vGraphEdges;
   for (int i : g.vEdges)
   {
      Agedge_t* pEdge = agedge(pGraph, hashNodes.value(vEdges.at(i).iTo), hashNodes.value(vEdges.at(i).iFrom), nullptr, 1);
      set(pEdge, "dir", "none");
      vGraphEdges.append(pEdge);
   }

   const bool bDone = (gvLayout(pContext, pGraph, "dot") == 0);
   if (bDone)
   {
      // Graphviz's y axis points up
      const boxf bb = GD_bb(pGraph);
      const auto toGroup = [&bb](const pointf& p) { return QPointF(p.x - bb.LL.x, bb.UR.y - p.y); };
      g.size = QSizeF(bb.UR.x - bb.LL.x, bb.UR.y - bb.LL.y);
      for (int i : g.vNodes)
      {
         m_vPositions[i] = toGroup(ND_coord(hashNodes.value(i))) - QPointF(vSizes.at(i).width() / 2.0, vSizes.at(i).height() / 2.0);
      }
      for (int k = 0; k < vGraphEdges.count(); ++k)
      {
         const splines* pSplines = ED_spl(vGraphEdges.at(k));
         if (! pSplines) { continue; }
         QPainterPath path;
         for (int b = 0; b < pSplines->size; ++b)
         {
            const bezier& curve = pSplines->list[b];
            if (curve.size < 1) { continue; }
            path.moveTo(toGroup(curve.list[0]));
            for (int p = 1; (p + 2) < curve.size; p += 3) { path.cubicTo(toGroup(curve.list[p]), toGroup(curve.list[p + 1]), toGroup(curve.list[p + 2])); }
         }
         // dot may turn an edge round to break a cycle: the path must start at the referencing box
         const edge& e = vEdges.at(g.vEdges.at(k));
         const QRectF from(m_vPositions.at(e.iFrom), vSizes.at(e.iFrom));
         const QRectF to(m_vPositions.at(e.iTo), vSizes.at(e.iTo));
         if ((e.iFrom != e.iTo) && ! path.isEmpty() && (distance(from, path.pointAtPercent(0.0)) > distance(to, path.pointAtPercent(0.0)))) { path = path.toReversed(); }
         m_vPaths[g.vEdges.at(k)] = path;
      }
      gvFreeLayout(pContext, pGraph);
   }
   else
   {
      // in a row, so that nothing overlaps
      double dX = 0.0;
      for (int i : g.vNodes) { m_vPositions[i] = QPointF(dX, 0.0); dX += vSizes.at(i).width() + k_dGap; g.size = g.size.expandedTo(QSizeF(dX - k_dGap, vSizes.at(i).height())); }
   }
   agclose(pGraph);
   gvFreeContext(pContext);
   return bDone;
}

// dot puts every box of a rank on one line: a group of many boxes per rank is a long band, one of many ranks a
// tall one. Cut across its length into bands set side by side the other way, each as thick as its own boxes, as
// many as bring it within k_dGroupRatio; a band's boxes and the lines between them keep their places in it, a
// line from one band to another (or one whose curve wanders into another band) goes straight.
void diagram_layout::wrapGroup(group& g, const QVector<QSizeF>& vSizes, const QVector<edge>& vEdges)
{
   const bool bWide = (g.size.width() > (k_dGroupRatio * g.size.height()));
   const bool bTall = (g.size.height() > (k_dGroupRatio * g.size.width()));
   if (! bWide && ! bTall) { return; }
   const auto along = [bWide](const QPointF& p) { return (bWide ? p.x() : p.y()); };
   const auto across = [bWide](const QPointF& p) { return (bWide ? p.y() : p.x()); };
   const double dLength = (bWide ? g.size.width() : g.size.height());

   QVector<QPointF> vPositions;
   QHash<int, int> hashBands;
   QVector<QPointF> vOffsets;
   QRectF bounds;
   const int iFirst = static_cast<int>(std::ceil(std::sqrt(dLength / (k_dGroupRatio * qMax(1.0, bWide ? g.size.height() : g.size.width())))));
   for (int iBands = qMax(2, iFirst); iBands <= (qMax(2, iFirst) + 16); ++iBands)
   {
      const double dBandLength = (dLength / iBands);
      hashBands.clear();
      QVector<QRectF> vBands(iBands);
      for (int i : g.vNodes)
      {
         const QRectF box(m_vPositions.at(i), vSizes.at(i));
         const int iBand = qBound(0, static_cast<int>(along(box.center()) / dBandLength), iBands - 1);
         hashBands.insert(i, iBand);
         vBands[iBand] |= box;
      }
      // each band as thick as its boxes; bands left empty take no room
      vOffsets.fill(QPointF(), iBands);
      double dCursor = 0.0;
      for (int b = 0; b < iBands; ++b)
      {
         if (vBands.at(b).isNull()) { continue; }
         const QPointF start = vBands.at(b).topLeft();
         vOffsets[b] = (bWide ? QPointF(-along(start), dCursor - across(start)) : QPointF(dCursor - across(start), -along(start)));
         dCursor += (bWide ? vBands.at(b).height() : vBands.at(b).width()) + k_dGap;
      }
      bounds = QRectF();
      for (int b = 0; b < iBands; ++b) { if (! vBands.at(b).isNull()) { bounds |= vBands.at(b).translated(vOffsets.at(b)); } }
      if (aspectOf(bounds.size()) <= k_dGroupRatio) { break; }
   }
   for (int i : g.vNodes) { m_vPositions[i] += vOffsets.at(hashBands.value(i)); }
   QVector<QRectF> vBandRects(vOffsets.count());
   for (int i : g.vNodes) { vBandRects[hashBands.value(i)] |= QRectF(m_vPositions.at(i), vSizes.at(i)); }
   for (int k : g.vEdges)
   {
      const edge& e = vEdges.at(k);
      const int iBand = hashBands.value(e.iFrom);
      const QRectF band = vBandRects.at(iBand).adjusted(-k_dGap, -k_dGap, k_dGap, k_dGap);
      bool bStraight = ((iBand != hashBands.value(e.iTo)) || m_vPaths.at(k).isEmpty());
      if (! bStraight) { m_vPaths[k].translate(vOffsets.at(iBand)); bStraight = ! band.contains(m_vPaths.at(k).controlPointRect()); }
      if (bStraight) { m_vPaths[k] = straightPath(QRectF(m_vPositions.at(e.iFrom), vSizes.at(e.iFrom)), QRectF(m_vPositions.at(e.iTo), vSizes.at(e.iTo))); }
      bounds |= m_vPaths.at(k).controlPointRect();
   }
   for (int i : g.vNodes) { m_vPositions[i] -= bounds.topLeft(); }
   for (int k : g.vEdges) { m_vPaths[k].translate(-bounds.topLeft()); }
   g.size = bounds.size();
}

} // namespace view
