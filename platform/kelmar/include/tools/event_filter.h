#ifndef TOOLS_EVENT_FILTER_H
#define TOOLS_EVENT_FILTER_H

#include <QObject>

namespace tools {

/** Watches the objects it is installed on and tells when one is shown or hidden. */
class event_filter : public QObject
{
   Q_OBJECT

public:
   explicit event_filter(QObject* parent);
   bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

Q_SIGNALS:
   void onVisibilityChanged(QObject* pWatched, bool bVisible);
};

} // namespace tools

#endif // TOOLS_EVENT_FILTER_H
