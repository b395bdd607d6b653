#ifndef VIEW_WND_ODBC_IMPORT_H
#define VIEW_WND_ODBC_IMPORT_H

#include <memory>

#include <QDialog>
#include <QSet>
#include <QSqlError>

#include <vx/VxCollection.h>

#include <model/app_model.h>

#include "odbc_import_options.h"
#include "ui_wnd_odbc_import.h"

class QEventLoop;

namespace plugin { class import_interface; class odbc_import_read; }

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

   /** Role of the numbers of the host's combo models and of the keys of the tree's nodes (257). */
   static constexpr int k_iRoleNumber = (Qt::UserRole + 1);
   /** Rows of the tree every opening shows at least, when the screen holds them. */
   static constexpr int k_iTreeRows = 16;

   enum enum_tree_item { item_root = 1001, item_schema = 1002, item_table = 1003, item_view = 1004, item_primary_key = 1005, item_relationship = 1006, item_column = 1007,
                        /** the line that says the filter matches nothing */
                        item_no_match = 1008 };

   wnd_odbc_import(QWidget* parent, Qt::WindowFlags flags);
   ~wnd_odbc_import() override;

   /** Loads the stored settings of the opened project and shows the stored type mapping. */
   void initFromPlugin(plugin::import_interface* pPlugin);

   type_lst_table_ptr getListOfTables() const { return m_pListOfTables; }
   /** The options confirmed with OK, the type mapping among them. */
   const plugin::odbc_import_options& getOptions() const { return m_options; }
   bool getDeleteNamespace() const { return m_options.bDeleteNamespace; }
   QString getNamespace() const { return m_options.sNamespace; }
   bool getImportComment() const { return m_options.bImportComment; }
   bool getImportDefaultValue() const { return m_options.bImportDefaultValue; }
   int getDecoration() const { return m_options.iDecoration; }
   int getCollection() const { return m_options.iCollection; }
   bool getBoostOptionalForNullValue() const { return m_options.bBoostOptionalForNullValue; }
   type_lst_type_mapping getListOfTypeMapping() const { return m_listOfTypeMapping; }
   bool getOrganizeDiagramLayout() const { return m_options.bOrganizeDiagramLayout; }

   /** Escape: while the catalogue is read, it ends the read and the dialog stays. */
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
   /** Shows only the tables and views whose text in the tree ("schema.table") holds the text (any case), and the schemas that keep one. */
   void doTxtFilterTablesChanged(const QString& sText);
   /** Guesses the database type from the driver a connection string (or its data source) names, while none was chosen. */
   void doTxtConnectionStringEdited(const QString& sText);

protected:
   void resizeEvent(QResizeEvent* event) override;
   void showEvent(QShowEvent* event) override;
   void closeEvent(QCloseEvent* event) override;

private:
   void init();
   /** The tree of pTables, built apart from the widget; null when the connection was cancelled meanwhile. */
   QTreeWidgetItem* fillTreeOfItems(const type_lst_table_ptr& pTables);
   /** Keeps in the list only the tables and views checked under parent, each tagged with the namespace. */
   void filterListOfTables(QTreeWidgetItem* parent);
   void dropUncheckedTables(QTreeWidgetItem* parent, QSet<long>& setDropped);
   void fileTypeMapping();
   QSqlError loadSettings();
   QSqlError saveSettings();
   /** Saves the settings; a save that fails is said in a warning (the dialog goes on). */
   void storeSettings();
   void applySetting(const QString& sKey, const QVariant& vValue);

   /** Drops the tree and terminates the tables of the last connection. */
   void clearTables();
   /** Ends a running connection: the read goes on alone until it stops and releases its connection; the dialog stays as it was before. */
   void cancelConnect();
   /** OK is enabled while a table or view is checked; the count beside the filter follows. */
   void updateOkButton();
   void updateCheckedCount();
   void updateParentChecks();
   /** Tall enough to show k_iTreeRows rows of the tree, within the screen. */
   void fitTreeRows();
   void setConnectProgress(int iPercent);
   void warn(const QString& sText);
   void showCollapseExpand(bool bVisible);
   /** Collapses or expands the schema nodes (the tables keep their state). */
   void expandSchemas(bool bExpanded);

   plugin::import_interface* m_pPlugin = nullptr;
   type_lst_table_ptr m_pListOfTables;
   QTreeWidgetItem* m_pRootItem = nullptr;
   QTreeWidgetItem* m_pNoMatchItem = nullptr;
   bool m_bProcessing = false;
   plugin::odbc_import_options m_options;
   std::shared_ptr<view::odbc_import_type_mapping> m_pTypeMapping;
   type_lst_type_mapping m_listOfTypeMapping;
   // the read Connect waits for, and the loop that waits: both null when no read runs
   plugin::odbc_import_read* m_pRead = nullptr;
   QEventLoop* m_pReadLoop = nullptr;
   bool m_bConnectCancelled = false;
   // the database type shown was guessed from the connection string, not chosen: another guess may replace it
   bool m_bDatabaseTypeGuessed = false;
   // a dialog that could not read the stored settings shows defaults: it must not write them over the stored ones
   bool m_bSettingsLoadFailed = false;

   static bool s_bInTreeItemChanged;
};

} // namespace view

#endif // VIEW_WND_ODBC_IMPORT_H
