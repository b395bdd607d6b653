// The plug-in as the host sees it: loaded by file through QPluginLoader from the build tree.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>
#include <QPointer>
#include <QtTest>

#include <dlfcn.h>

#include <plugin/import_interface.h>

namespace {
const QString k_sImages = QStringLiteral(":/odbc_import/images/");
const QString k_sIconPath = k_sImages + "odbc_import.png";
const QStringList k_lstImages = { "odbc_import.png", "connection.png", "collapse_all.png", "expand_all.png", "help_manual.png", "ok.png",
                                  "cancel.png", "database.png", "schema.png", "table.png", "view.png", "column.png", "primary_key.png",
                                  "relationship.png", "delete.png", "close.png" };
} // namespace

class tst_foundation_plugin : public QObject
{
   Q_OBJECT

   QPluginLoader m_loader;
   plugin::import_interface* m_pPlugin = nullptr;

private Q_SLOTS:
   void initTestCase()
   {
      // the icon bundle is the plug-in's own: nothing of it exists before the library is loaded
      QVERIFY(! QFile::exists(k_sIconPath));
      m_loader.setFileName(QString(KEL_PLUGIN_FILE));
      // QPluginLoader asks by default that the library stay mapped for good; allow unloading it
      m_loader.setLoadHints(QLibrary::LoadHints());
      QVERIFY2(m_loader.load(), qPrintable(m_loader.errorString()));
      m_pPlugin = qobject_cast<plugin::import_interface*>(m_loader.instance());
      QVERIFY(m_pPlugin);
   }

   void metaData()
   {
      const QJsonObject meta = m_loader.metaData();
      QCOMPARE(meta.value("IID").toString(), QString("KelOdbcImport"));
      QCOMPARE(meta.value("className").toString(), QString("odbc_import"));
      QCOMPARE(meta.value("MetaData").toObject(), QJsonObject({ { "Keys", QJsonArray({ "KelOdbcImport" }) } }));
   }

   void metaObject()
   {
      QCOMPARE(m_pPlugin->metaObject()->className(), "plugin::odbc_import");
      QCOMPARE(m_pPlugin->qt_metacast("plugin::odbc_import"), static_cast<void*>(m_pPlugin));
      QCOMPARE(m_pPlugin->qt_metacast("plugin::import_interface"), static_cast<void*>(m_pPlugin));
      QVERIFY(m_pPlugin->inherits("plugin::base_interface"));
      QCOMPARE(m_pPlugin->qt_metacast("no::such_class"), static_cast<void*>(nullptr));
   }

   void identity_data()
   {
      QTest::addColumn<QString>("actual");
      QTest::addColumn<QString>("expected");
      QTest::newRow("getGuid") << m_pPlugin->getGuid() << "0B7E5C21-6A3D-4F88-9D02-E4C1A7F35B90";
      QTest::newRow("getName") << m_pPlugin->getName() << "KelOdbcImport";
      QTest::newRow("getShortDesc") << m_pPlugin->getShortDesc() << "Import from database using ODBC driver";
      QTest::newRow("getDescription") << m_pPlugin->getDescription() << "This plugin imports in opened project entities from database using generic ODBC driver.";
      QTest::newRow("getVersion") << m_pPlugin->getVersion() << "1.1.9";
   }

   void identity()
   {
      QFETCH(QString, actual);
      QFETCH(QString, expected);
      QCOMPARE(actual, expected);
   }

   void commandLineHelp()
   {
      const QStringList expected = {
         "--KelOdbcImport_dsn=\"<ODBC DSN>\" : [Required] ODBC DSN to connect to database",
         "--KelOdbcImport_db_type=<numeric value> : [Required] Database engine type (0=generic, 1=postgresql, 2=mysql, 3=oracle, 4=mssqlserver, 5=sqlite)",
         "--KelOdbcImport_filter_regexp=\"<Regular Expression>\" : [Optional] Filter to select tables from database to import",
         "--KelOdbcImport_login=\"<DB Login>\" : [Optional] Login to connect to database",
         "--KelOdbcImport_pwd=\"<DB Password>\" : [Optional] Password to connect to database",
         "--KelOdbcImport_namespace=\"<Namespace>\" : [Optional] C++ namespace where imported classes will be located",
         "--KelOdbcImport_delete_namespace=0/1 : [Optional] Delete all entities in the namespace before importing",
         "--KelOdbcImport_import_comment=0/1 : [Optional] Import tables/columns comment to entities/properties description",
         "--KelOdbcImport_import_default_value=0/1 : [Optional] Import columns default value",
         "--KelOdbcImport_boost_optional=0/1 : [Optional] Add boost::optional<T> decoration if a column definition allows NULL value",
         "--KelOdbcImport_organize_diagram=0/1 : [Optional] Organize diagram layout after import process",
         "--KelOdbcImport_relation_decoration=<numeric value> : [Optional] Decoration used for relationships (0=no decoration, 1=boost::shared_ptr, 2=QSharedPointer, 5=std::shared_ptr)",
         "--KelOdbcImport_relation_collection=<numeric value> : [Optional] Collection used for relationships (1=vx::VxCollection, 2=std::vector, 3=std::list, 8=QHash, 10=QList)",
         "--KelOdbcImport_mapping_sql_to_cpp=\"sql1~cpp1;sql2~cpp2;etc...\" : [Optional] List of mappings from SQL type to C++ type",
         "--KelOdbcImport_verbose=0/1 : [Optional] Display more details during the import process" };
      const QString text = m_pPlugin->getCommandLineInfos();
      QVERIFY(text.startsWith("\n  "));
      QVERIFY(! text.endsWith('\n'));
      const QStringList lines = text.mid(1).split('\n');
      QCOMPARE(lines.size(), 15);
      for (int i = 0; i < lines.size(); ++i) { QCOMPARE(lines.at(i), "  " + expected.at(i)); }
   }

