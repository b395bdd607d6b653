#ifndef KEL_TESTS_DIALOG_SUPPORT_H
#define KEL_TESTS_DIALOG_SUPPORT_H

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <context/ctx_project.h>
#include <view/wnd_odbc_import.h>

#include "modal_watch.h"
#include "test_env.h"

// What the tests of the settings dialog share: its widgets by object name and a connection made through it.
namespace kel_dialog {

typedef view::wnd_odbc_import wnd;

/** A widget of the dialog by object name (null when absent or of another class). */
template <class T = QWidget>
T* w(const QWidget* pWnd, const char* sName) { return pWnd->findChild<T*>(QString::fromLatin1(sName)); }

/** Fills the connection fields, presses "Connect to database" and returns the warnings it showed. */
inline QStringList connectTo(wnd* pWnd, const QString& sDsn, const QString& sEngine)
{
   w<QLineEdit>(pWnd, "m_txtConnectionString")->setText(sDsn);
   QComboBox* pEngine = w<QComboBox>(pWnd, "m_cboDatabaseType");
   pEngine->setCurrentIndex(pEngine->findText(sEngine));
   kel_test::modal_watch watch;
   w<QPushButton>(pWnd, "m_btnConnect")->click();
   return watch.messages;
}

inline QTreeWidgetItem* rootItem(const wnd* pWnd) { return w<QTreeWidget>(pWnd, "m_lstItemsToImport")->topLevelItem(0); }

} // namespace kel_dialog

#endif // KEL_TESTS_DIALOG_SUPPORT_H
