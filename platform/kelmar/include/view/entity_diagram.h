#ifndef VIEW_ENTITY_DIAGRAM_H
#define VIEW_ENTITY_DIAGRAM_H

#include <memory>

#include <QGraphicsView>
#include <QHash>
#include <QPainterPath>
#include <QRectF>

#include <vx/VxBool.h>

#include <model/project.h>

class QGraphicsPathItem;
class QGraphicsRectItem;
class QLabel;
class QThread;

namespace view {

/** The project's entities as a diagram: a box per entity with its properties, a line per relationship,
    laid out by the relationships (Graphviz) on a thread of its own, zoomed with Ctrl and the wheel. */
class entity_diagram : public QGraphicsView
{
   Q_OBJECT

public:
   explicit entity_diagram(QWidget* parent = nullptr);
   ~entity_diagram() override;

   /** Shows these entities. Boxes placed before keep their places (a reload, an undo, a redo); the others are
       laid out among themselves and set beside them, off the GUI thread: they appear once that is done. */
   void setEntities(const QList<model::entity>& lst);
   /** Lays the whole diagram out again from the relationships (nothing moves when it is laid out so already). */
   void organizeLayout();
   /** Lays out the boxes that have no place yet, beside the others. */
   void placeNewEntities();
   /** True while a layout runs or waits to run. */
   bool isLayingOut() const;

   /** The box of an entity by its full name ("namespace::name"), null when it is not shown; in the scene once it has its place. */
   QGraphicsRectItem* getBox(const QString& sFullName) const { return m_hashBoxes.value(sFullName); }
   /** The relationship lines, each from the referencing box to the referenced one (scene coordinates). */
   QList<QGraphicsPathItem*> getLines() const { return m_lstLines; }
   int getLineCount() const { return m_lstLines.count(); }
   /** What the boxes and lines cover (scene coordinates). */
   QRectF getDiagramRect() const;

   qreal getZoom() const { return transform().m11(); }
   void setZoom(qreal dZoom);
   /** Scrolls to the entity's box and highlights it (empty name: none). */
   void selectEntity(const QString& sFullName);
   QString getSelectedEntity() const { return m_sSelected; }
   /** Writes the whole diagram as a picture, PNG or SVG by the file's suffix, without the highlight. */
   vx::VxBool exportTo(const QString& sFile);

   /** Colours of the lines and of the highlight: no line is drawn in the highlight's. */
   static QColor getLineColor();
   static QColor getHighlightColor();

Q_SIGNALS:
   /** Every box has its place and every line is drawn. */
   void onLayoutDone();

public Q_SLOTS:
   void doZoomIn() { setZoom(getZoom() * 1.25); }
   void doZoomOut() { setZoom(getZoom() / 1.25); }
   /** The whole diagram in the window (never enlarged beyond its own size). */
   void doFitToWindow();

protected:
   void wheelEvent(QWheelEvent* pEvent) override;
   void resizeEvent(QResizeEvent* pEvent) override;

private:
   struct layout_job;
   /** A relationship drawn between two boxes: the names of both ends and its own key. */
   struct line_info { QString sFrom; QString sTo; QString sKey; QString sName; };

   QGraphicsRectItem* createBox(const model::entity& e);
   /** Asks for a layout at the next turn of the event loop, so that a reload and an organize become one. */
   void scheduleLayout(bool bWhole);
   void startLayout();
   void applyLayout(const layout_job& job);
   /** Puts the boxes at their places (those without one hidden) and draws the lines between shown boxes. */
   void placeBoxes();
   void dropUnplacedBoxes();
   void drawLines();
   void showFromStart();
   void setBusy(bool bBusy, int iCount = 0);
   QString layoutKey() const;
   void highlight(QGraphicsRectItem* pBox, bool bOn) const;
   vx::VxBool writePicture(const QString& sFile);

   QList<model::entity> m_lstEntities;
   QStringList m_lstNames;
   QHash<QString, QGraphicsRectItem*> m_hashBoxes;
   QList<line_info> m_lstLineInfos;
   /** Where each box went (kept for boxes that leave, so that one coming back returns there), and the paths found. */
   QHash<QString, QRectF> m_hashPlaces;
   QHash<QString, QPainterPath> m_hashPaths;
   /** The boxes and relationships of the last whole layout, when nothing was placed since. */
   QString m_sLayoutKey;
   QList<QGraphicsPathItem*> m_lstLines;
   QString m_sSelected;

   QThread* m_pLayoutThread = nullptr;
   bool m_bLayoutScheduled = false;
   bool m_bWholeAsked = false;
   QLabel* m_lblBusy = nullptr;
};

} // namespace view

#endif // VIEW_ENTITY_DIAGRAM_H