   void icons()
   {
      const QIcon icons[] = { m_pPlugin->getIcon(), m_pPlugin->getIconSettings() };
      const QImage expected = QImage(k_sIconPath).convertToFormat(QImage::Format_ARGB32_Premultiplied);
      for (const QIcon& icon : icons)
      {
         QVERIFY(! icon.isNull());
         QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
         QCOMPARE(icon.pixmap(32, 32).toImage().convertToFormat(expected.format()), expected);
      }
   }

   void resourceImages_data()
   {
      QTest::addColumn<QString>("file");
      for (const QString& file : k_lstImages) { QTest::newRow(qPrintable(file)) << file; }
   }

   void resourceImages()
   {
      QFETCH(QString, file);
      const QImage image(k_sImages + file);
      QVERIFY2(! image.isNull(), qPrintable(file));
      QCOMPARE(image.size(), QSize(32, 32));
      QVERIFY(image.hasAlphaChannel());
   }

   void resourceBundleHoldsOnlyTheIcons()
   {
      QStringList expected = k_lstImages;
      expected.sort();
      QCOMPARE(QDir(k_sImages).entryList(QDir::Files, QDir::Name), expected);
   }

   void settingsOperations()
   {
      QVERIFY(! m_pPlugin->hasSettings());
      QVERIFY(! m_pPlugin->showSettings());
      const QSqlError errors[] = { m_pPlugin->loadSettings(), m_pPlugin->saveSettings() };
      for (const QSqlError& error : errors)
      {
         QVERIFY(! error.isValid());
         QCOMPARE(error.type(), QSqlError::NoError);
         QVERIFY(error.driverText().isEmpty());
         QVERIFY(error.databaseText().isEmpty());
         QVERIFY(error.nativeErrorCode().isEmpty());
      }
      QCOMPARE(m_pPlugin->getPreviewWidget(), static_cast<QWidget*>(nullptr));
   }

   void oneInstanceUntilDeleted()
   {
      QObject* first = m_loader.instance();
      QCOMPARE(static_cast<QObject*>(m_pPlugin), first);
      QCOMPARE(m_loader.instance(), first);
      first->setProperty("kel_marker", 42);
      QPointer<QObject> guard(first);
      delete first;
      m_pPlugin = nullptr;
      QVERIFY(guard.isNull());
      // the address may be reused by the allocator: the mark tells the old object from a new one
      QObject* second = m_loader.instance();
      QVERIFY(second);
      QVERIFY(! second->property("kel_marker").isValid());
      QCOMPARE(m_loader.instance(), second);
      m_pPlugin = qobject_cast<plugin::import_interface*>(second);
      QVERIFY(m_pPlugin);
      QCOMPARE(m_pPlugin->getName(), QString("KelOdbcImport"));
   }

   void unloadUnregistersIconsWithTheLibrary()
   {
      delete m_loader.instance();
      m_pPlugin = nullptr;
      QVERIFY(m_loader.unload());
      QVERIFY(! m_loader.isLoaded());
      // glibc keeps a library mapped when it holds unique symbols (STB_GNU_UNIQUE); the bundle
      // must then stay registered (nothing else unregisters it), and be gone once the library is
      void* handle = dlopen(KEL_PLUGIN_FILE, RTLD_NOW | RTLD_NOLOAD);
      const bool bStillMapped = (handle != nullptr);
      if (handle) { dlclose(handle); }
      qInfo("plug-in library still mapped after unload: %s", (bStillMapped ? "yes" : "no"));
      QCOMPARE(QFile::exists(k_sIconPath), bStillMapped);
   }
};

QTEST_MAIN(tst_foundation_plugin)
#include "tst_foundation_plugin.moc"
