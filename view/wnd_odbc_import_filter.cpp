// The tree's filter by name and the count of checked tables and views: what a catalogue of hundreds of
// tables needs to be read at all.
#include "wnd_odbc_import.h"

namespace view {

namespace {

template <class F>
void forEachTableNode(QTreeWidgetItem* pRoot, F f)
{
   for (int i = 0; pRoot && (i < pRoot->childCount()); ++i)
   {
      QTreeWidgetItem* pChild = pRoot->child(i);
      if (pChild->type() != wnd_odbc_import::item_schema) { f(pChild); continue; }
      for (int j = 0; j < pChild->childCount(); ++j) { f(pChild->child(j)); }
   }
}

} // namespace

// hides what does not match and changes no check mark: OK hands over the checked tables, shown or not
void wnd_odbc_import::doTxtFilterTablesChanged(const QString& sText)
{
   if (! m_pRootItem) { return; }
   const QString sFilter = sText.trimmed();
   m_lstItemsToImport->setUpdatesEnabled(false);
   QHash<QTreeWidgetItem*, bool> hashSchemasShown;
   forEachTableNode(m_pRootItem, [&](QTreeWidgetItem* pNode) {
      // the table's own name, not the schema before it
      const auto pTable = (m_pListOfTables ? m_pListOfTables->getByKey(static_cast<long>(static_cast<qint32>(pNode->data(0, k_iRoleNumber).toLongLong()))) : nullptr);
      const bool bShown = (sFilter.isEmpty() || (pTable ? pTable->getName() : pNode->text(0)).contains(sFilter, Qt::CaseInsensitive));
      pNode->setHidden(! bShown);
      if (pNode->parent() != m_pRootItem) { hashSchemasShown[pNode->parent()] |= bShown; }
   });
   for (auto it = hashSchemasShown.cbegin(); it != hashSchemasShown.cend(); ++it) { it.key()->setHidden(! it.value()); }
   m_lstItemsToImport->setUpdatesEnabled(true);
}

void wnd_odbc_import::updateCheckedCount()
{
   int iChecked = 0;
   int iAll = 0;
   forEachTableNode(m_pRootItem, [&](QTreeWidgetItem* pNode) { ++iAll; iChecked += (pNode->checkState(0) == Qt::Checked); });
   m_lblCheckedCount->setText(m_pRootItem ? tr("%1 of %2 tables and views checked").arg(iChecked).arg(iAll) : QString());
}

} // namespace view
