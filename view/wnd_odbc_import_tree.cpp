// Connection, catalogue read and the tree of tables and views of the settings dialog.
#include "wnd_odbc_import.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QSet>
#include <QTextDocument>

#include <QEventLoop>
#include <QPointer>

#include <plugin/generic_importer.h>
#include <tools/scoped_in_event.h>
#include <tools/wait_cursor.h>

#include "odbc_import_read.h"

namespace view {

namespace {

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
   if (vKey.isValid()) { pItem->setData(0, wnd_odbc_import::k_iRoleNumber, vKey); }
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

void wnd_odbc_import::clearTables()
{
   m_btnOk->setEnabled(false);
   showCollapseExpand(false);
   m_lstItemsToImport->clear();
   m_pRootItem = nullptr;
   m_pNoMatchItem = nullptr;
   for (long i = 0; m_pListOfTables && (i < m_pListOfTables->count()); ++i)
   {
      if (const auto pTable = m_pListOfTables->getByIndex(i)) { pTable->terminate(); }
   }
   m_pListOfTables = std::make_shared<model::type_lst_table>();
}

// The read runs on a thread of its own while this waits in an event loop: the windows keep
// repainting, and Cancel, Escape or closing end the wait at once. The tree of the last connection
// stays until the new one is complete, so that a cancelled Connect leaves the dialog as it was.
void wnd_odbc_import::doBtnConnect()
{
   if (m_bProcessing) { return; }
   if (! m_pPlugin || m_txtConnectionString->text().isEmpty())
   {
      clearTables();
      if (m_pPlugin) { warn(tr("DSN or connection string cannot be empty.")); }
      return;
   }

   plugin::odbc_import_source source;
   // no current entry reads as the generic engine
   source.iDatabaseType = m_cboDatabaseType->currentData(Qt::UserRole).toInt();
   source.sDsn = m_txtConnectionString->text();
   source.sLogin = m_txtLogin->text();
   source.sPassword = m_txtPassword->text();
   source.bCheckEngine = true;
   const QPointer<wnd_odbc_import> pThis(this);
   tools::wait_cursor wait;
   m_bProcessing = true;
   m_bConnectCancelled = false;
   m_btnOk->setEnabled(false);
   m_btnConnect->setEnabled(false);
   m_lstItemsToImport->setEnabled(false);
   QEventLoop loop;
   m_pRead = new plugin::odbc_import_read(source);
   m_pReadLoop = (&loop);
   connect(m_pRead, &plugin::odbc_import_read::onProcessState, this, &wnd_odbc_import::doProcessState);
   connect(m_pRead, &plugin::odbc_import_read::onFinished, &loop, &QEventLoop::quit);
   m_pRead->start();
   loop.exec();
   // the host may have closed the dialog meanwhile
   if (! pThis) { return; }
   m_pReadLoop = nullptr;

   if (! m_bConnectCancelled)
   {
      // it deletes itself at the next turn of the event loop: its results are taken now
      const vx::VxBool read = m_pRead->getResult();
      const type_lst_table_ptr pTables = m_pRead->getListOfTables();
      const QStringList lstWarnings = m_pRead->getWarnings();
      m_pRead = nullptr;
      // a reader that asks the driver finds an empty database no failure: it is said all the same
      const bool bEmpty = (read.getValue() && (! pTables || (pTables->count() == 0)));
      QTreeWidgetItem* pRoot = ((read.getValue() && ! bEmpty) ? fillTreeOfItems(pTables) : nullptr);
      if (! pThis) { return; }
      if (! m_bConnectCancelled)
      {
         clearTables();
         if (pRoot)
         {
            m_pListOfTables = pTables;
            m_pRootItem = pRoot;
            m_lstItemsToImport->addTopLevelItem(pRoot);
            pRoot->setExpanded(true);
            // items sort and expand only in a widget
            bool bSchemas = false;
            for (int i = 0; i < pRoot->childCount(); ++i)
            {
               if (pRoot->child(i)->type() != item_schema) { continue; }
               pRoot->child(i)->sortChildren(0, Qt::AscendingOrder);
               pRoot->child(i)->setExpanded(bSchemas = true);
            }
            pRoot->sortChildren(0, Qt::AscendingOrder);
            showCollapseExpand(bSchemas);
            // the column still fills the view, but never gets narrower than the texts shown now: long ones scroll
            QHeaderView* pHeader = m_lstItemsToImport->header();
            pHeader->setStretchLastSection(false);
            m_lstItemsToImport->resizeColumnToContents(0);
            pHeader->setMinimumSectionSize(pHeader->sectionSize(0));
            pHeader->setStretchLastSection(true);
            // the filter typed before stays in force
            doTxtFilterTablesChanged(m_txtFilterTables->text());
            // what the reader left out is said, the rest is shown
            if (! lstWarnings.isEmpty()) { warn(lstWarnings.join("\n")); }
         }
         else if (bEmpty) { warn(plugin::odbc_import_process::getNoTableMessage()); }
         else { warn(read.getDesc()); }
      }
      // a tree built for nothing: its tables were never shown
      else if (pRoot)
      {
         delete pRoot;
         for (long i = 0; pTables && (i < pTables->count()); ++i) { if (const auto pTable = pTables->getByIndex(i)) { pTable->terminate(); } }
      }
   }
   m_bProcessing = false;
   m_lstItemsToImport->setEnabled(true);
   updateOkButton();
   m_btnConnect->setText(tr("Connect to database"));
   m_btnConnect->setEnabled(true);
}

void wnd_odbc_import::cancelConnect()
{
   if (! m_bProcessing) { return; }
   m_bConnectCancelled = true;
   if (m_pRead)
   {
      disconnect(m_pRead, nullptr, this, nullptr);
      m_pRead->abandon();
      m_pRead = nullptr;
   }
   if (m_pReadLoop) { m_pReadLoop->quit(); }
}

void wnd_odbc_import::doProcessState(int iPercent)
{
   setConnectProgress(iPercent / 2);
}

// shown at once, also while the tree is filled on this thread
void wnd_odbc_import::setConnectProgress(int iPercent)
{
   m_btnConnect->setText(tr("Connect to database") + " (" + QString::number(iPercent) + "%)");
   m_btnConnect->repaint();
}

QTreeWidgetItem* wnd_odbc_import::fillTreeOfItems(const type_lst_table_ptr& pTables)
{
   if (! pTables) { return nullptr; }
   const QPointer<wnd_odbc_import> pThis(this);
   // not in the widget yet: doBtnConnect puts it there, expanded, once it is complete
   std::unique_ptr<QTreeWidgetItem> pRoot(new QTreeWidgetItem(item_root));
   pRoot->setText(0, tr("List of tables and views to import (click on this root item to check or uncheck all children)"));
   // the text is longer than the tree is wide in most dialogs
   pRoot->setToolTip(0, pRoot->text(0));
   pRoot->setIcon(0, QIcon(":/odbc_import/images/database.png"));
   pRoot->setFlags(pRoot->flags() | Qt::ItemIsUserCheckable);
   pRoot->setCheckState(0, Qt::Unchecked);

   const qint32 iCount = static_cast<qint32>(pTables->count());
   QStringList lstNamespaces;
   QSet<QString> setNamespaces;
   for (long i = 0; i < iCount; ++i)
   {
      const auto pTable = pTables->getByIndex(i);
      if (! pTable || ! pTable->getListOfColumns() || setNamespaces.contains(pTable->getNamespace())) { continue; }
      setNamespaces.insert(pTable->getNamespace());
      lstNamespaces.append(pTable->getNamespace());
   }
   QHash<QString, QTreeWidgetItem*> hashSchemas;
   if (lstNamespaces.count() >= 2)
   {
      lstNamespaces.sort(Qt::CaseSensitive);
      for (const QString& sNamespace : lstNamespaces)
      {
         QTreeWidgetItem* pSchema = addNode(pRoot.get(), item_schema, "{} " + sNamespace, "schema.png", QVariant(), true);
         hashSchemas.insert(sNamespace, pSchema);
      }
   }

   const plugin::generic_importer::type_lst_type_mapping lstNoMapping;
   qint32 iShown = 0;
   for (long i = 0; i < pTables->count(); ++i)
   {
      const auto pTable = pTables->getByIndex(i);
      if (! pTable || ! pTable->getListOfColumns()) { continue; }
      setConnectProgress((iCount == 0) ? 100 : (((iCount + iShown) * 100) / (2 * iCount)));
      processEvents();
      if (! pThis || m_bConnectCancelled) { return nullptr; }
      ++iShown;

      const QString sNamespace = pTable->getNamespace();
      QTreeWidgetItem* pParent = hashSchemas.value(sNamespace, pRoot.get());
      const bool bView = pTable->getIsView();
      const QString sText = (sNamespace.isEmpty() ? pTable->getName() : (sNamespace + "." + pTable->getName()));
      const QVariant vKey(static_cast<qlonglong>(pTables->getKeyByIndex(i)));
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

   for (QTreeWidgetItem* pSchema : hashSchemas) { pSchema->setText(0, pSchema->text(0) + " (" + QString::number(pSchema->childCount()) + ")"); }
   return pRoot.release();
}

void wnd_odbc_import::doTreeItemChanged(QTreeWidgetItem* item, int column)
{
   Q_UNUSED(column);
   if (s_bInTreeItemChanged || m_bProcessing || ! item) { return; }
   tools::scoped_in_event inTreeItemChanged(s_bInTreeItemChanged, true, -1);
   tools::wait_cursor wait;

   // the root and a schema act on the tables shown: under a filter, on those it keeps
   if (((item == m_pRootItem) || (item->type() == item_schema)) && (item->checkState(0) != Qt::PartiallyChecked))
   {
      const Qt::CheckState state = item->checkState(0);
      for (int i = 0; i < item->childCount(); ++i)
      {
         QTreeWidgetItem* pChild = item->child(i);
         if (pChild->isHidden() || (pChild->type() == item_no_match)) { continue; }
         if (pChild->type() != item_schema) { pChild->setCheckState(0, state); continue; }
         for (int j = 0; j < pChild->childCount(); ++j) { if (! pChild->child(j)->isHidden()) { pChild->child(j)->setCheckState(0, state); } }
      }
   }
   updateParentChecks();
   updateOkButton();
}

void wnd_odbc_import::updateOkButton()
{
   updateCheckedCount();
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
   plugin::odbc_import_read::removeTables(*m_pListOfTables, setDropped);
}

void wnd_odbc_import::dropUncheckedTables(QTreeWidgetItem* parent, QSet<long>& setDropped)
{
   for (int i = 0; i < parent->childCount(); ++i)
   {
      QTreeWidgetItem* pChild = parent->child(i);
      if (pChild->type() == item_no_match) { continue; }
      if (pChild->type() == item_schema) { dropUncheckedTables(pChild, setDropped); continue; }
      const long lKey = static_cast<long>(static_cast<qint32>(pChild->data(0, k_iRoleNumber).toLongLong()));
      const auto pTable = m_pListOfTables->getByKey(lKey);
      if (! pTable) { continue; }
      if (pChild->checkState(0) == Qt::Checked) { pTable->setMetaData("TABLE_ROOT_NAMESPACE", QVariant(m_txtNamespace->text())); continue; }
      pTable->terminate();
      setDropped.insert(lKey);
   }
}

} // namespace view
