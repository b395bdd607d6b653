// The settings of the dialog, stored per project in "t_plugin_params": what is written, what a new
// dialog shows, and what a failed write or read leaves of the rows a user stored.
#include <QTemporaryDir>
#include <QtTest>

#include <vx/VxSerializeQt.h>

#include "dialog_support.h"

using namespace kel_dialog;

namespace {

const char* const k_sGuid = "0B7E5C21-6A3D-4F88-9D02-E4C1A7F35B90_WND_ODBC_IMPORT";

/** Everything the dialog shows of its settings, the type-mapping rows and the editor's title included. */
QStringList fields(const wnd* p)
{
   const auto text = [p](const char* s) { return w<QLineEdit>(p, s)->text(); };
   const auto checked = [p](const char* s) { return QString(w<QCheckBox>(p, s)->isChecked() ? "on" : "off"); };
   const auto entry = [p](const char* s, int iRole) {
      const QComboBox* pCombo = w<QComboBox>(p, s);
      return QString("%1 [%2]").arg(pCombo->currentIndex()).arg(pCombo->currentData(iRole).toString());
   };
   QStringList lst({ text("m_txtConnectionString"), text("m_txtLogin"), text("m_txtPassword"), entry("m_cboDatabaseType", Qt::UserRole), text("m_txtNamespace"),
                     checked("m_chkDeleteNamespace"), checked("m_chkImportComment"), checked("m_chkImportDefaultValue"), entry("m_cboDecoration", Qt::UserRole + 1),
                     entry("m_cboCollection", Qt::UserRole + 1), checked("m_chkBoostOptionalForNullValue"), checked("m_chkOrganizeLayout"),
                     w<QGroupBox>(p, "m_grpTypeMapping")->title() });
   const QTableWidget* pTable = w<QTableWidget>(p, "m_lstTypeMapping");
   for (int i = 0; i < pTable->rowCount(); ++i)
   {
      lst << (qobject_cast<QLineEdit*>(pTable->cellWidget(i, 2))->text() + "~" + qobject_cast<QLineEdit*>(pTable->cellWidget(i, 3))->text());
   }
   return lst;
}

void selectNumber(wnd* p, const char* sCombo, int iNumber)
{
   QComboBox* pCombo = w<QComboBox>(p, sCombo);
   pCombo->setCurrentIndex(pCombo->findData(iNumber, Qt::UserRole + 1));
}

/** Types a mapping into the editor's empty last row. */
void typeMapping(wnd* p, const QString& sSqlType, const QString& sCppType)
{
   QTableWidget* pTable = w<QTableWidget>(p, "m_lstTypeMapping");
   const int iRow = (pTable->rowCount() - 1);
   qobject_cast<QLineEdit*>(pTable->cellWidget(iRow, 2))->setText(sSqlType);
   qobject_cast<QLineEdit*>(pTable->cellWidget(iRow, 3))->setText(sCppType);
}

} // namespace

