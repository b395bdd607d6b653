// The settings dialog as a real widget: its form, "Connect to database" on real SQLite files and on the
// PostgreSQL and MariaDB test servers (progress, tree, check marks, OK, warnings, keys pressed while a
// connection runs), its settings stored per project in "t_plugin_params", and the interactive import
// through the loaded plug-in as the host runs it.
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QCompleter>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStringListModel>
#include <QPlainTextEdit>
#include <QPluginLoader>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <context/ctx_global.h>
#include <context/ctx_project.h>
#include <odbc_import.h>
#include <odbc_import_process.h>
#include <odbc_import_engine.h>
#include <view/main_wnd.h>
#include <wnd_odbc_import.h>
#include <vx/VxSerializeQt.h>

#include "modal_watch.h"
#include "silent_proxy.h"
#include "test_env.h"

namespace {

typedef view::wnd_odbc_import wnd;
typedef QTreeWidgetItem tree_item;

/** A widget of the dialog by object name (null when absent or of another class). */
template <class T = QWidget>
T* w(const QWidget* pWnd, const char* sName) { return pWnd->findChild<T*>(QString::fromLatin1(sName)); }

/** Fills the connection fields, presses "Connect to database" and returns the warnings it showed. */
QStringList connectTo(wnd* pWnd, const QString& sDsn, const QString& sEngine)
{
   w<QLineEdit>(pWnd, "m_txtConnectionString")->setText(sDsn);
   w<QComboBox>(pWnd, "m_cboDatabaseType")->setCurrentIndex(w<QComboBox>(pWnd, "m_cboDatabaseType")->findText(sEngine));
   // answers the warnings only: the dialog itself (modal in an import) must not be rejected meanwhile
   kel_test::modal_watch watch([](QDialog*) {});
   w<QPushButton>(pWnd, "m_btnConnect")->click();
   return watch.messages;
}

tree_item* rootItem(const wnd* pWnd) { return w<QTreeWidget>(pWnd, "m_lstItemsToImport")->topLevelItem(0); }

/** Every text the connect button shows (paints) while it is pressed, each change once; one text may run an action. */
struct button_texts : QObject
{
   explicit button_texts(QPushButton* p, const QString& sAt = QString(), std::function<void()> action = {}) : lst(p->text()), m_pButton(p), m_sAt(sAt), m_action(std::move(action))
   {
      p->installEventFilter(this);
   }
   bool eventFilter(QObject* pWatched, QEvent* pEvent) override
   {
      if ((pWatched != m_pButton) || (pEvent->type() != QEvent::Paint) || (m_pButton->text() == lst.last())) { return false; }
      lst << m_pButton->text();
      if (m_action && (lst.last() == m_sAt)) { QTimer::singleShot(0, this, m_action); m_action = nullptr; }
      return false;
   }
   QStringList lst;
   QPushButton* m_pButton;
   QString m_sAt;
   std::function<void()> m_action;
};

QString progress(int i) { return QString("Connect to database (%1%)").arg(i); }

/** Table and view nodes in tree order, through the schema nodes. */
QList<tree_item*> tableNodes(const wnd* p)
{
   QList<tree_item*> lst;
   for (int i = 0; rootItem(p) && (i < rootItem(p)->childCount()); ++i)
   {
      tree_item* pChild = rootItem(p)->child(i);
      if (pChild->type() != wnd::item_schema) { lst << pChild; }
      for (int j = 0; (pChild->type() == wnd::item_schema) && (j < pChild->childCount()); ++j) { lst << pChild->child(j); }
   }
   return lst;
}

QStringList texts(const QList<tree_item*>& lst)
{
   QStringList lstTexts;
   for (const tree_item* p : lst) { lstTexts << p->text(0); }
   return lstTexts;
}

/** What a widget shows: a field's text, a check box's state, a combo's entry and its number, a group's title, else text or tool tip. */
QString shown(const QWidget* p)
{
   if (const auto* pEdit = qobject_cast<const QLineEdit*>(p)) { return pEdit->text(); }
   if (const auto* pCheck = qobject_cast<const QCheckBox*>(p)) { return (pCheck->isChecked() ? "on" : "off"); }
   if (const auto* pCombo = qobject_cast<const QComboBox*>(p)) { return QString("%1 [%2]").arg(pCombo->currentIndex()).arg(pCombo->currentData(Qt::UserRole + (p->objectName() == "m_cboDatabaseType" ? 0 : 1)).toString()); }
   const QString sText = p->property(qobject_cast<const QGroupBox*>(p) ? "title" : "text").toString();
   return (sText.isEmpty() ? p->toolTip() : sText);
}

/** Everything the dialog shows of its settings, the type-mapping title and rows included. */
QStringList fields(const wnd* p)
{
   QStringList lst;
   for (const char* s : { "m_txtConnectionString", "m_txtLogin", "m_txtPassword", "m_cboDatabaseType", "m_txtNamespace", "m_chkDeleteNamespace", "m_chkImportComment",
                          "m_chkImportDefaultValue", "m_cboDecoration", "m_cboCollection", "m_chkBoostOptionalForNullValue", "m_chkOrganizeLayout", "m_grpTypeMapping" }) { lst << shown(w(p, s)); }
   const QTableWidget* pTable = w<QTableWidget>(p, "m_lstTypeMapping");
   for (int i = 0; i < pTable->rowCount(); ++i) { lst << (shown(pTable->cellWidget(i, 2)) + "~" + shown(pTable->cellWidget(i, 3))); }
   return lst;
}

const QStringList k_lstDefaults({ "", "", "", "0 [0]", "", "off", "off", "off", "3 [5]", "0 [1]", "off", "on", "Mapping database SQL type to C++ type (0)", "~" });

const char* const k_sGuid = "0B7E5C21-6A3D-4F88-9D02-E4C1A7F35B90_WND_ODBC_IMPORT";

/** "name=value" of every stored row of the dialog in a project file, in row order. */
QStringList storedSettings(const QString& sProject)
{
   return kel_test::connection(sProject, "QSQLITE").column("SELECT param_key || '=' || COALESCE(CAST(param_value AS TEXT), '') FROM t_plugin_params "
                                                           "WHERE plugin_guid = '" + QString(k_sGuid) + "' ORDER BY rowid");
}

QString mappingRow(const QByteArray& stored) { return "LIST_TYPE_MAPPING_FROM_SQL_TO_CPP=" + QString::fromLatin1(stored.toBase64()); }

} // namespace

