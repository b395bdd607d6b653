#include "wnd_odbc_import.h"

#include <QCloseEvent>
#include <QCompleter>
#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QSplitter>
#include <QStandardItemModel>
#include <QUrl>

#include <context/ctx_global.h>
#include <tools/common_model.h>
#include <tools/validator_helper.h>
#include <tools/wait_cursor.h>

#include <plugin/import_interface.h>

#include "odbc_import_connection.h"
#include "odbc_import_engine.h"
#include "odbc_import_driver_manager.h"
#include "odbc_import_type_mapping.h"

namespace view {

namespace {
/** The role-257 number of a host model's current entry; 0 without one. */
int currentNumber(const QComboBox* pCombo) { return pCombo->currentData(wnd_odbc_import::k_iRoleNumber).toInt(); }
} // namespace

bool wnd_odbc_import::s_bInTreeItemChanged = false;

wnd_odbc_import::wnd_odbc_import(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags)
{
   Ui::wnd_odbc_import::setupUi(this);
   init();
}

wnd_odbc_import::~wnd_odbc_import()
{
   cancelConnect();
   m_pTypeMapping.reset();
   m_listOfTypeMapping.clear();
   m_pListOfTables.reset();
}

void wnd_odbc_import::init()
{
   m_btnOk->setEnabled(false);
   showCollapseExpand(false);
   // a larger dialog gives its room to the tree, not to the options nor to the type mapping
   m_splitterMain->setStretchFactor(0, 0);
   m_splitterMain->setStretchFactor(1, 1);
   m_splitterItems->setStretchFactor(0, 0);
   m_splitterItems->setStretchFactor(1, 1);
   tools::validator_helper::setValidator_Namespace(m_txtNamespace);
   if (! m_pTypeMapping) { m_pTypeMapping = std::make_shared<view::odbc_import_type_mapping>(m_lstTypeMapping, m_grpTypeMapping, m_grpTypeMapping->title()); }

   m_cboDecoration->setModel(tools::common_model::getModelDecorationForRelationship());
   m_cboCollection->setModel(tools::common_model::getModelAllCollection());
   m_cboDecoration->setCurrentIndex(m_cboDecoration->findData(QVariant(5), k_iRoleNumber, Qt::MatchExactly | Qt::MatchCaseSensitive));
   m_cboCollection->setCurrentIndex(m_cboCollection->findData(QVariant(1), k_iRoleNumber, Qt::MatchExactly | Qt::MatchCaseSensitive));

   // the texts are stored as they are, so they are not translated
   for (const plugin::odbc_import_engine::row& engine : plugin::odbc_import_engine::rows()) { m_cboDatabaseType->addItem(QString::fromLatin1(engine.text), QVariant(int(engine.engine))); }
   m_cboDatabaseType->setCurrentIndex(m_cboDatabaseType->findData(QVariant(int(plugin::odbc_import_engine::engine_generic)), Qt::UserRole));
   m_txtWarning->setVisible(m_cboDatabaseType->currentData(Qt::UserRole).toInt() == plugin::odbc_import_engine::engine_generic);

   connect(m_btnOk, &QPushButton::clicked, this, &wnd_odbc_import::doBtnOk);
   // while a connection runs, Cancel ends it and the dialog stays
   connect(m_btnCancel, &QPushButton::clicked, this, [this]() { if (m_bProcessing) { cancelConnect(); } else { close(); } });
   connect(m_btnConnect, &QPushButton::clicked, this, &wnd_odbc_import::doBtnConnect);
   connect(m_btnCollapseSchema, &QPushButton::clicked, this, &wnd_odbc_import::doBtnCollapseSchema);
   connect(m_btnExpandSchema, &QPushButton::clicked, this, &wnd_odbc_import::doBtnExpandSchema);
   connect(m_lstItemsToImport, &QTreeWidget::itemChanged, this, &wnd_odbc_import::doTreeItemChanged);
   connect(m_cboDatabaseType, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &wnd_odbc_import::doCboDatabaseTypeChanged);
   connect(m_txtFilterTables, &QLineEdit::textChanged, this, &wnd_odbc_import::doTxtFilterTablesChanged);

   // the data sources and drivers the driver manager knows, offered as the user types; any text stays allowed
   auto* pSources = new QCompleter(plugin::odbc_import_driver_manager::getCompletions(), m_txtConnectionString);
   pSources->setCaseSensitivity(Qt::CaseInsensitive);
   pSources->setFilterMode(Qt::MatchContains);
   m_txtConnectionString->setCompleter(pSources);
   connect(m_txtConnectionString, &QLineEdit::textEdited, this, &wnd_odbc_import::doTxtConnectionStringEdited);
   connect(pSources, QOverload<const QString&>::of(&QCompleter::activated), this, &wnd_odbc_import::doTxtConnectionStringEdited);

   auto* pShortcutHelp = new QShortcut(QKeySequence(Qt::Key_F1), this, nullptr, nullptr, Qt::WindowShortcut);
   connect(m_btnHelpManual, &QPushButton::clicked, this, &wnd_odbc_import::doClickBtnHelpManual);
   connect(pShortcutHelp, &QShortcut::activated, this, &wnd_odbc_import::doClickBtnHelpManual);
}

void wnd_odbc_import::initFromPlugin(plugin::import_interface* pPlugin)
{
   m_pPlugin = pPlugin;
   loadSettings();
   if (! m_pTypeMapping || ! m_pPlugin) { return; }
   m_pTypeMapping->setListOfTypeMapping(m_listOfTypeMapping);
   m_pTypeMapping->fill();
   m_pTypeMapping->resizeTableWidget();
}

void wnd_odbc_import::doBtnOk()
{
   if (! m_pPlugin) { return; }
   tools::wait_cursor wait;
   m_options.bDeleteNamespace = m_chkDeleteNamespace->isChecked();
   m_options.sNamespace = m_txtNamespace->text();
   m_options.bImportComment = m_chkImportComment->isChecked();
   m_options.bImportDefaultValue = m_chkImportDefaultValue->isChecked();
   m_options.iDecoration = currentNumber(m_cboDecoration);
   m_options.iCollection = currentNumber(m_cboCollection);
   m_options.bBoostOptionalForNullValue = m_chkBoostOptionalForNullValue->isChecked();
   m_options.bOrganizeDiagramLayout = m_chkOrganizeLayout->isChecked();
   fileTypeMapping();
   m_options.lstTypeMapping = m_listOfTypeMapping;
   filterListOfTables(m_pRootItem);
   storeSettings();
   accept();
}

void wnd_odbc_import::reject()
{
   if (m_bProcessing && ! m_bConnectCancelled) { cancelConnect(); return; }
   QDialog::reject();
}

// the window's close button ends a running connection and closes the dialog all the same
void wnd_odbc_import::closeEvent(QCloseEvent* event)
{
   cancelConnect();
   fileTypeMapping();
   storeSettings();
   QDialog::closeEvent(event);
}

void wnd_odbc_import::storeSettings()
{
   const QSqlError error = saveSettings();
   if (error.isValid()) { warn(tr("The settings were not stored :\n") + error.text()); }
}

void wnd_odbc_import::resizeEvent(QResizeEvent* event)
{
   QDialog::resizeEvent(event);
   if (m_pTypeMapping) { m_pTypeMapping->resizeTableWidget(); }
}

// the first resize comes before the layout gave the table its width; on show it has it
void wnd_odbc_import::showEvent(QShowEvent* event)
{
   QDialog::showEvent(event);
   if (m_pTypeMapping) { m_pTypeMapping->resizeTableWidget(); }
   if (! event->spontaneous()) { fitTreeRows(); }
}

// a catalogue of hundreds of tables is read through the tree: at every opening it shows k_iTreeRows rows at
// least, taken first from the type-mapping pane above it, then from the screen
void wnd_odbc_import::fitTreeRows()
{
   const int iRow = qMax(m_lstItemsToImport->fontMetrics().lineSpacing(), m_lstItemsToImport->iconSize().isValid() ? m_lstItemsToImport->iconSize().height() : 16) + 6;
   int iMissing = (k_iTreeRows * iRow) - m_lstItemsToImport->viewport()->height();
   if (iMissing <= 0) { return; }
   QList<int> lstSizes = m_splitterItems->sizes();
   const int iSpare = qMax(0, lstSizes.value(0) - m_grpTypeMapping->minimumSizeHint().height());
   const int iTaken = qMin(iSpare, iMissing);
   if ((lstSizes.count() == 2) && (iTaken > 0))
   {
      lstSizes[0] -= iTaken;
      lstSizes[1] += iTaken;
      m_splitterItems->setSizes(lstSizes);
      iMissing -= iTaken;
   }
   if (iMissing <= 0) { return; }
   const QRect available = (screen() ? screen()->availableGeometry() : QRect());
   const int iFrame = (frameGeometry().height() - height());
   const int iHeight = (available.isValid() ? qMin(height() + iMissing, available.height() - iFrame) : (height() + iMissing));
   resize(width(), qMax(height(), iHeight));
   // a dialog that grew beyond the screen's bottom moves up
   if (available.isValid() && (frameGeometry().bottom() > available.bottom())) { move(x(), qMax(available.top(), available.bottom() - frameGeometry().height())); }
}

void wnd_odbc_import::fileTypeMapping()
{
   if (! m_pTypeMapping || ! m_pPlugin) { return; }
   m_pTypeMapping->file();
   m_listOfTypeMapping = m_pTypeMapping->getListOfTypeMapping();
}

void wnd_odbc_import::doBtnCollapseSchema() { expandSchemas(false); }

void wnd_odbc_import::doBtnExpandSchema() { expandSchemas(true); }

void wnd_odbc_import::expandSchemas(bool bExpanded)
{
   tools::wait_cursor wait;
   for (int i = 0; m_pRootItem && (i < m_pRootItem->childCount()); ++i)
   {
      if (m_pRootItem->child(i)->type() == item_schema) { m_pRootItem->child(i)->setExpanded(bExpanded); }
   }
}

void wnd_odbc_import::doTxtConnectionStringEdited(const QString& sText)
{
   // a type the user chose stays; "Generic" is no choice
   const bool bGeneric = ((m_cboDatabaseType->currentIndex() >= 0) && (m_cboDatabaseType->currentData(Qt::UserRole).toInt() == plugin::odbc_import_engine::engine_generic));
   if (! bGeneric && ! m_bDatabaseTypeGuessed) { return; }
   const plugin::odbc_import_engine::row* pEngine = plugin::odbc_import_engine::fromDriverName(plugin::odbc_import_connection::getValue(sText, "DRIVER"));
   m_cboDatabaseType->setCurrentIndex(m_cboDatabaseType->findData(int(pEngine ? pEngine->engine : plugin::odbc_import_engine::engine_generic), Qt::UserRole));
   // after the change, which took it for a choice
   m_bDatabaseTypeGuessed = (pEngine != nullptr);
}

void wnd_odbc_import::doCboDatabaseTypeChanged(int index)
{
   m_bDatabaseTypeGuessed = false;
   Q_UNUSED(index);
   m_txtWarning->setVisible(m_cboDatabaseType->currentData(Qt::UserRole).toInt() == plugin::odbc_import_engine::engine_generic);
}

void wnd_odbc_import::doClickBtnHelpManual()
{
   const QUrl manual(context::ctx_global::getAppHelpManualUrl() + "#wnd_odbc_import", QUrl::TolerantMode);
   if (QDesktopServices::openUrl(manual)) { return; }
   // no browser: the user is told where to read it
   const QString sWhere = (manual.isLocalFile() ? QDir::toNativeSeparators(manual.toLocalFile()) : manual.toString(QUrl::RemoveFragment));
   QMessageBox box(QMessageBox::Information, m_pPlugin ? m_pPlugin->getName() : windowTitle(),
                   tr("No web browser could open the manual. It is the file:\n%1\n(section \"%2\")").arg(sWhere, manual.fragment()), QMessageBox::Ok, this);
   box.setTextFormat(Qt::PlainText);
   box.setTextInteractionFlags(Qt::TextSelectableByMouse);
   box.exec();
}

void wnd_odbc_import::showCollapseExpand(bool bVisible)
{
   m_btnCollapseSchema->setVisible(bVisible);
   m_btnExpandSchema->setVisible(bVisible);
}

void wnd_odbc_import::warn(const QString& sText)
{
   // names and driver messages are text: as rich text an <img> in them would be loaded
   QMessageBox box(QMessageBox::Warning, m_pPlugin->getName(), sText, QMessageBox::Ok, this);
   box.setTextFormat(Qt::PlainText);
   box.exec();
}

} // namespace view
