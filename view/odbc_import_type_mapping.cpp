#include "odbc_import_type_mapping.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

#include <tools/event_filter.h>
#include <tools/scoped_in_event.h>
#include <tools/wait_cursor.h>

namespace view {

namespace {

// the cell widgets of a row point at its column-0 item: rows stay known while rows above them go
const char* const k_sRowIdProperty = "KEL_TABLE_TYPE_MAPPING_KEY_ROW_ID";
const int k_iRoleSqlType = (Qt::UserRole + 1);
enum enum_column { col_id = 0, col_scroll_target = 1, col_sql_type = 2, col_cpp_type = 3, col_delete = 4, col_count = 5 };

void setRowId(QWidget* pWidget, QTableWidgetItem* pItem)
{
   static const int iType = qRegisterMetaType<QTableWidgetItem*>("QTableWidgetItem *");
   Q_UNUSED(iType);
   pWidget->setProperty(k_sRowIdProperty, QVariant::fromValue<QTableWidgetItem*>(pItem));
}

} // namespace

odbc_import_type_mapping::odbc_import_type_mapping(QTableWidget* pTable, QGroupBox* pGroupBox, const QString& sBaseTitle) :
   QObject(nullptr), m_pTable(pTable), m_pGroupBox(pGroupBox), m_sBaseTitle(sBaseTitle) { ; }

odbc_import_type_mapping::~odbc_import_type_mapping() = default;

void odbc_import_type_mapping::initTableWidget()
{
   if (! m_pTable) { return; }
   clearTableWidget();
   m_pTable->setAlternatingRowColors(true);
   m_pTable->verticalHeader()->setVisible(false);
   m_pTable->setColumnCount(col_count);
   m_pTable->setHorizontalHeaderLabels({ "[ID]", " ", tr("SQL type"), tr("C++ type"), " " });
   m_pTable->setColumnHidden(col_id, true);
   m_pTable->setEditTriggers(QAbstractItemView::AllEditTriggers);
   m_pTable->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
   if (m_pScrollBarWatcher) { return; }
   m_pScrollBarWatcher = new tools::event_filter(this);
   if (m_pTable->verticalScrollBar()) { m_pTable->verticalScrollBar()->installEventFilter(m_pScrollBarWatcher); }
   connect(m_pScrollBarWatcher, &tools::event_filter::onVisibilityChanged, this, &odbc_import_type_mapping::doVScrollVisibilityChanged);
}

void odbc_import_type_mapping::addTableRow(const QString& sCppType, const QString& sSqlType, int iRow)
{
   if (! m_pTable) { return; }
   if (iRow == -1)
   {
      m_pTable->setRowCount(m_pTable->rowCount() + 1);
      iRow = (m_pTable->rowCount() - 1);
   }
   auto* pItemId = new QTableWidgetItem();
   pItemId->setData(k_iRoleSqlType, sSqlType);
   m_pTable->setItem(iRow, col_id, pItemId);
   auto* pItemScroll = new QTableWidgetItem();
   pItemScroll->setFlags(Qt::ItemIsEnabled);
   m_pTable->setItem(iRow, col_scroll_target, pItemScroll);

   addLineEdit(iRow, col_sql_type, sSqlType, pItemId, &odbc_import_type_mapping::doColSqlTypeChanged, &odbc_import_type_mapping::doColSqlTypeReturnPressed);
   addLineEdit(iRow, col_cpp_type, sCppType, pItemId, &odbc_import_type_mapping::doColCppTypeChanged, &odbc_import_type_mapping::doColCppTypeReturnPressed);

   auto* pDelete = new QPushButton(m_pTable);
   setRowId(pDelete, pItemId);
   // Return typed in the dialog must never press a row's delete button
   pDelete->setAutoDefault(false);
   connect(pDelete, &QPushButton::clicked, this, &odbc_import_type_mapping::doBtnDeleteClicked);
   pDelete->setIcon(QIcon(":/odbc_import/images/delete.png"));
   m_pTable->setCellWidget(iRow, col_delete, pDelete);
}

void odbc_import_type_mapping::addLineEdit(int iRow, int iColumn, const QString& sText, QTableWidgetItem* pItemId, void (odbc_import_type_mapping::*onChanged)(const QString&),
                                           void (odbc_import_type_mapping::*onReturn)())
{
   auto* pEdit = new QLineEdit(m_pTable);
   setRowId(pEdit, pItemId);
   // connected before the text is set
   connect(pEdit, &QLineEdit::textChanged, this, onChanged);
   connect(pEdit, &QLineEdit::returnPressed, this, onReturn);
   pEdit->setFrame(false);
   pEdit->setText(sText);
   m_pTable->setCellWidget(iRow, iColumn, pEdit);
}

void odbc_import_type_mapping::checkTableRowNew()
{
   static bool s_bInCheckTableRowNew = false;
   if (s_bInCheckTableRowNew) { return; }
   tools::scoped_in_event inCheck(s_bInCheckTableRowNew, true, -1);
   if (! m_pTable) { return; }
   const int iRowCount = m_pTable->rowCount();
   if ((iRowCount > 0) && ! getSqlTypeByRow(iRowCount - 1).isEmpty()) { addTableRow(QString(), QString(), -1); }
   if (m_pGroupBox) { m_pGroupBox->setTitle(m_sBaseTitle + " (" + QString::number(m_pTable->rowCount() - 1) + ")"); }
}

void odbc_import_type_mapping::fill()
{
   initTableWidget();
   if (! m_pTable) { return; }
   tools::scoped_in_event inFill(m_bInFill, true, -1);
   const long lCount = m_listOfTypeMapping.count();
   m_pTable->setUpdatesEnabled(false);
   m_pTable->setRowCount(static_cast<int>(lCount) + 1);
   const bool bWasHidden = m_pTable->isHidden();
   m_pTable->hide();

   int iRow = -1;
   for (long i = 0; i < lCount; ++i)
   {
      const QString sSqlType = m_listOfTypeMapping.getKeyByIndex(i);
      const QString sCppType = m_listOfTypeMapping.getByIndex(i);
      if (sSqlType.isEmpty() || sCppType.isEmpty()) { continue; }
      addTableRow(sCppType, sSqlType, ++iRow);
   }
   addTableRow(QString(), QString(), ++iRow);
   for (int i = (m_pTable->rowCount() - 1); i > iRow; --i) { m_pTable->removeRow(i); }

   m_pTable->setUpdatesEnabled(true);
   if (! bWasHidden) { m_pTable->show(); }
   resizeTableWidget();
   checkTableRowNew();
}

void odbc_import_type_mapping::file()
{
   if (! m_pTable) { return; }
   m_listOfTypeMapping.clear();
   for (int iRow = 0; iRow < m_pTable->rowCount(); ++iRow)
   {
      const auto* pSqlType = qobject_cast<QLineEdit*>(cellWidget(iRow, col_sql_type));
      const auto* pCppType = qobject_cast<QLineEdit*>(cellWidget(iRow, col_cpp_type));
      const QString sSqlType = (pSqlType ? pSqlType->text() : QString());
      const QString sCppType = (pCppType ? pCppType->text() : QString());
      if (sSqlType.isEmpty() || sCppType.isEmpty()) { continue; }
      // the list keeps the first entry of a key: the upper row wins
      m_listOfTypeMapping.insert(sSqlType, sCppType);
   }
}

void odbc_import_type_mapping::clear()
{
   m_listOfTypeMapping.clear();
   clearTableWidget();
}

void odbc_import_type_mapping::resizeTableWidget()
{
   tools::wait_cursor wait;
   if (! m_pTable) { return; }
   m_pTable->resizeRowsToContents();
   m_pTable->resizeColumnsToContents();
   int iWidth = (m_pTable->width() - 5);
   const QScrollBar* pScrollBar = m_pTable->verticalScrollBar();
   if (pScrollBar && pScrollBar->isVisible()) { iWidth -= pScrollBar->width(); }
   iWidth -= (m_pTable->columnWidth(col_scroll_target) + m_pTable->columnWidth(col_delete));
   if (iWidth <= 10) { return; }
   m_pTable->setColumnWidth(col_sql_type, (iWidth / 2));
   m_pTable->setColumnWidth(col_cpp_type, (iWidth / 2));
}

void odbc_import_type_mapping::clearTableWidget()
{
   if (! m_pTable) { return; }
   for (int iRow = (m_pTable->rowCount() - 1); iRow >= 0; --iRow)
   {
      clearTableWidgetRow(iRow);
      m_pTable->removeRow(iRow);
   }
   m_pTable->setRowCount(0);
}

void odbc_import_type_mapping::clearTableWidgetRow(int iRow)
{
   QTableWidgetItem* pItem = (m_pTable ? m_pTable->item(iRow, col_id) : nullptr);
   if (pItem) { pItem->setData(k_iRoleSqlType, QVariant()); }
}

QString odbc_import_type_mapping::getSqlTypeByRow(int iRow) const
{
   const auto* pSqlType = qobject_cast<QLineEdit*>(cellWidget(iRow, col_sql_type));
   return (pSqlType ? pSqlType->text() : QString());
}

QWidget* odbc_import_type_mapping::cellWidget(int iRow, int iColumn) const
{
   return ((m_pTable && (iRow >= 0)) ? m_pTable->cellWidget(iRow, iColumn) : nullptr);
}

int odbc_import_type_mapping::senderRow(bool* pHasItem) const
{
   const QObject* pSender = sender();
   const QVariant vItem = (pSender ? pSender->property(k_sRowIdProperty) : QVariant());
   const QTableWidgetItem* pItem = (vItem.canConvert<QTableWidgetItem*>() ? vItem.value<QTableWidgetItem*>() : nullptr);
   if (pHasItem) { (*pHasItem) = (pItem != nullptr); }
   return ((pItem && m_pTable) ? m_pTable->row(pItem) : -1);
}

// typing into either column of the empty row makes it a row of the list: the next empty row follows
void odbc_import_type_mapping::doColCppTypeChanged(const QString& sText)
{
   Q_UNUSED(sText);
   if (! m_bInFill) { checkTableRowNew(); }
}

void odbc_import_type_mapping::doColSqlTypeChanged(const QString& sText)
{
   Q_UNUSED(sText);
   if (! m_bInFill) { checkTableRowNew(); }
}

void odbc_import_type_mapping::doColSqlTypeReturnPressed()
{
   if (m_bInFill || ! m_pTable) { return; }
   const int iRow = senderRow();
   if (QWidget* pCppType = cellWidget(iRow, col_cpp_type)) { pCppType->setFocus(Qt::OtherFocusReason); }
}

void odbc_import_type_mapping::doColCppTypeReturnPressed()
{
   if (m_bInFill || ! m_pTable) { return; }
   const int iRow = senderRow();
   if (iRow < 0) { return; }
   auto* pNextSqlType = qobject_cast<QLineEdit*>(cellWidget(iRow + 1, col_sql_type));
   if (! pNextSqlType) { return; }
   m_pTable->scrollToItem(m_pTable->item(iRow + 1, col_scroll_target), QAbstractItemView::EnsureVisible);
   pNextSqlType->setFocus(Qt::OtherFocusReason);
}

void odbc_import_type_mapping::doBtnDeleteClicked()
{
   if (m_bInFill || ! m_pTable) { return; }
   bool bHasItem = false;
   const int iRow = senderRow(&bHasItem);
   if (bHasItem && (iRow >= 0) && ! getSqlTypeByRow(iRow).isEmpty())
   {
      clearTableWidgetRow(iRow);
      m_pTable->removeRow(iRow);
   }
   checkTableRowNew();
}

void odbc_import_type_mapping::doVScrollVisibilityChanged(QObject* pWatched, bool bVisible)
{
   Q_UNUSED(pWatched);
   Q_UNUSED(bVisible);
   resizeTableWidget();
}

} // namespace view
