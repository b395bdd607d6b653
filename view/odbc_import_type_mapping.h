#ifndef VIEW_ODBC_IMPORT_TYPE_MAPPING_H
#define VIEW_ODBC_IMPORT_TYPE_MAPPING_H

#include <QMetaType>
#include <QObject>
#include <QString>

#include <vx/VxCollection.h>

class QGroupBox;
class QTableWidget;
class QTableWidgetItem;

namespace tools { class event_filter; }

Q_DECLARE_METATYPE(QTableWidgetItem*)

namespace view {

/**
 * Edits the list that maps SQL types to C++ types in a table of the settings dialog: one row per
 * mapping (SQL type, C++ type, delete button) and always one empty row at the bottom for a new one.
 * The dialog owns the table and the group box; the editor fills them and reads them back.
 */
class odbc_import_type_mapping : public QObject
{
   Q_OBJECT

public:
   typedef vx::VxCollection<QString, QString> type_lst_type_mapping;

   odbc_import_type_mapping(QTableWidget* pTable, QGroupBox* pGroupBox, const QString& sBaseTitle);
   ~odbc_import_type_mapping() override;

   /** Shows the list in the table, followed by the empty row. */
   void fill();
   /** Takes the table's complete rows into the list, in row order (a repeated SQL type keeps the upper row). */
   void file();
   type_lst_type_mapping getListOfTypeMapping() const { return m_listOfTypeMapping; }
   void setListOfTypeMapping(const type_lst_type_mapping& lst) { m_listOfTypeMapping = lst; }
   void clear();
   /** Shares the table's width between the SQL-type and C++-type columns. */
   void resizeTableWidget();

protected:
   void initTableWidget();
   void addTableRow(const QString& sCppType, const QString& sSqlType, int iRow);
   void checkTableRowNew();
   void clearTableWidget();
   void clearTableWidgetRow(int iRow);
   QString getSqlTypeByRow(int iRow) const;

protected Q_SLOTS:
   void doColCppTypeChanged(const QString& sText);
   void doColCppTypeReturnPressed();
   void doColSqlTypeChanged(const QString& sText);
   void doColSqlTypeReturnPressed();
   void doBtnDeleteClicked();
   void doVScrollVisibilityChanged(QObject* pWatched, bool bVisible);

private:
   /** Row of the cell widget that sent the signal (-1 when it has none or the row is gone). */
   int senderRow(bool* pHasItem = nullptr) const;
   QWidget* cellWidget(int iRow, int iColumn) const;
   void addLineEdit(int iRow, int iColumn, const QString& sText, QTableWidgetItem* pItemId, void (odbc_import_type_mapping::*onChanged)(const QString&),
                    void (odbc_import_type_mapping::*onReturn)());

   QTableWidget* m_pTable;
   QGroupBox* m_pGroupBox;
   QString m_sBaseTitle;
   bool m_bInFill = false;
   tools::event_filter* m_pScrollBarWatcher = nullptr;
   type_lst_type_mapping m_listOfTypeMapping;
};

} // namespace view

#endif // VIEW_ODBC_IMPORT_TYPE_MAPPING_H
