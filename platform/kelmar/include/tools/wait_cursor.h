#ifndef TOOLS_WAIT_CURSOR_H
#define TOOLS_WAIT_CURSOR_H

#include <QApplication>
#include <QCursor>

namespace tools {

/** Busy cursor while alive (nothing without a GUI application). */
class wait_cursor
{
public:
   wait_cursor() : m_bActive(qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) { if (m_bActive) { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); } }
   ~wait_cursor() { if (m_bActive) { QApplication::restoreOverrideCursor(); } }
   wait_cursor(const wait_cursor&) = delete;
   wait_cursor& operator=(const wait_cursor&) = delete;

private:
   bool m_bActive;
};

} // namespace tools

#endif // TOOLS_WAIT_CURSOR_H
