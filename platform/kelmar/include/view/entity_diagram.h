#ifndef VIEW_ENTITY_DIAGRAM_H
#define VIEW_ENTITY_DIAGRAM_H

#include <QGraphicsView>
#include <QHash>
#include <QPointF>

#include <model/project.h>

class QGraphicsLineItem;
class QGraphicsRectItem;

namespace view {

/** The project's entities as a diagram: a box per entity with its properties, a line per relationship. */
class entity_diagram : public QGraphicsView
{
   Q_OBJECT

public:
   explicit entity_diagram(QWidget* parent = nullptr);

   /** Shows these entities. Known ones keep their place; new ones are stacked at the top left until organised. */
   void setEntities(const QList<model::entity>& lst);
   /** Puts every box in a grid, by namespace then name, row after row. */
   void organizeLayout();

   /** The box of an entity by its full name ("namespace::name"), null when it is not shown. */
   QGraphicsRectItem* getBox(const QString& sFullName) const { return m_hashBoxes.value(sFullName); }
   int getLineCount() const { return m_lstLines.count(); }

private:
   QGraphicsRectItem* createBox(const model::entity& e);
   void drawLines();

   QList<model::entity> m_lstEntities;
   QHash<QString, QGraphicsRectItem*> m_hashBoxes;
   /** Where each entity's box was, so that a reload does not move what the user has laid out. */
   QHash<QString, QPointF> m_hashPositions;
   QList<QGraphicsLineItem*> m_lstLines;
};

} // namespace view

#endif // VIEW_ENTITY_DIAGRAM_H