class tst_dialog_settings : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;
   QPluginLoader m_loader;
   plugin::odbc_import* m_pPlugin = nullptr;
   QString m_sShopDsn;
   QString m_sProject;

   /** Opens a project file of its own for the current test (and data row). */
   void openProject(const QString& sSuffix = QString())
   {
      m_sProject = m_dir.filePath(QString("%1_%2%3.kelmar").arg(QTest::currentTestFunction(), QTest::currentDataTag() ? QTest::currentDataTag() : "", sSuffix).replace(' ', '_'));
      const vx::VxBool opened = context::ctx_project::openProject(m_sProject);
      QVERIFY2(opened.getValue(), qPrintable(opened.getDesc()));
   }

   /** A user's settings: every field away from its default, two type mappings. */
   void enterSettings(wnd* p, const QString& sNamespace = "app::db")
   {
      w<QLineEdit>(p, "m_txtConnectionString")->setText(m_sShopDsn);
      w<QComboBox>(p, "m_cboDatabaseType")->setCurrentIndex(5);
      w<QLineEdit>(p, "m_txtLogin")->setText("me");
      w<QLineEdit>(p, "m_txtPassword")->setText(QString::fromUtf8("pa;ss=wörd"));
      w<QLineEdit>(p, "m_txtNamespace")->setText(sNamespace);
      for (const char* s : { "m_chkDeleteNamespace", "m_chkImportComment", "m_chkImportDefaultValue", "m_chkBoostOptionalForNullValue" }) { w<QCheckBox>(p, s)->setChecked(true); }
      w<QCheckBox>(p, "m_chkOrganizeLayout")->setChecked(false);
      selectNumber(p, "m_cboDecoration", 2);
      selectNumber(p, "m_cboCollection", 8);
      typeMapping(p, "varchar", "std::string");
      typeMapping(p, "int", "qint64");
   }

   /** Leaves the dialog as a user does: "Cancel", "close" (window button), "OK" (after connecting and checking all) or "Escape". */
   void leave(wnd* p, const QString& sWay)
   {
      if (sWay == "Cancel") { w<QPushButton>(p, "m_btnCancel")->click(); }
      else if (sWay == "close") { p->close(); }
      else if (sWay == "Escape") { QTest::keyClick(p, Qt::Key_Escape); }
      else
      {
         QCOMPARE(connectTo(p, m_sShopDsn, "SQLite"), QStringList());
         rootItem(p)->setCheckState(0, Qt::Checked);
         w<QPushButton>(p, "m_btnOk")->click();
         QCOMPARE(p->result(), int(QDialog::Accepted));
      }
   }

   /** A user's settings stored through a dialog closed with Cancel; the rows it left. */
   QStringList storeSettings()
   {
      {
         const auto pWnd = newDialog(m_pPlugin);
         enterSettings(pWnd.get());
         leave(pWnd.get(), "Cancel");
      }
      return storedSettings(m_sProject);
   }

   void insertRows(const QList<QPair<QString, QVariant>>& lstRows)
   {
      kel_test::connection project(m_sProject, "QSQLITE");
      for (const auto& row : lstRows)
      {
         QSqlQuery q(*project.db());
         q.prepare("INSERT INTO t_plugin_params (plugin_guid, param_key, param_value) VALUES (?, ?, ?)");
         q.addBindValue(QString(k_sGuid));
         q.addBindValue(row.first);
         q.addBindValue(row.second);
         QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
      }
   }

