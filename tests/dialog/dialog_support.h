#ifndef KEL_TESTS_DIALOG_SUPPORT_H
#define KEL_TESTS_DIALOG_SUPPORT_H

#include <memory>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPluginLoader>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>

#include <context/ctx_project.h>
#include <odbc_import.h>
#include <view/wnd_odbc_import.h>

#include "modal_watch.h"
#include "test_env.h"

// What the tests of the settings dialog share: the loaded plug-in (its icons and its object), the
// dialog as the import builds it, its widgets by object name, and a connection made through it.
namespace kel_dialog {

using tree_item = QTreeWidgetItem;
typedef view::wnd_odbc_import wnd;

/** Loads the plug-in module as the host does: its icons get registered; null when it does not load. */
inline plugin::odbc_import* loadPlugin(QPluginLoader& loader)
{
   loader.setFileName(QString(KEL_PLUGIN_FILE));
   return (loader.load() ? static_cast<plugin::odbc_import*>(qobject_cast<plugin::import_interface*>(loader.instance())) : nullptr);
}

/** A dialog as the import makes it: built, then given the plug-in (the stored settings of the open project are loaded). */
inline std::unique_ptr<wnd> newDialog(plugin::odbc_import* pPlugin)
{
   std::unique_ptr<wnd> pWnd(new wnd(nullptr, Qt::WindowFlags()));
   pWnd->initFromPlugin(pPlugin);
   return pWnd;
}

/** A widget of the dialog by object name (null when absent or of another class). */
template <class T>
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

inline tree_item* rootItem(const wnd* pWnd) { return w<QTreeWidget>(pWnd, "m_lstItemsToImport")->topLevelItem(0); }

/** Table and view nodes in tree order, through the schema nodes. */
inline QList<tree_item*> tableNodes(const wnd* pWnd)
{
   QList<tree_item*> lst;
   tree_item* pRoot = rootItem(pWnd);
   for (int i = 0; pRoot && (i < pRoot->childCount()); ++i)
   {
      tree_item* pChild = pRoot->child(i);
      if (pChild->type() != wnd::item_schema) { lst.append(pChild); continue; }
      for (int j = 0; j < pChild->childCount(); ++j) { lst.append(pChild->child(j)); }
   }
   return lst;
}

inline QStringList texts(const QList<tree_item*>& lst)
{
   QStringList lstTexts;
   for (const tree_item* p : lst) { lstTexts.append(p->text(0)); }
   return lstTexts;
}

/** "name=value" of every stored row of the dialog in a project file, in row order. */
inline QStringList storedSettings(const QString& sProject)
{
   return kel_test::connection(sProject, "QSQLITE").column("SELECT param_key || '=' || COALESCE(CAST(param_value AS TEXT), '') FROM t_plugin_params "
                                                           "WHERE plugin_guid = '0B7E5C21-6A3D-4F88-9D02-E4C1A7F35B90_WND_ODBC_IMPORT' ORDER BY rowid");
}

} // namespace kel_dialog

#endif // KEL_TESTS_DIALOG_SUPPORT_H
