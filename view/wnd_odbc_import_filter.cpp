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
      if (pChild->type() == wnd_odbc_import::item_no_match) { continue; }
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
   delete m_pNoMatchItem;
   m_pNoMatchItem = nullptr;
   QHash<QTreeWidgetItem*, bool> hashSchemasShown;
   int iShown = 0;
   forEachTableNode(m_pRootItem, [&](QTreeWidgetItem* pNode) {
      // what the tree shows, "schema.table": either part, or both with the dot between them
      const bool bShown = (sFilter.isEmpty() || pNode->text(0).contains(sFilter, Qt::CaseInsensitive));
      pNode->setHidden(! bShown);
      iShown += bShown;
      if (pNode->parent() != m_pRootItem) { hashSchemasShown[pNode->parent()] |= bShown; }
   });
   for (auto it = hashSchemasShown.cbegin(); it != hashSchemasShown.cend(); ++it) { it.key()->setHidden(! it.value()); }
   if (! sFilter.isEmpty() && (iShown == 0))
   {
      // an empty tree would look like an empty database
      m_pNoMatchItem = new QTreeWidgetItem(item_no_match);
      m_pNoMatchItem->setText(0, tr("No table or view name holds \"%1\"").arg(sFilter));
      m_pNoMatchItem->setFlags(Qt::ItemIsEnabled);
      m_pNoMatchItem->setForeground(0, QBrush(Qt::darkGray));
      m_pRootItem->insertChild(0, m_pNoMatchItem);
   }
   m_lstItemsToImport->setUpdatesEnabled(true);
   updateCheckedCount();
}

void wnd_odbc_import::updateCheckedCount()
{
   int iChecked = 0, iAll = 0, iShown = 0;
   forEachTableNode(m_pRootItem, [&](QTreeWidgetItem* pNode) { ++iAll; iChecked += (pNode->checkState(0) == Qt::Checked); iShown += ! pNode->isHidden(); });
   QString sCount = (m_pRootItem ? tr("%1 of %2 tables and views checked").arg(iChecked).arg(iAll) : QString());
   if (m_pRootItem && ! m_txtFilterTables->text().trimmed().isEmpty()) { sCount += tr(", %1 shown").arg(iShown); }
   m_lblCheckedCount->setText(sCount);
}

// a parent shows its tables' state: checked, unchecked, or partly checked when they differ
void wnd_odbc_import::updateParentChecks()
{
   if (! m_pRootItem) { return; }
   const auto stateOf = [](int iChecked, int iAll) { return ((iChecked == 0) ? Qt::Unchecked : ((iChecked == iAll) ? Qt::Checked : Qt::PartiallyChecked)); };
   int iChecked = 0, iAll = 0;
   for (int i = 0; i < m_pRootItem->childCount(); ++i)
   {
      QTreeWidgetItem* pChild = m_pRootItem->child(i);
      if (pChild->type() == item_no_match) { continue; }
      if (pChild->type() != item_schema) { ++iAll; iChecked += (pChild->checkState(0) == Qt::Checked); continue; }
      int iSchemaChecked = 0;
      for (int j = 0; j < pChild->childCount(); ++j) { iSchemaChecked += (pChild->child(j)->checkState(0) == Qt::Checked); }
      if (pChild->childCount() > 0) { pChild->setCheckState(0, stateOf(iSchemaChecked, pChild->childCount())); }
      iAll += pChild->childCount();
      iChecked += iSchemaChecked;
   }
   if (iAll > 0) { m_pRootItem->setCheckState(0, stateOf(iChecked, iAll)); }
}

} // namespace view