class tst_dialog : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;
   QPluginLoader m_loader;
   plugin::odbc_import* m_pPlugin = nullptr;
   QString m_sShopDsn;   // four tables and a view
   QString m_sProject;
   std::unique_ptr<wnd> m_pWnd;
   QList<QUrl> m_lstOpened;
   view::main_wnd m_wnd;
   std::shared_ptr<plugin::generic_importer> m_pImporter;
   QList<std::shared_ptr<QPluginLoader>> m_lstLoaders;
   QStringList m_lstEvents;
   QStringList m_lstWarned;

   /** A dialog as the import makes it: built, then given the plug-in (the stored settings of the open project are loaded). */
   std::unique_ptr<wnd> newDialog() const
   {
      std::unique_ptr<wnd> pWnd(new wnd(nullptr, Qt::WindowFlags()));
      pWnd->initFromPlugin(m_pPlugin);
      return pWnd;
   }

   QPushButton* button(const char* sName) const { return w<QPushButton>(m_pWnd.get(), sName); }

   void connectShop(wnd* p)
   {
      QCOMPARE(connectTo(p, m_sShopDsn, "SQLite"), QStringList());
      QCOMPARE(tableNodes(p).count(), 5);
   }

   /** Opens a project file of its own for the current test (and data row). */
   void openProject(const QString& sSuffix = QString())
   {
      m_sProject = m_dir.filePath(QString("%1_%2%3.kelmar").arg(QTest::currentTestFunction(), QTest::currentDataTag(), sSuffix).replace(' ', '_'));
      const vx::VxBool opened = context::ctx_project::openProject(m_sProject);
      QVERIFY2(opened.getValue(), qPrintable(opened.getDesc()));
   }

   /** A user's settings: every field away from its default, two type mappings typed into the empty last row. */
   void enterSettings(wnd* p, const QString& sNamespace = "app::db")
   {
      w<QLineEdit>(p, "m_txtConnectionString")->setText(m_sShopDsn);
      w<QComboBox>(p, "m_cboDatabaseType")->setCurrentIndex(5);
      w<QLineEdit>(p, "m_txtLogin")->setText("me");
      w<QLineEdit>(p, "m_txtPassword")->setText(QString::fromUtf8("pa;ss=wörd"));
      w<QLineEdit>(p, "m_txtNamespace")->setText(sNamespace);
      for (const char* s : { "m_chkDeleteNamespace", "m_chkImportComment", "m_chkImportDefaultValue", "m_chkBoostOptionalForNullValue" }) { w<QCheckBox>(p, s)->setChecked(true); }
      w<QCheckBox>(p, "m_chkOrganizeLayout")->setChecked(false);
      w<QComboBox>(p, "m_cboDecoration")->setCurrentIndex(w<QComboBox>(p, "m_cboDecoration")->findData(2, Qt::UserRole + 1));
      w<QComboBox>(p, "m_cboCollection")->setCurrentIndex(w<QComboBox>(p, "m_cboCollection")->findData(8, Qt::UserRole + 1));
      QTableWidget* pTable = w<QTableWidget>(p, "m_lstTypeMapping");
      for (const QString& s : { "varchar~std::string", "int~qint64" })
      {
         qobject_cast<QLineEdit*>(pTable->cellWidget(pTable->rowCount() - 1, 2))->setText(s.section('~', 0, 0));
         qobject_cast<QLineEdit*>(pTable->cellWidget(pTable->rowCount() - 2, 3))->setText(s.section('~', 1));
      }
   }

   /** What a user does in the settings dialog of an import: connect to the shop, check everything, confirm. */
   void importShop(wnd* p)
   {
      w<QLineEdit>(p, "m_txtNamespace")->setText("shop");
      w<QCheckBox>(p, "m_chkOrganizeLayout")->setChecked(false);
      leave(p, "OK");
   }

   /** Leaves the dialog as a user does: "Cancel", "close" (window button), "Escape", or "OK" after connecting and checking all; m_lstWarned: its warnings. */
   void leave(wnd* p, const QString& sWay)
   {
      // the warnings only: the dialog itself (modal in an import) is left alone
      const kel_test::modal_watch watch([](QDialog*) {});
      const auto warned = qScopeGuard([&]() { m_lstWarned = watch.messages; });
      p->show();
      if (sWay == "Cancel") { w<QPushButton>(p, "m_btnCancel")->click(); }
      else if (sWay == "close") { p->close(); }
      else if (sWay == "Escape") { QTest::keyClick(p, Qt::Key_Escape); }
      else
      {
         connectShop(p);
         rootItem(p)->setCheckState(0, Qt::Checked);
         w<QPushButton>(p, "m_btnOk")->click();
         QCOMPARE(p->result(), int(QDialog::Accepted));
      }
      QVERIFY(! p->isVisible());
   }

   static QList<model::entity> entities() { return context::ctx_project::getProject()->getEntities(); }

   /** A new copy of the plug-in module (its import is the first of its process), with a new generic importer; its host signals are recorded. */
   plugin::import_interface* freshPlugin(const QStringList& lstArgs)
   {
      context::ctx_global::getMainWnd()->setAppArgs(QStringList("kelmar") + lstArgs);
      const QString sCopy = m_dir.filePath(QString("KelOdbcImport_%1.so").arg(m_lstLoaders.count()));
      if (! QFile::copy(QString(KEL_PLUGIN_FILE), sCopy)) { return nullptr; }
      m_lstLoaders.append(std::make_shared<QPluginLoader>(sCopy));
      auto* pPlugin = qobject_cast<plugin::import_interface*>(m_lstLoaders.last()->instance());
      m_pImporter = std::make_shared<plugin::generic_importer>();
      if (! pPlugin) { return nullptr; }
      pPlugin->setGenericImporter(m_pImporter);
      m_lstEvents.clear();
      connect(pPlugin, &plugin::base_interface::onMessage, this, [this](const QString& sMessage) { m_lstEvents << sMessage; });
      connect(pPlugin, &plugin::base_interface::onReloadProject, this, [this]() { m_lstEvents << "reload"; });
      return pPlugin;
   }

public Q_SLOTS:
   void openUrl(const QUrl& url) { m_lstOpened.append(url); }

