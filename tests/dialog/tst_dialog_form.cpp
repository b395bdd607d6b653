// The form of the settings dialog and its state once built: widgets, cells, texts, icons, tab
// order, the choices of its combos, and the help link.
#include <QDesktopServices>
#include <QHeaderView>
#include <QLabel>
#include <QSpacerItem>
#include <QtTest>

#include <context/ctx_global.h>

#include "dialog_support.h"

using namespace kel_dialog;

namespace {

/** The cell of a widget or layout in its grid: "row,column,rows,columns". */
QString cell(const QGridLayout* pGrid, QLayoutItem* pItem)
{
   const int i = pGrid->indexOf(pItem);
   if (i < 0) { return "absent"; }
   int r = 0, c = 0, rs = 0, cs = 0;
   pGrid->getItemPosition(i, &r, &c, &rs, &cs);
   return QString("%1,%2,%3,%4").arg(r).arg(c).arg(rs).arg(cs);
}

QImage image(const QIcon& icon) { return icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32); }

} // namespace

class tst_dialog_form : public QObject
{
   Q_OBJECT

   QPluginLoader m_loader;
   plugin::odbc_import* m_pPlugin = nullptr;
   std::unique_ptr<wnd> m_pWnd;
   QList<QUrl> m_lstOpened;

public Q_SLOTS:
   void openUrl(const QUrl& url) { m_lstOpened.append(url); }

private Q_SLOTS:
   void initTestCase()
   {
      m_pPlugin = loadPlugin(m_loader);   // registers the icons
      QVERIFY2(m_pPlugin, qPrintable(m_loader.errorString()));
   }

   void init() { m_pWnd.reset(new wnd(nullptr, Qt::WindowFlags())); }
   void cleanup() { m_pWnd.reset(); }

   void cells_data()
   {
      QTest::addColumn<QString>("grid");
      QTest::addColumn<QString>("item");
      QTest::addColumn<QString>("expected");
      const QList<QStringList> lst({
         { "gridLayout_0", "m_grpConnection", "0,0,1,1" }, { "gridLayout_0", "m_grpImportSettings", "1,0,1,1" }, { "gridLayout_0", "m_grpRelationshipImportSettings", "2,0,1,1" },
         { "gridLayout_0", "gridLayout_5", "0,1,4,1" }, { "gridLayout_0", "gridLayout_4", "4,0,1,2" },
         { "gridLayout_1", "m_lblConnectionString", "0,0,1,1" }, { "gridLayout_1", "m_txtConnectionString", "0,1,1,1" }, { "gridLayout_1", "m_lblLogin", "1,0,1,1" },
         { "gridLayout_1", "m_txtLogin", "1,1,1,1" }, { "gridLayout_1", "m_lblPassword", "2,0,1,1" }, { "gridLayout_1", "m_txtPassword", "2,1,1,1" },
         { "gridLayout_1", "m_lblDatabaseType", "3,0,1,1" }, { "gridLayout_1", "m_cboDatabaseType", "3,1,1,1" }, { "gridLayout_1", "m_txtWarning", "4,1,1,1" },
         { "gridLayout_1", "m_btnConnect", "5,1,1,1" }, { "gridLayout_3", "gridLayout_2", "0,0,1,1" },
         { "gridLayout_2", "m_lblNamespace", "0,0,1,1" }, { "gridLayout_2", "m_txtNamespace", "0,1,1,1" }, { "gridLayout_2", "m_chkDeleteNamespace", "1,1,1,1" },
         { "gridLayout_2", "m_chkImportComment", "2,1,1,1" }, { "gridLayout_2", "m_chkBoostOptionalForNullValue", "3,1,1,1" },
         { "gridLayout_2", "m_chkImportDefaultValue", "4,1,1,1" }, { "gridLayout_2", "m_chkOrganizeLayout", "5,1,1,1" }, { "gridLayout_6", "gridLayout_7", "0,0,1,1" },
         { "gridLayout_7", "m_lblDecoration", "0,0,1,1" }, { "gridLayout_7", "m_cboDecoration", "0,1,1,1" }, { "gridLayout_7", "m_lblCollection", "1,0,1,1" },
         { "gridLayout_7", "m_cboCollection", "1,1,1,1" }, { "gridLayout_5", "m_grpTypeMapping", "0,0,1,1" }, { "gridLayout_5", "m_grpItemsToImport", "1,0,1,1" },
         { "gridLayout_10", "m_lblTypeMappingInfo", "0,0,1,1" }, { "gridLayout_10", "m_lstTypeMapping", "1,0,1,1" },
         { "gridLayout", "m_btnCollapseSchema", "0,0,1,1" }, { "gridLayout", "m_btnExpandSchema", "1,0,1,1" }, { "gridLayout", "m_lstItemsToImport", "0,1,2,1" },
         { "gridLayout_4", "m_btnHelpManual", "0,0,1,1" }, { "gridLayout_4", "m_btnOk", "0,2,1,1" }, { "gridLayout_4", "m_btnCancel", "0,3,1,1" } });
      for (const QStringList& row : lst) { QTest::newRow(qPrintable(row.at(1))) << row.at(0) << row.at(1) << row.at(2); }
   }

