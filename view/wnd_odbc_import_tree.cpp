// Connection, catalogue read and the tree of tables and views of the settings dialog.
#include "wnd_odbc_import.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QSet>
#include <QTextDocument>

#include <vx/VxSqlDatabase.h>

#include <context/ctx_custom.h>
#include <context/ctx_scoped.h>
#include <plugin/generic_importer.h>
#include <tools/scoped_in_event.h>
#include <tools/wait_cursor.h>

#include "odbc_import.h"
#include "odbc_import_connection.h"
#include "odbc_import_process.h"

namespace view {

namespace {

const int k_iRoleKey = (Qt::UserRole + 1);

void processEvents()
{
   if (QCoreApplication::instance()) { QCoreApplication::processEvents(); }
}

/** Informative key of a node: the text's hash (seed 0) as an unsigned 32-bit value. */
QVariant hashKey(const QString& sText) { return QVariant(static_cast<qlonglong>(static_cast<quint32>(qHash(sText, 0)))); }

QTreeWidgetItem* addNode(QTreeWidgetItem* pParent, int iType, const QString& sText, const char* sIcon, const QVariant& vKey, bool bCheckable)
{
   auto* pItem = new QTreeWidgetItem(pParent, iType);
   pItem->setText(0, sText);
   pItem->setIcon(0, QIcon(QString(":/odbc_import/images/") + sIcon));
   if (vKey.isValid()) { pItem->setData(0, k_iRoleKey, vKey); }
   if (bCheckable)
   {
      pItem->setFlags(pItem->flags() | Qt::ItemIsUserCheckable);
      pItem->setCheckState(0, Qt::Unchecked);
   }
   // a tool tip guesses rich text: a name or default holding markup is shown as written, never rendered
   else { pItem->setToolTip(0, Qt::convertFromPlainText(sText, Qt::WhiteSpaceNormal)); }
   return pItem;
}

} // namespace

void wnd_odbc_import::doBtnConnect()
{
   m_btnOk->setEnabled(false);
   showCollapseExpand(false);
   m_lstItemsToImport->clear();
   m_pRootItem = nullptr;
   for (long i = 0; m_pListOfTables && (i < m_pListOfTables->count()); ++i)
   {
      if (const auto pTable = m_pListOfTables->getByIndex(i)) { pTable->terminate(); }
   }
   m_pListOfTables = std::make_shared<model::type_lst_table>();
   if (! m_pPlugin) { return; }
   if (m_txtConnectionString->text().isEmpty()) { warn(tr("DSN or connection string cannot be empty.")); return; }

   // no current entry reads as the generic engine
   const int iDatabaseType = m_cboDatabaseType->currentData(Qt::UserRole).toInt();
   context::ctx_custom* pContext = vx::VxSingleton<context::ctx_custom>::getSingleton();
   plugin::odbc_import_connection::fillContext(pContext, iDatabaseType, m_txtConnectionString->text(), m_txtLogin->text(), m_txtPassword->text());
   tools::wait_cursor wait;
   tools::scoped_in_event processing(m_bProcessing, true, -1);
   context::ctx_scoped scoped(pContext);
   readDatabase(iDatabaseType);
   // the reader is gone: the connection is not kept open for nothing
   vx::VxSqlDatabase::closeDatabase(*pContext);
}

void wnd_odbc_import::readDatabase(int iDatabaseType)
{
   QSqlError error;
   QSqlDatabase database = vx::VxSqlDatabase::getDatabase(error);
   if (! database.isOpen() || error.isValid()) { warn(tr("Error connecting to database :\n") + error.text()); return; }

   std::unique_ptr<plugin::odbc_import_process> pReader(plugin::odbc_import_process::createReader(iDatabaseType, (&database)));
   connect(pReader.get(), &plugin::odbc_import_process::onProcessState, this, &wnd_odbc_import::doProcessState);
   m_btnConnect->setEnabled(false);
   processEvents();
   const vx::VxBool read = pReader->startProcess();
   if (read.getValue())
   {
      m_pListOfTables = pReader->getListOfTables();
      fillTreeOfItems();
      if (! pReader->getWarnings().isEmpty()) { warn(pReader->getWarnings().join("\n")); }
   }
   else { warn(read.getDesc()); }
   m_btnConnect->setText(tr("Connect to database"));
   m_btnConnect->setEnabled(true);
}

void wnd_odbc_import::doProcessState(int iPercent)
{
   setConnectProgress(iPercent / 2);
}

void wnd_odbc_import::setConnectProgress(int iPercent)
{
   m_btnConnect->setText(tr("Connect to database") + " (" + QString::number(iPercent) + "%)");
   processEvents();
}

void wnd_odbc_import::fillTreeOfItems()
{
   m_lstItemsToImport->clear();
   m_pRootItem = nullptr;
   if (! m_pListOfTables) { return; }
   m_lstItemsToImport->setUpdatesEnabled(false);
   m_pRootItem = new QTreeWidgetItem(m_lstItemsToImport, item_root);
   m_pRootItem->setText(0, tr("List of tables and views to import (click on this root item to check or uncheck all children)"));
   m_pRootItem->setIcon(0, QIcon(":/odbc_import/images/database.png"));
   m_pRootItem->setFlags(m_pRootItem->flags() | Qt::ItemIsUserCheckable);
   m_pRootItem->setCheckState(0, Qt::Unchecked);
   m_pRootItem->setExpanded(true);

   const qint32 iCount = static_cast<qint32>(m_pListOfTables->count());
   QStringList lstNamespaces;
   QSet<QString> setNamespaces;
   for (long i = 0; i < iCount; ++i)
   {
      const auto pTable = m_pListOfTables->getByIndex(i);
      if (! pTable || ! pTable->getListOfColumns() || setNamespaces.contains(pTable->getNamespace())) { continue; }
      setNamespaces.insert(pTable->getNamespace());
      lstNamespaces.append(pTable->getNamespace());
   }
   QHash<QString, QTreeWidgetItem*> hashSchemas;
   if (lstNamespaces.count() >= 2)
   {
      lstNamespaces.sort(Qt::CaseSensitive);
      showCollapseExpand(true);
      for (const QString& sNamespace : lstNamespaces)
      {
         QTreeWidgetItem* pSchema = addNode(m_pRootItem, item_schema, "{} " + sNamespace, "schema.png", QVariant(), true);
         pSchema->setExpanded(true);
         hashSchemas.insert(sNamespace, pSchema);
      }
   }

   const plugin::generic_importer::type_lst_type_mapping lstNoMapping;
   qint32 iShown = 0;
   for (long i = 0; i < m_pListOfTables->count(); ++i)
   {
      const auto pTable = m_pListOfTables->getByIndex(i);
      if (! pTable || ! pTable->getListOfColumns()) { continue; }
      setConnectProgress((iCount == 0) ? 100 : (((iCount + iShown) * 100) / (2 * iCount)));
      ++iShown;

      const QString sNamespace = pTable->getNamespace();
      QTreeWidgetItem* pParent = hashSchemas.value(sNamespace, m_pRootItem);
      const bool bView = pTable->getIsView();
      const QString sText = (sNamespace.isEmpty() ? pTable->getName() : (sNamespace + "." + pTable->getName()));
      const QVariant vKey(static_cast<qlonglong>(m_pListOfTables->getKeyByIndex(i)));
      QTreeWidgetItem* pTableItem = addNode(pParent, (bView ? item_view : item_table), sText, (bView ? "view.png" : "table.png"), vKey, true);

      const auto pPrimaryKey = pTable->getPrimaryKey();
      if (pPrimaryKey && pPrimaryKey->getListColumns() && (pPrimaryKey->getListColumns()->count() > 0))
      {
         const QString sKey = pPrimaryKey->getName();
         addNode(pTableItem, item_primary_key, sKey + " : " + plugin::generic_importer::getPropertyType(pPrimaryKey->getListColumns(), lstNoMapping), "primary_key.png", hashKey(sKey), false);
      }
      const auto pColumns = pTable->getListOfColumns();
      for (long c = 0; c < pColumns->count(); ++c)
      {
         const auto pColumn = pColumns->getByIndex(c);
         if (! pColumn) { continue; }
         addNode(pTableItem, item_column, pColumn->getName() + " : " + plugin::generic_importer::getPropertyType(pColumn, lstNoMapping), "column.png", hashKey(pColumn->getName()), false);
      }
      const auto pRelations = pTable->getListOfRelations();
      for (long r = 0; pRelations && (r < pRelations->count()); ++r)
      {
         const auto pForeignKey = pRelations->getByIndex(r);
         if (! pForeignKey) { continue; }
         addNode(pTableItem, item_relationship, pForeignKey->getName() + " : " + plugin::generic_importer::getPropertyType(pForeignKey, lstNoMapping), "relationship.png", hashKey(pForeignKey->getName()), false);
      }
   }

   for (QTreeWidgetItem* pSchema : hashSchemas)
   {
      pSchema->setText(0, pSchema->text(0) + " (" + QString::number(pSchema->childCount()) + ")");
      pSchema->sortChildren(0, Qt::AscendingOrder);
   }
   m_pRootItem->sortChildren(0, Qt::AscendingOrder);
   // the column still fills the view, but never gets narrower than the texts shown now: long ones scroll
   QHeaderView* pHeader = m_lstItemsToImport->header();
   pHeader->setStretchLastSection(false);
   m_lstItemsToImport->resizeColumnToContents(0);
   pHeader->setMinimumSectionSize(pHeader->sectionSize(0));
   pHeader->setStretchLastSection(true);
   m_lstItemsToImport->setUpdatesEnabled(true);
}

void wnd_odbc_import::doTreeItemChanged(QTreeWidgetItem* item, int column)
{
   Q_UNUSED(column);
   if (s_bInTreeItemChanged || m_bProcessing || ! item) { return; }
   tools::scoped_in_event inTreeItemChanged(s_bInTreeItemChanged, true, -1);
   tools::wait_cursor wait;

   // check marks go down only: a parent never takes a state from its children
   if ((item == m_pRootItem) || (item->type() == item_schema))
   {
      const Qt::CheckState state = item->checkState(0);
      for (int i = 0; i < item->childCount(); ++i)
      {
         QTreeWidgetItem* pChild = item->child(i);
         pChild->setCheckState(0, state);
         if ((item != m_pRootItem) || (pChild->type() != item_schema)) { continue; }
         for (int j = 0; j < pChild->childCount(); ++j) { pChild->child(j)->setCheckState(0, state); }
      }
   }

   m_btnOk->setEnabled(false);
   for (int i = 0; m_pRootItem && (i < m_pRootItem->childCount()) && ! m_btnOk->isEnabled(); ++i)
   {
      QTreeWidgetItem* pChild = m_pRootItem->child(i);
      if (pChild->type() != item_schema) { m_btnOk->setEnabled(pChild->checkState(0) == Qt::Checked); continue; }
      for (int j = 0; (j < pChild->childCount()) && ! m_btnOk->isEnabled(); ++j) { m_btnOk->setEnabled(pChild->child(j)->checkState(0) == Qt::Checked); }
   }
}

void wnd_odbc_import::filterListOfTables(QTreeWidgetItem* parent)
{
   if (! parent || ! m_pListOfTables) { return; }
   QSet<long> setDropped;
   dropUncheckedTables(parent, setDropped);
   if (setDropped.isEmpty()) { return; }
   // one pass over the list instead of a removal (and renumbering) per table: the kept ones keep their order
   model::type_lst_table lstKept;
   for (long i = 0; i < m_pListOfTables->count(); ++i)
   {
      const long lKey = m_pListOfTables->getKeyByIndex(i);
      if (! setDropped.contains(lKey)) { lstKept.insert(lKey, m_pListOfTables->getByIndex(i)); }
   }
   (*m_pListOfTables) = lstKept;
}

void wnd_odbc_import::dropUncheckedTables(QTreeWidgetItem* parent, QSet<long>& setDropped)
{
   for (int i = 0; i < parent->childCount(); ++i)
   {
      QTreeWidgetItem* pChild = parent->child(i);
      if (pChild->type() == item_schema) { dropUncheckedTables(pChild, setDropped); continue; }
      const long lKey = static_cast<long>(static_cast<qint32>(pChild->data(0, k_iRoleKey).toLongLong()));
      const auto pTable = m_pListOfTables->getByKey(lKey);
      if (! pTable) { continue; }
      if (pChild->checkState(0) == Qt::Checked) { pTable->setMetaData("TABLE_ROOT_NAMESPACE", QVariant(m_txtNamespace->text())); continue; }
      pTable->terminate();
      setDropped.insert(lKey);
   }
}

} // namespace view
