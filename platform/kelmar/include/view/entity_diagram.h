#ifndef VIEW_ENTITY_DIAGRAM_H
#define VIEW_ENTITY_DIAGRAM_H

#include <QGraphicsView>
#include <QHash>
#include <QPainterPath>
#include <QPointF>

#include <vx/VxBool.h>

#include <model/project.h>

class QGraphicsPathItem;
class QGraphicsRectItem;

namespace view {

/** The project's entities as a diagram: a box per entity with its properties, a line per relationship,
    laid out by the relationships (Graphviz), zoomed with Ctrl and the wheel. */
class entity_diagram : public QGraphicsView
{
   Q_OBJECT

public:
   explicit entity_diagram(QWidget* parent = nullptr);

   /** Shows these entities. When the boxes and relationships are those already shown (a reload, an entity
       replaced by the same table), everything keeps its place; otherwise the diagram is laid out again. */
   void setEntities(const QList<model::entity>& lst);
   /** Lays the diagram out again from the relationships. */
   void organizeLayout();

   /** The box of an entity by its full name ("namespace::name"), null when it is not shown. */
   QGraphicsRectItem* getBox(const QString& sFullName) const { return m_hashBoxes.value(sFullName); }
   /** The relationship lines, each from the referencing box to the referenced one (scene coordinates). */
   QList<QGraphicsPathItem*> getLines() const { return m_lstLines; }
   int getLineCount() const { return m_lstLines.count(); }

   qreal getZoom() const { return transform().m11(); }
   void setZoom(qreal dZoom);
   /** Scrolls to the entity's box and highlights it (empty name: none). */
   void selectEntity(const QString& sFullName);
   QString getSelectedEntity() const { return m_sSelected; }
   /** Writes the whole diagram as a picture, PNG or SVG by the file's suffix. */
   vx::VxBool exportTo(const QString& sFile);

public Q_SLOTS:
   void doZoomIn() { setZoom(getZoom() * 1.25); }
   void doZoomOut() { setZoom(getZoom() / 1.25); }
   /** The whole diagram in the window (never enlarged beyond its own size). */
   void doFitToWindow();

protected:
   void wheelEvent(QWheelEvent* pEvent) override;

private:
   QGraphicsRectItem* createBox(const model::entity& e);
   /** Places the boxes, laid out again only when the entities changed; a new layout (or bShowFromStart) is shown from its top left. */
   void layOut(bool bShowFromStart = false);
   void drawLines();
   void highlight(QGraphicsRectItem* pBox, bool bOn) const;

   QList<model::entity> m_lstEntities;
   QHash<QString, QGraphicsRectItem*> m_hashBoxes;
   /** What was laid out (the boxes' names and sizes, the relationships), with the places and paths found for it. */
   QString m_sLayoutKey;
   QHash<QString, QPointF> m_hashPositions;
   QList<QPainterPath> m_lstPaths;
   QList<QGraphicsPathItem*> m_lstLines;
   QString m_sSelected;
};

} // namespace view

#endif // VIEW_ENTITY_DIAGRAM_H