private Q_SLOTS:
   void initTestCase()
   {
      QVERIFY(m_dir.isValid());
      m_loader.setFileName(QString(KEL_PLUGIN_FILE));   // registers the icons
      m_pPlugin = static_cast<plugin::odbc_import*>(qobject_cast<plugin::import_interface*>(m_loader.instance()));
      QVERIFY2(m_pPlugin, qPrintable(m_loader.errorString()));
      const QString sFile = m_dir.filePath("shop.db");
      QCOMPARE(kel_test::makeSqlite(sFile, kel_test::shopDdl() + QStringList({ "CREATE TABLE product (code VARCHAR(10) PRIMARY KEY, label TEXT)",
                                                                               "CREATE TABLE supplier (supplier_id INTEGER PRIMARY KEY, name TEXT)" })), QString());
      m_sShopDsn = kel_test::sqliteDsn(sFile);
      context::ctx_global::setMainWnd(&m_wnd);
      // the test's own data source, in an odbc.ini of its own
      QFile ini(m_dir.filePath("odbc.ini"));
      QVERIFY(ini.open(QIODevice::WriteOnly) && (ini.write(("[kel_shop]\nDriver=SQLite3\nDatabase=" + sFile + "\n").toLocal8Bit()) > 0));
      ini.close();
      qputenv("ODBCINI", QFile::encodeName(ini.fileName()));
   }

   void cleanupTestCase()
   {
      context::ctx_global::setMainWnd(nullptr);
      context::ctx_project::closeProject();
   }
   void init() { m_pWnd = newDialog(); }
   void cleanup() { m_pWnd.reset(); }

   // the texts the code builds on, the tab order, the engines (their texts are stored, their numbers choose the reader), icons, no default button
   void form()
   {
      for (const QString& s : { "m_btnConnect=Connect to database", "m_grpTypeMapping=Mapping database SQL type to C++ type (0)", "m_btnCollapseSchema=Collapse all schemas",
                                "m_btnExpandSchema=Expand all schemas", "m_btnHelpManual=Documentation - Manual - User guide", "m_btnOk=Ok", "m_btnCancel=Cancel" })
      {
         QCOMPARE(shown(w(m_pWnd.get(), qPrintable(s.section('=', 0, 0)))), s.section('=', 1));
      }
      QStringList lstOrder;
      const QStringList lstExpected({ "m_txtConnectionString", "m_txtLogin", "m_txtPassword", "m_cboDatabaseType", "m_btnConnect", "m_txtNamespace", "m_chkDeleteNamespace",
                                      "m_chkImportComment", "m_chkBoostOptionalForNullValue", "m_chkImportDefaultValue", "m_chkOrganizeLayout", "m_cboDecoration",
                                      "m_cboCollection", "m_lstTypeMapping", "m_btnCollapseSchema", "m_btnExpandSchema", "m_lstItemsToImport", "m_btnOk", "m_btnCancel", "m_btnHelpManual" });
      for (QWidget* p = w(m_pWnd.get(), "m_txtConnectionString"); lstOrder.isEmpty() || (p->objectName() != lstOrder.first()); p = p->nextInFocusChain())
      {
         if (lstExpected.contains(p->objectName())) { lstOrder << p->objectName(); }
      }
      QCOMPARE(lstOrder, lstExpected);
      QComboBox* pEngine = w<QComboBox>(m_pWnd.get(), "m_cboDatabaseType");
      QStringList lstEngines;
      for (int i = 0; i < pEngine->count(); ++i) { lstEngines << (pEngine->itemText(i) + "=" + pEngine->itemData(i).toString()); }
      QCOMPARE(lstEngines, QStringList({ "Generic=0", "PostgreSQL=1", "MySQL (or MariaDB)=2", "Oracle=3", "MS SQL Server=4", "SQLite=5" }));
      for (int i : { 1, 0, 5, 4 })   // the note on the generic import shows exactly while "Generic" is chosen
      {
         pEngine->setCurrentIndex(i);
         QCOMPARE(w(m_pWnd.get(), "m_txtWarning")->isVisibleTo(m_pWnd.get()), i == 0);
      }
      for (const QPushButton* p : m_pWnd->findChildren<QPushButton*>()) { QVERIFY2(! p->icon().isNull() && ! p->autoDefault(), qPrintable(p->objectName())); }
      QVERIFY(! button("m_btnOk")->isEnabled() && ! button("m_btnCollapseSchema")->isVisibleTo(m_pWnd.get()));
      QCOMPARE(w<QLineEdit>(m_pWnd.get(), "m_txtPassword")->echoMode(), QLineEdit::Password);
      QString sGood("app::db_1"), sBad("1app");   // the namespace field takes C++ namespaces only
      int iPos = 0;
      const QValidator* pValidator = w<QLineEdit>(m_pWnd.get(), "m_txtNamespace")->validator();
      QVERIFY((pValidator->validate(sGood, iPos) == QValidator::Acceptable) && (pValidator->validate(sBad, iPos) != QValidator::Acceptable));
   }

   // the help button and F1 open the host's manual at the dialog's section; a wider dialog gives the type columns the room
   void helpAndResize()
   {
      QDesktopServices::setUrlHandler("file", this, "openUrl");
      m_pWnd->show();
      QApplication::setActiveWindow(m_pWnd.get());
      button("m_btnHelpManual")->click();
      QTest::keyClick(w(m_pWnd.get(), "m_txtLogin"), Qt::Key_F1);
      QDesktopServices::unsetUrlHandler("file");
      const QUrl expected(context::ctx_global::getAppHelpManualUrl() + "#wnd_odbc_import");
      QVERIFY(QFile::exists(expected.toLocalFile()));
      QCOMPARE(m_lstOpened, QList<QUrl>({ expected, expected }));
      // a wider dialog gives the type columns the room, a higher one the tree
      const QTableWidget* pTable = w<QTableWidget>(m_pWnd.get(), "m_lstTypeMapping");
      const QWidget* pTree = w(m_pWnd.get(), "m_lstItemsToImport");
      const int iBefore = pTable->columnWidth(2), iTableHeight = pTable->height(), iTreeHeight = pTree->height();
      m_pWnd->resize(1600, m_pWnd->height() + 400);
      QApplication::processEvents();
      QVERIFY(pTable->columnWidth(2) > iBefore);
      QCOMPARE(pTable->columnWidth(3), pTable->columnWidth(2));
      QVERIFY2((pTree->height() - iTreeHeight >= 350) && (pTable->height() == iTableHeight), qPrintable(QString("tree %1 -> %2, table %3 -> %4").arg(iTreeHeight).arg(pTree->height()).arg(iTableHeight).arg(pTable->height())));
   }

   // the reader's 0 to 100 shows as 0 to 50, the tree fill goes on from 50 up to (2N - 1) * 100 / 2N; check marks go down from the root;
   // no default button: Return in a field, in the tree or in the type-mapping editor does not connect again; OK hands over exactly
   // the checked tables, in list order, tagged with the namespace, and terminates the others
   void connectCheckAndConfirm()
   {
      m_pWnd->show();
      QApplication::setActiveWindow(m_pWnd.get());
      button_texts progressTexts(button("m_btnConnect"));
      connectShop(m_pWnd.get());
      QCOMPARE(progressTexts.lst << button("m_btnConnect")->text(), QStringList({ "Connect to database", progress(10), progress(20), progress(30), progress(40),
                                                                                 progress(50), progress(60), progress(70), progress(80), progress(90), "Connect to database" }));
      tree_item* pRoot = rootItem(m_pWnd.get());
      QCOMPARE(pRoot->toolTip(0), pRoot->text(0));   // longer than most trees are wide
      const QList<tree_item*> lstTables = tableNodes(m_pWnd.get());
      pRoot->setCheckState(0, Qt::Checked);
      for (const tree_item* p : lstTables) { QCOMPARE(p->checkState(0), Qt::Checked); }
      for (int i = 0; i < lstTables.count(); ++i)
      {
         QVERIFY(button("m_btnOk")->isEnabled());
         lstTables.at(i)->setCheckState(0, Qt::Unchecked);
         QCOMPARE(pRoot->checkState(0), Qt::Checked);
      }
      QVERIFY(! button("m_btnOk")->isEnabled());
      lstTables.at(3)->setCheckState(0, Qt::Checked);
      QVERIFY(button("m_btnOk")->isEnabled());
      for (QWidget* pTarget : { w(m_pWnd.get(), "m_txtConnectionString"), w(m_pWnd.get(), "m_lstItemsToImport"), w<QTableWidget>(m_pWnd.get(), "m_lstTypeMapping")->cellWidget(0, 2) })
      {
         pTarget->setFocus();
         QTest::keyClick(pTarget, Qt::Key_Return);
         QVERIFY((tableNodes(m_pWnd.get()).at(3)->checkState(0) == Qt::Checked) && m_pWnd->isVisible());   // a new connection unchecks all
      }
      const auto pList = m_pWnd->getListOfTables();
      QList<std::shared_ptr<model::app_table>> lstAll, lstKept, lstExpected;
      for (long i = 0; i < pList->count(); ++i) { lstAll << pList->getByIndex(i); }
      lstTables.at(3)->setCheckState(0, Qt::Unchecked);
      for (int i : { 4, 1, 2 }) { lstTables.at(i)->setCheckState(0, Qt::Checked); }   // sorted, unlike the list: customer customer_orders orders product supplier
      w<QLineEdit>(m_pWnd.get(), "m_txtNamespace")->setText("shop::db");
      button("m_btnOk")->click();
      QCOMPARE(m_pWnd->result(), int(QDialog::Accepted));
      QCOMPARE(m_pWnd->getListOfTables(), pList);
      for (long i = 0; i < pList->count(); ++i) { lstKept << pList->getByIndex(i); }
      for (const auto& pTable : lstAll)
      {
         const bool bChecked = QStringList({ "customer_orders", "orders", "supplier" }).contains(pTable->getName());
         QCOMPARE(! pTable->getPrimaryKey() && (pTable->getListOfColumns()->count() == 0), ! bChecked);   // the others were terminated
         if (bChecked) { lstExpected << pTable; }
         if (bChecked) { QCOMPARE(pTable->getMetaData("TABLE_ROOT_NAMESPACE"), QVariant("shop::db")); }
      }
      QCOMPARE(lstKept, lstExpected);
   }

   void sakila_data()
   {
      QTest::addColumn<QString>("engine");
      QTest::addColumn<QString>("variable");
      QTest::addColumn<int>("tables");
      QTest::addColumn<int>("views");
      QTest::newRow("mariadb") << "MySQL (or MariaDB)" << "KEL_TEST_SAKILA_MYSQL_DB" << 16 << 7;
      QTest::newRow("postgresql") << "PostgreSQL" << "KEL_TEST_SAKILA_PG_DB" << 21 << 7;
      QTest::newRow("sqlite") << "SQLite" << "KEL_TEST_SAKILA_SQLITE" << 16 << 5;
   }

   // the field offers the data sources and the drivers; the type follows the driver the text names (or its data source's
   // driver) while "Generic" is shown or was guessed, never once the user chose one; the data source connects
   void dataSources_data()
   {
      QTest::addColumn<QString>("sTyped");
      QTest::addColumn<QString>("sChosen");
      QTest::addColumn<QString>("sExpected");
      QTest::newRow("data source") << "kel_shop" << "Generic" << "SQLite";
      QTest::newRow("PostgreSQL driver") << "Driver={PostgreSQL Unicode};Server=db" << "Generic" << "PostgreSQL";
      QTest::newRow("MariaDB driver") << "Driver={MariaDB Unicode};" << "Generic" << "MySQL (or MariaDB)";
      QTest::newRow("FreeTDS, after a guess") << "Driver={MariaDB Unicode};\bDriver=FreeTDS;Server=db" << "Generic" << "MS SQL Server";
      QTest::newRow("no driver named") << "Server=db;Port=5432" << "Generic" << "Generic";
      QTest::newRow("chosen by the user") << "Driver={PostgreSQL Unicode};" << "SQLite" << "SQLite";
   }

   void dataSources()
   {
      QFETCH(QString, sTyped);
      QFETCH(QString, sChosen);
      QFETCH(QString, sExpected);
      auto* pDsn = w<QLineEdit>(m_pWnd.get(), "m_txtConnectionString");
      const QStringList lstOffered = static_cast<QStringListModel*>(pDsn->completer()->model())->stringList();
      QVERIFY2(lstOffered.contains("kel_shop") && lstOffered.contains("Driver={SQLite3};") && lstOffered.contains("Driver={PostgreSQL Unicode};"), qPrintable(lstOffered.join(", ")));
      auto* pType = w<QComboBox>(m_pWnd.get(), "m_cboDatabaseType");
      pType->setCurrentText(sChosen);
      // "\b": all that was typed is selected and typed over
      for (const QString& sPart : sTyped.split('\b'))
      {
         pDsn->selectAll();
         QTest::keyClicks(pDsn, sPart);
      }
      QCOMPARE(pType->currentText(), sExpected);
      if (sTyped == "kel_shop")
      {
         QCOMPARE(connectTo(m_pWnd.get(), sTyped, sExpected), QStringList());
         QCOMPARE(tableNodes(m_pWnd.get()).count(), 5);
      }
   }

   // one namespace: tables and views straight under the root, sorted, tied to their entries by key
   void sakila()
   {
      QFETCH(QString, engine);
      QFETCH(QString, variable);
      QFETCH(int, tables);
      QFETCH(int, views);
      const QString sDatabase = qEnvironmentVariable(qPrintable(variable));
      KEL_REQUIRE(! sDatabase.isEmpty(), variable + " (Sakila loaded by tests/services/with_servers.sh)");
      const QString sDsn = (engine == "SQLite") ? kel_test::sqliteDsn(sDatabase) : ((engine == "PostgreSQL") ? kel_test::postgresqlDsn(sDatabase) : kel_test::mysqlDsn(sDatabase));
      QCOMPARE(connectTo(m_pWnd.get(), sDsn, engine), QStringList());
      const QList<tree_item*> lstNodes = tableNodes(m_pWnd.get());
      QCOMPARE(static_cast<int>(m_pWnd->getListOfTables()->count()), tables + views);
      QCOMPARE(rootItem(m_pWnd.get())->childCount(), tables + views);
      QVERIFY(! button("m_btnCollapseSchema")->isVisibleTo(m_pWnd.get()) && ! button("m_btnOk")->isEnabled());
      QStringList lstSorted = texts(lstNodes);
      lstSorted.sort();
      QCOMPARE(texts(lstNodes), lstSorted);
      int iViews = 0;
      for (const tree_item* pNode : lstNodes)
      {
         const auto pTable = m_pWnd->getListOfTables()->getByKey(static_cast<long>(pNode->data(0, Qt::UserRole + 1).toLongLong()));
         QVERIFY(pTable && (pTable->getName() == pNode->text(0)));
         QCOMPARE(pNode->type(), int(pTable->getIsView() ? wnd::item_view : wnd::item_table));
         iViews += (pTable->getIsView() ? 1 : 0);
      }
      QCOMPARE(iViews, views);
   }

   // several schemas on PostgreSQL: a node per namespace ("public" reads as the empty one), counts, sorting, node texts and keys
   void schemas()
   {
      KEL_REQUIRE_POSTGRESQL();
      QCOMPARE(kel_test::createDatabase(kel_test::k_postgresql, "kel_dialog_schemas", {
         "CREATE SCHEMA sales", "CREATE SCHEMA \"Zeta\"", "CREATE TABLE shop (id serial PRIMARY KEY, name varchar(40))",
         "CREATE TABLE item (shop_id int NOT NULL, code varchar(10) NOT NULL, PRIMARY KEY (shop_id, code), CONSTRAINT fk_item_shop FOREIGN KEY (shop_id) REFERENCES shop(id))",
         "CREATE TABLE nokey (a int)", "CREATE TABLE sales.orders (id int PRIMARY KEY, shop_id int CONSTRAINT fk_orders_shop REFERENCES public.shop(id))",
         "CREATE VIEW sales.v_orders AS SELECT id FROM sales.orders", "CREATE TABLE \"Zeta\".z (id int PRIMARY KEY)" }), QString());
      QCOMPARE(connectTo(m_pWnd.get(), kel_test::postgresqlDsn("kel_dialog_schemas"), "PostgreSQL"), QStringList());
      tree_item* pRoot = rootItem(m_pWnd.get());
      QStringList lstSchemas;
      for (int i = 0; i < pRoot->childCount(); ++i) { lstSchemas << (QString::number(pRoot->child(i)->type()) + " " + pRoot->child(i)->text(0)); }
      QCOMPARE(lstSchemas, QStringList({ "1002 {}  (3)", "1002 {} Zeta (1)", "1002 {} sales (2)" }));
      const QList<tree_item*> lstTables = tableNodes(m_pWnd.get());
      QCOMPARE(texts(lstTables), QStringList({ "item", "nokey", "shop", "Zeta.z", "sales.orders", "sales.v_orders" }));
      QCOMPARE(lstTables.at(5)->type(), int(wnd::item_view));
      // under a table: primary key, columns, relationships, each keyed by the hash of its name; no key node without key columns
      QStringList lstChildren;
      for (int t : { 0, 1, 4 })
      {
         for (int i = 0; i < lstTables.at(t)->childCount(); ++i)
         {
            const tree_item* p = lstTables.at(t)->child(i);
            lstChildren << QString("%1 %2").arg(p->type()).arg(p->text(0));
            QCOMPARE(p->data(0, Qt::UserRole + 1), QVariant(qlonglong(quint32(qHash(p->text(0).section(" : ", 0, 0), 0)))));
         }
      }
      QCOMPARE(lstChildren, QStringList({ "1005 item_pk : std::tuple<long long, QString>", "1006 fk_item_shop : long long", "1007 a : long long",
                                          "1005 orders_pk : long long", "1006 fk_orders_shop : long long" }));
      // checking a schema checks its tables only; collapse and expand touch the schema nodes only
      pRoot->child(2)->setCheckState(0, Qt::Checked);
      QStringList lstChecked;
      for (const tree_item* p : lstTables) { if (p->checkState(0) == Qt::Checked) { lstChecked << p->text(0); } }
      QCOMPARE(lstChecked, QStringList({ "sales.orders", "sales.v_orders" }));
      QVERIFY(button("m_btnOk")->isEnabled());
      // the filter shows the names holding its text in any case (not the schema's), hides schemas left empty, and changes no check mark
      QLabel* pCount = w<QLabel>(m_pWnd.get(), "m_lblCheckedCount");
      QCOMPARE(pCount->text(), QString("2 of 6 tables and views checked"));
      for (const auto& filter : QList<QPair<QString, QString>>({ { "O", "nokey shop sales.orders sales.v_orders | {} Zeta (1)" }, { "sales", " | {}  (3), {} Zeta (1), {} sales (2)" }, { "", "item nokey shop Zeta.z sales.orders sales.v_orders | " } }))
      {
         w<QLineEdit>(m_pWnd.get(), "m_txtFilterTables")->setText(filter.first);
         QStringList lstShown, lstHiddenSchemas;
         for (const tree_item* p : lstTables) { if (! p->isHidden()) { lstShown << p->text(0); } }
         for (int i = 0; i < pRoot->childCount(); ++i) { if (pRoot->child(i)->isHidden()) { lstHiddenSchemas << pRoot->child(i)->text(0); } }
         QCOMPARE(lstShown.join(' ') + " | " + lstHiddenSchemas.join(", "), filter.second);
         QCOMPARE(pCount->text(), QString("2 of 6 tables and views checked"));
      }
      lstTables.at(3)->setCheckState(0, Qt::Checked);
      QCOMPARE(pCount->text(), QString("3 of 6 tables and views checked"));
      lstTables.at(3)->setCheckState(0, Qt::Unchecked);
      lstTables.at(0)->setExpanded(true);
      button("m_btnCollapseSchema")->click();
      QVERIFY(! pRoot->child(0)->isExpanded() && ! pRoot->child(2)->isExpanded() && lstTables.at(0)->isExpanded());
      button("m_btnExpandSchema")->click();
      QVERIFY(pRoot->child(0)->isExpanded() && pRoot->child(1)->isExpanded() && pRoot->child(2)->isExpanded());
      // OK hands over the checked tables, shown or not
      w<QLineEdit>(m_pWnd.get(), "m_txtFilterTables")->setText("item");
      button("m_btnOk")->click();
      QStringList lstKept;
      for (long i = 0; i < m_pWnd->getListOfTables()->count(); ++i) { lstKept << m_pWnd->getListOfTables()->getByIndex(i)->getName(); }
      QCOMPARE(lstKept, QStringList({ "orders", "v_orders" }));
   }

   // an engine combo without a current entry (a stored text that matched none) reads as the generic engine: no key nodes, only columns;
   // a note says which reader reads more
   void noEngineReadsGeneric()
   {
      QCOMPARE(connectTo(m_pWnd.get(), m_sShopDsn, "no such engine"), QStringList("KelOdbcImport: The server is SQLite: the generic reader reads neither its relationships "
                                                                                  "nor its keys of several columns; its own reader reads them (database type \"SQLite\")."));
      QCOMPARE(w<QComboBox>(m_pWnd.get(), "m_cboDatabaseType")->currentIndex(), -1);
      QCOMPARE(tableNodes(m_pWnd.get()).count(), 5);
      for (const tree_item* pTable : tableNodes(m_pWnd.get()))
      {
         for (int i = 0; i < pTable->childCount(); ++i) { QCOMPARE(pTable->child(i)->type(), int(wnd::item_column)); }
      }
   }

   void warnings_data()
   {
      QTest::addColumn<QString>("dsn");
      QTest::addColumn<QString>("engine");
      QTest::addColumn<QString>("expected");   // empty: the reader's own failure
      // a first line in plain words, then the driver's own text; the drivers and data sources as unixODBC's own tool lists them
      const auto failed = [](const QString& sDsn, const QString& sFirst) { return (sFirst + "\n\nError connecting to database :\n" + kel_test::odbcOpenError(sDsn)); };
      QStringList lstDrivers = kel_test::odbcinst("-q -d"), lstSources = kel_test::odbcinst("-q -s");
      lstDrivers.sort(Qt::CaseInsensitive);
      const QString sNoDriver("Driver={No Such Driver}"), sClosed("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=x;Uid=u");
      QTest::newRow("empty data source") << "" << "SQLite" << "DSN or connection string cannot be empty.";
      QTest::newRow("driver not installed") << sNoDriver << "SQLite" << failed(sNoDriver, "The ODBC driver \"No Such Driver\" is not installed. Installed drivers: " + lstDrivers.join(", ") + ".");
      QTest::newRow("no such data source") << "nosuch" << "SQLite"
                                           << failed("nosuch", "No ODBC data source is named \"nosuch\". Data sources: " + lstSources.join(", ") + "; installed drivers: " + lstDrivers.join(", ") + ".");
      QTest::newRow("server not reached") << sClosed << "PostgreSQL" << failed(sClosed, "The database server could not be reached at 127.0.0.1:1: is it running there, and does it accept connections?");
      if (! kel_test::env("KEL_TEST_PG_PORT").isEmpty())
      {
         const QString sRole = QString(kel_test::postgresqlDsn("postgres")).replace("Uid=" + kel_test::env("KEL_TEST_PG_USER"), "Uid=nobody");
         QTest::newRow("login refused") << sRole << "PostgreSQL" << failed(sRole, "The server refused the login \"nobody\": check the login and the password.");
      }
      QTest::newRow("wrong database type") << m_sShopDsn << "PostgreSQL" << "The database type is \"PostgreSQL\", but the server is SQLite: choose the database type \"SQLite\" and connect again.";
      QTest::newRow("no table") << kel_test::sqliteDsn(m_dir.filePath("empty.db")) << "SQLite" << "";
   }

   // one warning titled with the plug-in's name; the tree and list of the connection before are gone
   void warnings()
   {
      QFETCH(QString, dsn);
      QFETCH(QString, engine);
      QFETCH(QString, expected);
      if (expected.isEmpty())
      {
         kel_test::connection connection(dsn);
         std::unique_ptr<plugin::odbc_import_process> pReader(plugin::odbc_import_engine::createReader(engine == "SQLite" ? 5 : 1, connection.db()));
         const vx::VxBool read = pReader->startProcess();
         QVERIFY(! read.getValue() && ! read.getDesc().isEmpty());
         expected = read.getDesc();
      }
      connectShop(m_pWnd.get());
      rootItem(m_pWnd.get())->setCheckState(0, Qt::Checked);
      QCOMPARE(connectTo(m_pWnd.get(), dsn, engine), QStringList("KelOdbcImport: " + expected));
      QCOMPARE(w<QTreeWidget>(m_pWnd.get(), "m_lstItemsToImport")->topLevelItemCount(), 0);
      QCOMPARE(m_pWnd->getListOfTables()->count(), 0L);
      QVERIFY(! button("m_btnOk")->isEnabled() && button("m_btnConnect")->isEnabled());
      QCOMPARE(button("m_btnConnect")->text(), QString("Connect to database"));
   }

   // what comes from a database is text: markup in a name or a driver's message shows as written (as HTML the image would be read)
   void markupIsText()
   {
      const QString sName("<b>x</b> &amp; <img src='/nonexistent.png'>"), sFile = m_dir.filePath("markup.db");
      QCOMPARE(kel_test::makeSqlite(sFile, { "CREATE TABLE t (\"" + sName + "\" INT)", "CREATE TABLE gone (x INT)", "CREATE VIEW \"" + sName + "\" AS SELECT x FROM gone", "DROP TABLE gone" }), QString());
      QCOMPARE(connectTo(m_pWnd.get(), kel_test::sqliteDsn(sFile), "SQLite").value(0).section(" :", 0, 0), "KelOdbcImport: View '" + sName + "' is left out");
      const tree_item* pColumn = tableNodes(m_pWnd.get()).value(0)->child(0);
      QVERIFY(pColumn->text(0).startsWith(sName));
      QCOMPARE(kel_test::shownText(pColumn->toolTip(0)), pColumn->text(0));
   }

   /** A catalogue of 2,000 tables (made once per run): the SQLite file's or the PostgreSQL database's connection string. */
   QString bigCatalogue(bool bPostgreSQL)
   {
      static QString s_sSqlite, s_sPostgreSQL;
      QString& sDsn = (bPostgreSQL ? s_sPostgreSQL : s_sSqlite);
      if (! sDsn.isEmpty()) { return sDsn; }
      if (bPostgreSQL)
      {
         const QString sError = kel_test::createDatabase(kel_test::k_postgresql, "kel_cancel", { "DO $$ BEGIN FOR i IN 1..2000 LOOP "
            "EXECUTE format('CREATE TABLE t%s (id serial PRIMARY KEY, name text, ref int)', i); END LOOP; END $$" });
         return (sError.isEmpty() ? (sDsn = kel_test::postgresqlDsn("kel_cancel")) : QString());
      }
      QStringList lstDdl("BEGIN");
      for (int i = 1; i <= 2000; ++i) { lstDdl << QString("CREATE TABLE t%1 (id INTEGER PRIMARY KEY, name TEXT, ref INT)").arg(i); }
      return (kel_test::makeSqlite(m_dir.filePath("big.db"), lstDdl << "COMMIT").isEmpty() ? (sDsn = kel_test::sqliteDsn(m_dir.filePath("big.db"))) : QString());
   }

   void cancelRead_data()
   {
      QTest::addColumn<QString>("engine");
      QTest::addColumn<QString>("at");     // the button text that leads to the key; empty: at once
      QTest::addColumn<QString>("key");
      QTest::newRow("SQLite, at once, Cancel") << "SQLite" << "" << "Cancel";
      QTest::newRow("SQLite, mid-read, Escape") << "SQLite" << progress(25) << "Escape";
      QTest::newRow("SQLite, last table, close") << "SQLite" << progress(50) << "close";
      QTest::newRow("PostgreSQL, at once, Escape") << "PostgreSQL" << "" << "Escape";
      QTest::newRow("PostgreSQL, mid-read, Cancel") << "PostgreSQL" << progress(25) << "Cancel";
      QTest::newRow("PostgreSQL, last table, Cancel") << "PostgreSQL" << progress(50) << "Cancel";
      // the server answers the login and then nothing: the wait ends all the same
      QTest::newRow("PostgreSQL silent after login, Cancel") << "silent" << "" << "Cancel";
      // no default button: the read runs to its end
      QTest::newRow("shop, Return") << "shop" << progress(10) << "Return";
   }

   // Cancel and Escape end a read and leave the dialog as it was before Connect; the close button closes it;
   // the windows go on with their events meanwhile, and the read's connection is released
   void cancelRead()
   {
      QFETCH(QString, engine);
      QFETCH(QString, at);
      QFETCH(QString, key);
      const bool bPostgreSQL = (engine != "SQLite") && (engine != "shop");
      if (bPostgreSQL) { KEL_REQUIRE_POSTGRESQL(); }
      QString sDsn = ((engine == "shop") ? m_sShopDsn : bigCatalogue(bPostgreSQL));
      QVERIFY(! sDsn.isEmpty());
      std::unique_ptr<kel_test::silent_proxy> pProxy;
      if (engine == "silent")
      {
         const QString sPort = kel_test::env("KEL_TEST_PG_PORT");
         pProxy.reset(new kel_test::silent_proxy(sPort.toInt(), 30));
         // logged in, the reader's first statement gets no answer
         pProxy->stallAt("server_version_num");
         sDsn.replace("Port=" + sPort, QString("Port=%1").arg(pProxy->port()));
      }
      m_pWnd->show();
      QApplication::setActiveWindow(m_pWnd.get());
      connectShop(m_pWnd.get());
      tableNodes(m_pWnd.get()).at(1)->setCheckState(0, Qt::Checked);
      const QStringList lstConnections = QSqlDatabase::connectionNames();
      int iFinished = 0, iTicks = 0;
      connect(m_pWnd.get(), &QDialog::finished, this, [&iFinished]() { ++iFinished; });
      QTimer ticks;
      connect(&ticks, &QTimer::timeout, [&iTicks]() { ++iTicks; });
      QElapsedTimer sinceKey;
      const std::function<void()> pressKey = [&]() {
         sinceKey.start();
         if (key == "Escape") { QTest::keyClick(m_pWnd.get(), Qt::Key_Escape); }
         else if (key == "Cancel") { button("m_btnCancel")->click(); }
         else if (key == "close") { m_pWnd->close(); }
         else { QTest::keyClick(w(m_pWnd.get(), "m_txtLogin"), Qt::Key_Return); }
      };
      button_texts texts(button("m_btnConnect"), at, pressKey);
      ticks.start(50);
      if (at.isEmpty()) { QTimer::singleShot(pProxy ? 500 : 0, pressKey); }
      QCOMPARE(connectTo(m_pWnd.get(), sDsn, bPostgreSQL ? "PostgreSQL" : "SQLite"), QStringList());
      const qint64 iWaited = sinceKey.elapsed();
      if (key == "Return")
      {
         QCOMPARE(texts.lst.last(), progress(90));
         QCOMPARE(m_pWnd->getListOfTables()->count(), 5L);
         return;
      }
      QVERIFY2(iWaited < 1000, qPrintable(QString("%1 ms").arg(iWaited)));
      // the silent server: the windows went on with their events while the read hung
      if (pProxy) { QVERIFY(iTicks >= 3); }
      QCOMPARE(iFinished, (key == "close") ? 1 : 0);
      QCOMPARE(m_pWnd->isVisible(), key != "close");
      QCOMPARE(texts.lst.contains(progress(60)), false);
      QCOMPARE(tableNodes(m_pWnd.get()).count(), 5);
      QCOMPARE(m_pWnd->getListOfTables()->count(), 5L);
      QVERIFY(button("m_btnOk")->isEnabled() && button("m_btnConnect")->isEnabled());
      QCOMPARE(button("m_btnConnect")->text(), QString("Connect to database"));
      // released by the read once it stops (the silent server's once its connection breaks)
      pProxy.reset();
      const auto opened = [&lstConnections]() { QStringList lst = QSqlDatabase::connectionNames(); for (const QString& s : lstConnections) { lst.removeAll(s); } return lst; };
      QTRY_COMPARE_WITH_TIMEOUT(opened(), QStringList(), 10000);
   }

   void storedRows_data()
   {
      QTest::addColumn<QStringList>("rows");   // "KEY=value" in row order
      QTest::addColumn<int>("field");
      QTest::addColumn<QStringList>("expected");   // what fields() shows from that field on
      vx::VxCollection<QString, QString> lstText;
      lstText.insert("text", "QString");
      const QString sText = mappingRow(vx::serialization::qt::to_byte_array(lstText));
      const QStringList lstKept({ "Mapping database SQL type to C++ type (1)", "text~QString", "~" });
      QTest::newRow("first use: the defaults") << QStringList() << 0 << k_lstDefaults;
      QTest::newRow("engine text") << QStringList("DB_TYPE=MS SQL Server") << 3 << QStringList("4 [4]");
      // a stored text or number that matches no entry leaves the combo with no current entry
      QTest::newRow("engine text in other case") << QStringList("DB_TYPE=postgresql") << 3 << QStringList("-1 []");
      QTest::newRow("unknown decoration") << QStringList("RELATIONSHIP_DECORATION=99") << 8 << QStringList("-1 []");
      QTest::newRow("collection") << QStringList("RELATIONSHIP_COLLECTION=10") << 9 << QStringList("9 [10]");
      QTest::newRow("unknown collection") << QStringList("RELATIONSHIP_COLLECTION=99") << 9 << QStringList("-1 []");
      // a mapping value that is no stored list leaves the list as an earlier row set it
      QTest::newRow("mapping not Base64") << QStringList({ sText, "LIST_TYPE_MAPPING_FROM_SQL_TO_CPP=@@ not base64 @@" }) << 12 << lstKept;
      QTest::newRow("mapping empty") << QStringList({ sText, mappingRow("") }) << 12 << lstKept;
      QTest::newRow("wrong magic number") << QStringList({ sText, mappingRow(QByteArray::fromHex("000024DF00000000")) }) << 12 << lstKept;
      QTest::newRow("negative count") << QStringList({ sText, mappingRow(QByteArray::fromHex("000024DEFFFFFFFF")) }) << 12 << lstKept;
      QTest::newRow("count beyond the data") << QStringList({ sText, mappingRow(QByteArray::fromHex("000024DE00000002FFFFFFFFFFFFFFFF")) }) << 12 << lstKept;
   }

   // what a new dialog shows of the rows a project holds
   void storedRows()
   {
      QFETCH(QStringList, rows);
      QFETCH(int, field);
      QFETCH(QStringList, expected);
      openProject();
      QStringList lstInserts;
      for (const QString& s : rows) { lstInserts << QString("INSERT INTO t_plugin_params VALUES ('%1', '%2', '%3')").arg(k_sGuid, s.section('=', 0, 0), s.mid(s.indexOf('=') + 1)); }
      QCOMPARE(kel_test::connection(m_sProject, "QSQLITE").exec(lstInserts), QString());
      QCOMPARE(fields(newDialog().get()).mid(field, expected.count()), expected);
   }

   void savedAndRestored_data()
   {
      QTest::addColumn<QString>("way");
      QTest::addColumn<QString>("breakSql");   // run once a user's rows are stored, before the dialog is built
      QTest::addColumn<QString>("mendSql");    // run once the dialog is built
      for (const char* s : { "Cancel", "close", "OK", "Escape" }) { QTest::newRow(s) << QString(s) << "" << ""; }
      // the save is one transaction, and a dialog that could not read the stored settings writes none
      const QString sRefuse("CREATE TRIGGER refuse BEFORE %1 ON t_plugin_params BEGIN SELECT RAISE(ABORT, 'disk full'); END");
      const QString sAway("ALTER TABLE t_plugin_params RENAME TO t_away"), sBack("ALTER TABLE t_away RENAME TO t_plugin_params");
      QTest::newRow("save: insert fails after the delete") << "Cancel" << sRefuse.arg("INSERT") << "";
      QTest::newRow("save: delete fails") << "Cancel" << sRefuse.arg("DELETE") << "";
      QTest::newRow("load failed, Cancel") << "Cancel" << sAway << sBack;
      QTest::newRow("load failed, OK") << "OK" << sAway << sBack;
   }

   // the 13 rows in their order, the password as typed, the mapping as Base64; nothing on Escape; the rows stored before stay as
   // they were when the save fails or the load failed; a dialog on another project neither shows nor overwrites them
   void savedAndRestored()
   {
      QFETCH(QString, way);
      QFETCH(QString, breakSql);
      QFETCH(QString, mendSql);
      openProject();
      const QString sFirst = m_sProject;
      const QFileDevice::Permissions others = (QFile::permissions(m_sProject) & (QFileDevice::ReadGroup | QFileDevice::ReadOther));
      kel_test::connection project(m_sProject, "QSQLITE");
      QStringList lstEntered;
      if (! breakSql.isEmpty())
      {
         const auto pWnd = newDialog();
         enterSettings(pWnd.get());
         lstEntered = fields(pWnd.get());
         leave(pWnd.get(), "Cancel");
         QCOMPARE(project.exec({ breakSql }), QString());
      }
      {
         const auto pWnd = newDialog();
         QCOMPARE(project.exec(mendSql.isEmpty() ? QStringList() : QStringList(mendSql)), QString());
         enterSettings(pWnd.get(), breakSql.isEmpty() ? "app::db" : "changed");
         lstEntered = (breakSql.isEmpty() ? fields(pWnd.get()) : lstEntered);
         leave(pWnd.get(), way);
      }
      // a save that failed is said; a stored password closes the file to other users
      QCOMPARE(m_lstWarned.join("").section(" :\n", 0, 0), breakSql.isEmpty() ? QString() : "KelOdbcImport: The settings were not stored");
      QCOMPARE(QFile::permissions(m_sProject) & (QFileDevice::ReadGroup | QFileDevice::ReadOther), storedSettings(m_sProject).isEmpty() ? others : QFileDevice::Permissions());
      vx::VxCollection<QString, QString> lstMapping;
      lstMapping.insert("varchar", "std::string");
      lstMapping.insert("int", "qint64");
      const bool bSaved = (way != "Escape");
      QCOMPARE(storedSettings(m_sProject), ! bSaved ? QStringList() : QStringList({ "DSN=" + m_sShopDsn, "LOGIN=me", QString::fromUtf8("PASSWORD=pa;ss=wörd"),
         "DB_TYPE=SQLite", "NAMESPACE=app::db", "DELETE_NAMESPACE=1", "IMPORT_COMMENT=1", "IMPORT_DEFAULT_VALUE=1", "RELATIONSHIP_DECORATION=2", "RELATIONSHIP_COLLECTION=8",
         "BOOST_OPTIONAL_DECORATION_FOR_NULL_VALUE=1", mappingRow(vx::serialization::qt::to_byte_array(lstMapping)), "ORGANIZE_DIAGRAM_LAYOUT=0" }));
      openProject("_other");
      {
         const auto pWnd = newDialog();
         QCOMPARE(fields(pWnd.get()), k_lstDefaults);
         enterSettings(pWnd.get(), "other");
         leave(pWnd.get(), "Cancel");
      }
      QVERIFY(context::ctx_project::openProject(sFirst).getValue());
      QCOMPARE(fields(newDialog().get()), bSaved ? lstEntered : k_lstDefaults);
   }
   void importProject_data()
   {
      QTest::addColumn<QStringList>("lstArgs");
      QTest::addColumn<QString>("way");   // "cancel" the dialog, or import the shop through it: plainly, with the host's twist, into a read-only project
      QTest::addColumn<QString>("result");   // of a headless import
      QTest::addColumn<QStringList>("dialogs");
      QTest::addColumn<int>("imported");
      const QStringList lstSettings("view::wnd_odbc_import"), lstBoth({ "view::wnd_odbc_import", "view::wnd_odbc_import_result" });
      // only a first import with both options runs headless (and here finds nothing to import)
      QTest::newRow("no option") << QStringList() << "cancel" << "" << lstSettings << -1;
      QTest::newRow("engine type only") << QStringList("--KelOdbcImport_db_type=5") << "cancel" << "" << lstSettings << -1;
      QTest::newRow("empty data source") << QStringList({ "--KelOdbcImport_dsn=", "--KelOdbcImport_db_type=5" }) << "cancel" << "" << lstSettings << -1;
      QTest::newRow("empty engine type") << QStringList({ "--KelOdbcImport_dsn=" + m_sShopDsn, "--KelOdbcImport_db_type=" }) << "cancel" << "" << lstSettings << -1;
      QTest::newRow("both, headless") << QStringList({ "--KelOdbcImport_dsn=" + m_sShopDsn, "--KelOdbcImport_db_type=5", "--KelOdbcImport_filter_regexp=^none$" })
                                      << "cancel" << "No table found after applying regexp : ^none$" << QStringList() << -1;
      QTest::newRow("imported") << QStringList() << "import" << "" << lstSettings << 5;
      // the host replaces its importer when it reloads: this import still counts with its own
      QTest::newRow("importer replaced by the host") << QStringList() << "replace importer" << "" << lstSettings << 5;
      // the result window shows why the import failed; the import still reports success to the host
      QTest::newRow("failed: the result window") << QStringList() << "read-only" << "" << lstBoth << 0;
      // the main window closes while the result window is open (taking it along): the import ends without it
      QTest::newRow("main window closed during the result window") << QStringList() << "close main window" << "" << lstBoth << 0;
   }

   // cancelled, the dialog reports success and changes nothing; confirmed, the entities of the tables and the view arrive as one undo step
   void importProject()
   {
      QFETCH(QStringList, lstArgs);
      QFETCH(QString, way);
      QFETCH(QString, result);
      QFETCH(QStringList, dialogs);
      QFETCH(int, imported);
      const bool bReadOnly = (imported == 0);
      openProject();
      kel_test::connection project(m_sProject, "QSQLITE");
      const QString sTrigger("CREATE TRIGGER no_entity BEFORE INSERT ON t_entity BEGIN SELECT RAISE(ABORT, 'the project is read-only'); END");
      QCOMPARE(project.exec(bReadOnly ? QStringList(sTrigger) : QStringList()), QString());
      view::main_wnd* pMainWnd = ((way == "close main window") ? new view::main_wnd() : &m_wnd);
      context::ctx_global::setMainWnd(pMainWnd);
      plugin::import_interface* pPlugin = freshPlugin(lstArgs);
      QVERIFY(pPlugin);
      if (way == "replace importer") { connect(pPlugin, &plugin::base_interface::onReloadProject, this, [pPlugin]() { pPlugin->setGenericImporter(std::make_shared<plugin::generic_importer>()); }); }
      const QList<model::entity> lstBefore = entities();
      const int iUndo = m_wnd.getUndoStack()->index();
      QString sShown;
      const kel_test::modal_watch watch([&](QDialog* pDialog) {
         if (way == "cancel") { pDialog->reject(); }
         else if (pDialog->objectName() == "wnd_odbc_import") { importShop(static_cast<wnd*>(pDialog)); }   // a class of the module's copy
         else if (pMainWnd == &m_wnd) { sShown = pDialog->findChild<QPlainTextEdit*>("m_txtResult")->toPlainText(); pDialog->close(); }
         else { context::ctx_global::setMainWnd(nullptr); delete pMainWnd; }
      });
      const vx::VxBool done = pPlugin->importProject(*context::ctx_project::getProject());
      context::ctx_global::setMainWnd(&m_wnd);
      const QString sFailure = (bReadOnly ? m_pImporter->import().getDesc() : QString());   // the same import once more, for its text
      QCOMPARE(project.exec(bReadOnly ? QStringList("DROP TRIGGER no_entity") : QStringList()), QString());
      QCOMPARE(done.getDesc(), result);
      QCOMPARE(done.getValue(), result.isEmpty());
      QCOMPARE(watch.dialogs, dialogs);
      QCOMPARE(watch.messages, QStringList());
      QCOMPARE(m_pImporter->getProcessName(), QString("KEL_GENERATED_BY_ODBC_IMPORT_PLUGIN"));
      // organise was unchecked in the dialog
      QCOMPARE(m_lstEvents, (imported < 0) ? QStringList() : QStringList({ "reload", QString("ODBC plugin import process to current project finished (%1 entities imported)").arg(imported) }));
      if (imported <= 0)
      {
         QVERIFY(entities() == lstBefore);
         QCOMPARE(bool(m_pImporter->getListOfTables()), bReadOnly);
         QVERIFY(bReadOnly || (m_wnd.getUndoStack()->index() == iUndo));
         QCOMPARE(sShown, (way == "read-only") ? sFailure : QString());
         QVERIFY(sFailure.contains("the project is read-only") == bReadOnly);
         return;
      }
      QStringList lstImported;
      for (const model::entity& e : entities().mid(lstBefore.count())) { lstImported << (e.fullName() + (e.isView ? " (view)" : "")); }
      lstImported.sort();
      QCOMPARE(lstImported, QStringList({ "shop::customer", "shop::customer_orders (view)", "shop::orders", "shop::product", "shop::supplier" }));
      QCOMPARE(m_wnd.getUndoStack()->index(), iUndo + 1);
      QCOMPARE(m_wnd.getUndoStack()->text(iUndo), QString("import from database using ODBC driver"));
      const QList<model::entity> lstAfter = entities();
      m_wnd.getUndoStack()->undo();
      QVERIFY(entities() == lstBefore);
      m_wnd.getUndoStack()->redo();
      QVERIFY(entities() == lstAfter);
   }
};

QTEST_MAIN(tst_dialog)
#include "tst_dialog.moc"