   void cells()
   {
      QFETCH(QString, grid);
      QFETCH(QString, item);
      QFETCH(QString, expected);
      const QGridLayout* pGrid = m_pWnd->findChild<QGridLayout*>(grid);
      QVERIFY(pGrid);
      QWidget* pWidget = m_pWnd->findChild<QWidget*>(item);
      QLayout* pLayout = m_pWnd->findChild<QLayout*>(item);
      QVERIFY(pWidget || pLayout);
      QCOMPARE(cell(pGrid, pWidget ? pGrid->itemAt(pGrid->indexOf(pWidget)) : static_cast<QLayoutItem*>(pLayout)), expected);
   }

   // the group boxes' layouts, the spacers, the sizes and policies the form fixes
   void layoutDetails()
   {
      QCOMPARE(m_pWnd->objectName(), QString("wnd_odbc_import"));
      QCOMPARE(m_pWnd->size(), QSize(963, 579));
      QCOMPARE(m_pWnd->windowTitle(), QString());
      QCOMPARE(w<QGroupBox>(m_pWnd.get(), "m_grpConnection")->layout()->objectName(), QString("verticalLayout"));
      QCOMPARE(m_pWnd->findChild<QLayout*>("verticalLayout")->itemAt(0)->layout()->objectName(), QString("gridLayout_1"));
      for (const char* s : { "m_grpConnection", "m_grpImportSettings", "m_grpRelationshipImportSettings", "m_grpTypeMapping", "m_grpItemsToImport" })
      { QCOMPARE(w<QGroupBox>(m_pWnd.get(), s)->styleSheet(), QString("QGroupBox::title{color:rgb(0, 0, 255)}")); }
      const auto policy = [this](const char* s) { const QSizePolicy p = w<QWidget>(m_pWnd.get(), s)->sizePolicy(); return QPair<int, int>(p.horizontalPolicy(), p.verticalPolicy()); };
      QCOMPARE(policy("m_txtWarning"), qMakePair(int(QSizePolicy::Expanding), int(QSizePolicy::Minimum)));
      QCOMPARE(policy("m_cboDecoration"), qMakePair(int(QSizePolicy::Expanding), int(QSizePolicy::Fixed)));
      QCOMPARE(policy("m_btnCollapseSchema"), qMakePair(int(QSizePolicy::Minimum), int(QSizePolicy::Expanding)));
      QCOMPARE(policy("m_btnExpandSchema"), qMakePair(int(QSizePolicy::Minimum), int(QSizePolicy::Expanding)));
      const QSpacerItem* pVertical = m_pWnd->findChild<QGridLayout*>("gridLayout_0")->itemAtPosition(3, 0)->spacerItem();
      const QSpacerItem* pHorizontal = m_pWnd->findChild<QGridLayout*>("gridLayout_4")->itemAtPosition(0, 1)->spacerItem();
      QVERIFY(pVertical && pHorizontal);
      QCOMPARE(pVertical->sizeHint(), QSize(0, 0));
      QCOMPARE(pVertical->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
      QCOMPARE(pHorizontal->sizeHint(), QSize(40, 20));
      QCOMPARE(pHorizontal->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
      QCOMPARE(m_pWnd->findChild<QGridLayout*>("gridLayout")->horizontalSpacing(), 2);
      QCOMPARE(w<QLineEdit>(m_pWnd.get(), "m_txtPassword")->echoMode(), QLineEdit::Password);
      const QLabel* pWarning = w<QLabel>(m_pWnd.get(), "m_txtWarning");
      QVERIFY(pWarning->wordWrap() && (pWarning->textFormat() == Qt::RichText));
      const QTreeWidget* pTree = w<QTreeWidget>(m_pWnd.get(), "m_lstItemsToImport");
      QVERIFY(pTree->isHeaderHidden() && pTree->alternatingRowColors() && ! pTree->showDropIndicator());
      QCOMPARE(pTree->editTriggers(), QAbstractItemView::NoEditTriggers);
      QCOMPARE(pTree->indentation(), 15);
      QCOMPARE(pTree->columnCount(), 1);
      QCOMPARE(pTree->headerItem()->text(0), QString("1"));
   }

   void texts_data()
   {
      QTest::addColumn<QString>("widget");
      QTest::addColumn<QString>("property");
      QTest::addColumn<QString>("expected");
      const QList<QStringList> lst({
         { "m_grpConnection", "title", "Database connection" }, { "m_lblConnectionString", "text", "DSN or connection string :" }, { "m_lblLogin", "text", "Login :" },
         { "m_lblPassword", "text", "Password :" }, { "m_lblDatabaseType", "text", "Database type :" },
         { "m_txtWarning", "text", "<html><head/><body><p><span style=\" font-weight:600; font-style:italic; text-decoration: underline; color:#ff5500;\">Note :</span>"
           "<span style=\" font-style:italic; color:#ff5500;\"> the generic ODBC import process has some limitations (for better results, please select your database type) :"
           "<br/>- no relationship<br/>- doesn't support multi-columns primary key (composite key)</span></p></body></html>" },
         { "m_btnConnect", "text", "Connect to database" }, { "m_grpImportSettings", "title", "Import settings" }, { "m_lblNamespace", "text", "Namespace :" },
         { "m_chkDeleteNamespace", "text", "Delete all entities in the namespace before importing" },
         { "m_chkImportComment", "text", "Import tables/columns comment to entities/properties description" },
         { "m_chkBoostOptionalForNullValue", "text", "Add boost::optional<T> decoration if a column definition allows NULL value" },
         { "m_chkImportDefaultValue", "text", "Import columns default value" }, { "m_chkOrganizeLayout", "text", "Organize diagram layout after import process" },
         { "m_grpRelationshipImportSettings", "title", "Relationship import settings" }, { "m_lblDecoration", "text", "Decoration :" },
         { "m_lblCollection", "text", "Collection :" }, { "m_grpTypeMapping", "title", "Mapping database SQL type to C++ type (0)" },
         { "m_lblTypeMappingInfo", "text", "<html><head/><body><span style=\" text-decoration: underline;\">Note :</span> SQL type search is case insensitive, and uses a "
           "<span style=\" font-style:italic;\">starts with</span> comparison.<br/>For example : if you put <span style=\" font-style:italic;\">varchar</span>, it will match with "
           "<span style=\" font-style:italic;\">VARCHAR(255)</span>.<br/>To keep the default behaviour of the import process, leave this table empty.</body></html>" },
         { "m_grpItemsToImport", "title", "Database items to import to Kelmar project" }, { "m_btnCollapseSchema", "toolTip", "Collapse all schemas" },
         { "m_btnCollapseSchema", "text", "" }, { "m_btnExpandSchema", "toolTip", "Expand all schemas" }, { "m_btnExpandSchema", "text", "" },
         { "m_btnHelpManual", "text", "" }, { "m_btnHelpManual", "toolTip", "Documentation - Manual - User guide" }, { "m_btnOk", "text", "Ok" }, { "m_btnCancel", "text", "Cancel" } });
      for (const QStringList& row : lst) { QTest::newRow(qPrintable(row.at(0) + "." + row.at(1))) << row.at(0) << row.at(1) << row.at(2); }
   }

   // the type-mapping title carries the editor's count once the plug-in is given
   void texts()
   {
      QFETCH(QString, widget);
      QFETCH(QString, property);
      QFETCH(QString, expected);
      m_pWnd->initFromPlugin(m_pPlugin);
      const QWidget* pWidget = m_pWnd->findChild<QWidget*>(widget);
      QVERIFY(pWidget);
      QCOMPARE(pWidget->property(qPrintable(property)).toString(), expected);
   }

   void icons_data()
   {
      QTest::addColumn<QString>("button");
      QTest::addColumn<QString>("file");
      QTest::addColumn<QSize>("size");
      const QSize normal = QApplication::style()->pixelMetric(QStyle::PM_ButtonIconSize) * QSize(1, 1);
      QTest::newRow("connect") << "m_btnConnect" << "connection.png" << normal;
      QTest::newRow("collapse") << "m_btnCollapseSchema" << "collapse_all.png" << QSize(10, 10);
      QTest::newRow("expand") << "m_btnExpandSchema" << "expand_all.png" << QSize(10, 10);
      QTest::newRow("help") << "m_btnHelpManual" << "help_manual.png" << normal;
      QTest::newRow("ok") << "m_btnOk" << "ok.png" << normal;
      QTest::newRow("cancel") << "m_btnCancel" << "cancel.png" << normal;
   }

   void icons()
   {
      QFETCH(QString, button);
      QFETCH(QString, file);
      QFETCH(QSize, size);
      const QPushButton* pButton = w<QPushButton>(m_pWnd.get(), qPrintable(button));
      QVERIFY(! pButton->icon().isNull());
      QCOMPARE(image(pButton->icon()), image(QIcon(":/odbc_import/images/" + file)));
      QCOMPARE(pButton->iconSize(), size);
   }

   void tabOrder()
   {
      const QStringList lstExpected({ "m_txtConnectionString", "m_txtLogin", "m_txtPassword", "m_cboDatabaseType", "m_btnConnect", "m_txtNamespace",
                                      "m_chkDeleteNamespace", "m_chkImportComment", "m_chkBoostOptionalForNullValue", "m_chkImportDefaultValue",
                                      "m_chkOrganizeLayout", "m_cboDecoration", "m_cboCollection", "m_lstTypeMapping", "m_btnCollapseSchema",
                                      "m_btnExpandSchema", "m_lstItemsToImport", "m_btnOk", "m_btnCancel", "m_btnHelpManual" });
      QStringList lst;
      QWidget* pFirst = w<QWidget>(m_pWnd.get(), "m_txtConnectionString");
      QWidget* p = pFirst;
      do
      {
         if (lstExpected.contains(p->objectName())) { lst << p->objectName(); }
         p = p->nextInFocusChain();
      } while (p != pFirst);
      QCOMPARE(lst, lstExpected);
   }

   // what a new dialog shows before any setting is loaded
   void stateAfterConstruction()
   {
      const QComboBox* pEngine = w<QComboBox>(m_pWnd.get(), "m_cboDatabaseType");
      QStringList lstEngines;
      for (int i = 0; i < pEngine->count(); ++i) { lstEngines << (pEngine->itemText(i) + "=" + pEngine->itemData(i).toString()); }
      QCOMPARE(lstEngines, QStringList({ "Generic=0", "PostgreSQL=1", "MySQL (or MariaDB)=2", "Oracle=3", "MS SQL Server=4", "SQLite=5" }));
      QCOMPARE(pEngine->currentIndex(), 0);
      QVERIFY(w<QLabel>(m_pWnd.get(), "m_txtWarning")->isVisibleTo(m_pWnd.get()));
      QCOMPARE(w<QComboBox>(m_pWnd.get(), "m_cboDecoration")->currentData(Qt::UserRole + 1), QVariant(5));
      QCOMPARE(w<QComboBox>(m_pWnd.get(), "m_cboCollection")->currentData(Qt::UserRole + 1), QVariant(1));
      for (const QCheckBox* p : m_pWnd->findChildren<QCheckBox*>()) { QCOMPARE(p->isChecked(), p->objectName() == "m_chkOrganizeLayout"); }
      QCOMPARE(w<QTreeWidget>(m_pWnd.get(), "m_lstItemsToImport")->topLevelItemCount(), 0);
      QVERIFY(! w<QPushButton>(m_pWnd.get(), "m_btnOk")->isEnabled());
      QVERIFY(! w<QPushButton>(m_pWnd.get(), "m_btnCollapseSchema")->isVisibleTo(m_pWnd.get()));
      QVERIFY(! w<QPushButton>(m_pWnd.get(), "m_btnExpandSchema")->isVisibleTo(m_pWnd.get()));
      QVERIFY(! m_pWnd->getListOfTables());
      QCOMPARE(m_pWnd->getDecoration(), 5);
      QCOMPARE(m_pWnd->getCollection(), 1);
      QVERIFY(m_pWnd->getOrganizeDiagramLayout());
      // the namespace field takes C++ namespaces only
      const QValidator* pValidator = w<QLineEdit>(m_pWnd.get(), "m_txtNamespace")->validator();
      QVERIFY(pValidator);
      QString sGood("app::db_1"), sBad("1app");
      int iPos = 0;
      QCOMPARE(pValidator->validate(sGood, iPos), QValidator::Acceptable);
      QVERIFY(pValidator->validate(sBad, iPos) != QValidator::Acceptable);
   }

   // the warning about the generic import shows exactly while "Generic" is chosen
   void engineChange()
   {
      QComboBox* pEngine = w<QComboBox>(m_pWnd.get(), "m_cboDatabaseType");
      const QLabel* pWarning = w<QLabel>(m_pWnd.get(), "m_txtWarning");
      for (int i : { 1, 0, 5, 4 })
      {
         pEngine->setCurrentIndex(i);
         QCOMPARE(pWarning->isVisibleTo(m_pWnd.get()), i == 0);
      }
   }

   // a wider dialog gives the SQL and C++ type columns of the mapping the room
   void resizeFitsTheTypeMapping()
   {
      m_pWnd->initFromPlugin(m_pPlugin);
      m_pWnd->show();
      const QTableWidget* pTable = w<QTableWidget>(m_pWnd.get(), "m_lstTypeMapping");
      const int iBefore = pTable->columnWidth(2);
      m_pWnd->resize(1600, 700);
      QApplication::processEvents();
      QVERIFY(pTable->columnWidth(2) > iBefore);
      QCOMPARE(pTable->columnWidth(3), pTable->columnWidth(2));
      QVERIFY(pTable->columnWidth(2) + pTable->columnWidth(3) + pTable->columnWidth(1) + pTable->columnWidth(4) <= pTable->width() - 5);
   }

   // the help button and F1 open the host's manual at the dialog's section
   void help()
   {
      QDesktopServices::setUrlHandler("file", this, "openUrl");
      m_pWnd->show();
      QApplication::setActiveWindow(m_pWnd.get());
      w<QPushButton>(m_pWnd.get(), "m_btnHelpManual")->click();
      QTest::keyClick(w<QLineEdit>(m_pWnd.get(), "m_txtLogin"), Qt::Key_F1);
      QDesktopServices::unsetUrlHandler("file");
      const QUrl expected(context::ctx_global::getAppHelpManualUrl() + "#wnd_odbc_import");
      QCOMPARE(expected.fragment(), QString("wnd_odbc_import"));
      QVERIFY(QFile::exists(expected.toLocalFile()));
      QCOMPARE(m_lstOpened, QList<QUrl>({ expected, expected }));
   }
};

QTEST_MAIN(tst_dialog_form)
#include "tst_dialog_form.moc"