private Q_SLOTS:
   void initTestCase()
   {
      QVERIFY(m_dir.isValid());
      m_pPlugin = loadPlugin(m_loader);
      QVERIFY2(m_pPlugin, qPrintable(m_loader.errorString()));
      const QString sFile = m_dir.filePath("shop.db");
      QCOMPARE(kel_test::makeSqlite(sFile, { "CREATE TABLE customer (customer_id INTEGER PRIMARY KEY, name TEXT)" }), QString());
      m_sShopDsn = kel_test::sqliteDsn(sFile);
   }

   void cleanupTestCase() { context::ctx_project::closeProject(); }

   void firstUseKeepsDefaults()
   {
      openProject();
      const auto pWnd = newDialog(m_pPlugin);
      QCOMPARE(fields(pWnd.get()), QStringList({ "", "", "", "0 [0]", "", "off", "off", "off", "3 [5]", "0 [1]", "off", "on",
                                                 "Mapping database SQL type to C++ type (0)", "~" }));
      QCOMPARE(storedSettings(m_sProject), QStringList());
   }

   void savedAndRestored_data()
   {
      QTest::addColumn<QString>("way");
      QTest::newRow("Cancel") << "Cancel";
      QTest::newRow("window close") << "close";
      QTest::newRow("OK") << "OK";
   }

   // the 13 rows in their order, the password as typed, the mapping as Base64; a new dialog shows it all again
   void savedAndRestored()
   {
      QFETCH(QString, way);
      openProject();
      QStringList lstEntered;
      {
         const auto pWnd = newDialog(m_pPlugin);
         enterSettings(pWnd.get());
         lstEntered = fields(pWnd.get());
         leave(pWnd.get(), way);
      }
      vx::VxCollection<QString, QString> lstMapping;
      lstMapping.insert("varchar", "std::string");
      lstMapping.insert("int", "qint64");
      QCOMPARE(storedSettings(m_sProject), QStringList({ "DSN=" + m_sShopDsn, "LOGIN=me", QString::fromUtf8("PASSWORD=pa;ss=wörd"), "DB_TYPE=SQLite", "NAMESPACE=app::db",
                                                         "DELETE_NAMESPACE=1", "IMPORT_COMMENT=1", "IMPORT_DEFAULT_VALUE=1", "RELATIONSHIP_DECORATION=2",
                                                         "RELATIONSHIP_COLLECTION=8", "BOOST_OPTIONAL_DECORATION_FOR_NULL_VALUE=1",
                                                         "LIST_TYPE_MAPPING_FROM_SQL_TO_CPP=" + QString::fromLatin1(vx::serialization::qt::to_byte_array(lstMapping).toBase64()),
                                                         "ORGANIZE_DIAGRAM_LAYOUT=0" }));
      const auto pAgain = newDialog(m_pPlugin);
      QCOMPARE(fields(pAgain.get()), lstEntered);
   }

   void escapeSavesNothing()
   {
      openProject();
      const auto pWnd = newDialog(m_pPlugin);
      enterSettings(pWnd.get());
      pWnd->show();
      leave(pWnd.get(), "Escape");
      QVERIFY(! pWnd->isVisible());
      QCOMPARE(storedSettings(m_sProject), QStringList());
   }

   void storedValues_data()
   {
      QTest::addColumn<QString>("key");
      QTest::addColumn<QVariant>("value");
      QTest::addColumn<QString>("combo");
      QTest::addColumn<int>("index");
      QTest::newRow("engine text") << "DB_TYPE" << QVariant("MS SQL Server") << "m_cboDatabaseType" << 4;
      QTest::newRow("engine text in other case") << "DB_TYPE" << QVariant("postgresql") << "m_cboDatabaseType" << -1;
      QTest::newRow("unknown decoration") << "RELATIONSHIP_DECORATION" << QVariant(99) << "m_cboDecoration" << -1;
      QTest::newRow("unknown collection") << "RELATIONSHIP_COLLECTION" << QVariant(99) << "m_cboCollection" << -1;
      QTest::newRow("collection") << "RELATIONSHIP_COLLECTION" << QVariant(10) << "m_cboCollection" << 9;
   }

   // a stored text or number that matches no entry leaves the combo with no current entry
   void storedValues()
   {
      QFETCH(QString, key);
      QFETCH(QVariant, value);
      QFETCH(QString, combo);
      QFETCH(int, index);
      openProject();
      insertRows({ { key, value } });
      const auto pWnd = newDialog(m_pPlugin);
      QCOMPARE(w<QComboBox>(pWnd.get(), qPrintable(combo))->currentIndex(), index);
   }

   void corruptMapping_data()
   {
      QTest::addColumn<QByteArray>("stored");
      QByteArray valid = vx::serialization::qt::to_byte_array(vx::VxCollection<QString, QString>());
      QTest::newRow("not Base64") << QByteArray("@@ not base64 @@");
      QTest::newRow("empty") << QByteArray();
      QTest::newRow("wrong magic number") << QByteArray::fromHex("000024DF00000000").toBase64();
      QTest::newRow("negative count") << QByteArray::fromHex("000024DEFFFFFFFF").toBase64();
      QTest::newRow("count beyond the data") << QByteArray::fromHex("000024DE00000002FFFFFFFFFFFFFFFF").toBase64();
   }

   // a mapping value that is no stored list leaves the list as an earlier row set it
   void corruptMapping()
   {
      QFETCH(QByteArray, stored);
      openProject();
      vx::VxCollection<QString, QString> lstMapping;
      lstMapping.insert("text", "QString");
      insertRows({ { "LIST_TYPE_MAPPING_FROM_SQL_TO_CPP", QString::fromLatin1(vx::serialization::qt::to_byte_array(lstMapping).toBase64()) },
                   { "LIST_TYPE_MAPPING_FROM_SQL_TO_CPP", QString::fromLatin1(stored) } });
      const auto pWnd = newDialog(m_pPlugin);
      QCOMPARE(fields(pWnd.get()).mid(12), QStringList({ "Mapping database SQL type to C++ type (1)", "text~QString", "~" }));
   }

   // settings follow the opened project
   void twoProjects()
   {
      openProject("_a");
      const QString sFirst = m_sProject;
      QStringList lstFirst;
      {
         const auto pWnd = newDialog(m_pPlugin);
         enterSettings(pWnd.get(), "first");
         lstFirst = fields(pWnd.get());
         leave(pWnd.get(), "Cancel");
      }
      openProject("_b");
      {
         const auto pWnd = newDialog(m_pPlugin);
         QCOMPARE(w<QLineEdit>(pWnd.get(), "m_txtNamespace")->text(), QString());
         w<QLineEdit>(pWnd.get(), "m_txtNamespace")->setText("second");
         leave(pWnd.get(), "Cancel");
      }
      m_sProject = sFirst;
      QVERIFY(context::ctx_project::openProject(sFirst).getValue());
      const auto pWnd = newDialog(m_pPlugin);
      QCOMPARE(fields(pWnd.get()), lstFirst);
   }

   void failedSaveKeepsStoredRows_data()
   {
      QTest::addColumn<QString>("trigger");
      QTest::newRow("insert fails after the delete") << "BEFORE INSERT";
      QTest::newRow("delete fails") << "BEFORE DELETE";
   }

   // the save is one transaction: when a statement fails, the 13 rows stored before stay as they were
   void failedSaveKeepsStoredRows()
   {
      QFETCH(QString, trigger);
      openProject();
      const QStringList lstStored = storeSettings();
      QCOMPARE(lstStored.count(), 13);
      kel_test::connection project(m_sProject, "QSQLITE");
      QCOMPARE(project.exec({ "CREATE TRIGGER refuse " + trigger + " ON t_plugin_params BEGIN SELECT RAISE(ABORT, 'disk full'); END" }), QString());
      {
         const auto pWnd = newDialog(m_pPlugin);
         w<QLineEdit>(pWnd.get(), "m_txtNamespace")->setText("changed");
         w<QLineEdit>(pWnd.get(), "m_txtPassword")->clear();
         leave(pWnd.get(), "Cancel");
      }
      QCOMPARE(storedSettings(m_sProject), lstStored);
   }

   void failedLoadSavesNothing_data()
   {
      QTest::addColumn<QString>("way");
      QTest::newRow("Cancel") << "Cancel";
      QTest::newRow("OK") << "OK";
   }

   // a dialog that could not read the stored settings shows the defaults, and never writes them over the stored ones
   void failedLoadSavesNothing()
   {
      QFETCH(QString, way);
      openProject();
      const QStringList lstStored = storeSettings();
      QCOMPARE(lstStored.count(), 13);
      kel_test::connection project(m_sProject, "QSQLITE");
      QCOMPARE(project.exec({ "ALTER TABLE t_plugin_params RENAME TO t_plugin_params_away" }), QString());
      const auto pWnd = newDialog(m_pPlugin);
      QCOMPARE(w<QLineEdit>(pWnd.get(), "m_txtNamespace")->text(), QString());
      QCOMPARE(project.exec({ "ALTER TABLE t_plugin_params_away RENAME TO t_plugin_params" }), QString());
      leave(pWnd.get(), way);
      QCOMPARE(storedSettings(m_sProject), lstStored);
   }
};

QTEST_MAIN(tst_dialog_settings)
#include "tst_dialog_settings.moc"
