#ifndef VIEW_WND_ODBC_IMPORT_H
#define VIEW_WND_ODBC_IMPORT_H

#include <memory>

#include <QDialog>
#include <QSet>
#include <QSqlError>

#include <vx/VxCollection.h>

#include <model/app_model.h>

#include "ui_wnd_odbc_import.h"

namespace plugin { class odbc_import; }

namespace view {

class odbc_import_type_mapping;

/**
 * The settings dialog of an interactive import: connection, options and type mapping, the tree of
 * tables and views read from the database, and the stored settings of the opened project.
 */
class wnd_odbc_import : public QDialog, private Ui::wnd_odbc_import
{
   Q_OBJECT

public:
   typedef std::shared_ptr<vx::VxCollection<long, std::shared_ptr<model::app_table>>> type_lst_table_ptr;
   typedef vx::VxCollection<QString, QString> type_lst_type_mapping;

   enum enum_tree_item { item_root = 1001, item_schema = 1002, item_table = 1003, item_view = 1004, item_primary_key = 1005, item_relationship = 1006, item_column = 1007 };

   wnd_odbc_import(QWidget* parent, Qt::WindowFlags flags);
   ~wnd_odbc_import() override;

   /** Loads the stored settings of the opened project and shows the stored type mapping. */
   void initFromPlugin(plugin::odbc_import* pPlugin);

   type_lst_table_ptr getListOfTables() const { return m_pListOfTables; }
   bool getDeleteNamespace() const { return m_bDeleteNamespace; }
   QString getNamespace() const { return m_sNamespace; }
   bool getImportComment() const { return m_bImportComment; }
   bool getImportDefaultValue() const { return m_bImportDefaultValue; }
   int getDecoration() const { return m_iDecoration; }
   int getCollection() const { return m_iCollection; }
   bool getBoostOptionalForNullValue() const { return m_bBoostOptionalForNullValue; }
   type_lst_type_mapping getListOfTypeMapping() const { return m_listOfTypeMapping; }
   bool getOrganizeDiagramLayout() const { return m_bOrganizeDiagramLayout; }

   /** Escape and the like: refused while a connection runs, the dialog must keep blocking the host then. */
   void reject() override;

protected Q_SLOTS:
   void doBtnOk();
   void doBtnConnect();
   void doBtnCollapseSchema();
   void doBtnExpandSchema();
   void doClickBtnHelpManual();
   void doTreeItemChanged(QTreeWidgetItem* item, int column);
   void doCboDatabaseTypeChanged(int index);
   void doProcessState(int iPercent);

protected:
   void resizeEvent(QResizeEvent* event) override;
   void showEvent(QShowEvent* event) override;
   void closeEvent(QCloseEvent* event) override;

private:
   void init();
   void fillTreeOfItems();
   /** Keeps in the list only the tables and views checked under parent, each tagged with the namespace. */
   void filterListOfTables(QTreeWidgetItem* parent);
   void dropUncheckedTables(QTreeWidgetItem* parent, QSet<long>& setDropped);
   void fileTypeMapping();
   QSqlError loadSettings();
   QSqlError saveSettings();
   /** Saves the settings; a save that fails is said in a warning (the dialog goes on). */
   void storeSettings();
   void applySetting(const QString& sKey, const QVariant& vValue);

   /** Opens the connection of the custom context (made current) and reads its catalogue into m_pListOfTables. */
   void readDatabase(int iDatabaseType);
   void setConnectProgress(int iPercent);
   void warn(const QString& sText);
   void showCollapseExpand(bool bVisible);
   /** Collapses or expands the schema nodes (the tables keep their state). */
   void expandSchemas(bool bExpanded);

   plugin::odbc_import* m_pPlugin = nullptr;
   type_lst_table_ptr m_pListOfTables;
   QTreeWidgetItem* m_pRootItem = nullptr;
   bool m_bProcessing = false;
   bool m_bDeleteNamespace = false;
   QString m_sNamespace;
   bool m_bImportComment = false;
   bool m_bImportDefaultValue = false;
   int m_iDecoration = 5;
   int m_iCollection = 1;
   bool m_bBoostOptionalForNullValue = false;
   std::shared_ptr<view::odbc_import_type_mapping> m_pTypeMapping;
   type_lst_type_mapping m_listOfTypeMapping;
   bool m_bOrganizeDiagramLayout = true;
   // a dialog that could not read the stored settings shows defaults: it must not write them over the stored ones
   bool m_bSettingsLoadFailed = false;

   static bool s_bInTreeItemChanged;
};

} // namespace view

#endif // VIEW_WND_ODBC_IMPORT_H
