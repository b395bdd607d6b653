// The plug-in as the host sees it: loaded by file through QPluginLoader from the build tree.
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>
#include <QProcess>
#include <QtTest>

#include <plugin/import_interface.h>

namespace {
const QString k_sIconPath = QStringLiteral(":/odbc_import/images/odbc_import.png");
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
      QVERIFY2(m_loader.load(), qPrintable(m_loader.errorString()));
      m_pPlugin = qobject_cast<plugin::import_interface*>(m_loader.instance());
      QVERIFY(m_pPlugin);
   }

   void metaDataAndIdentity()
   {
      const QJsonObject meta = m_loader.metaData();
      QCOMPARE(QStringList({ meta.value("IID").toString(), meta.value("className").toString() }), QStringList({ "KelOdbcImport", "odbc_import" }));
      QCOMPARE(meta.value("MetaData").toObject(), QJsonObject({ { "Keys", QJsonArray({ "KelOdbcImport" }) } }));
      QCOMPARE(QStringList({ m_pPlugin->getGuid(), m_pPlugin->getName(), m_pPlugin->getShortDesc(), m_pPlugin->getDescription(), m_pPlugin->getVersion() }),
               QStringList({ "0B7E5C21-6A3D-4F88-9D02-E4C1A7F35B90", "KelOdbcImport", "Import from database using ODBC driver",
                             "This plugin imports in opened project entities from database using generic ODBC driver.", "1.1.9" }));
   }

   // the help text is part of the host's command-line help: byte for byte, each line indented
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
      QCOMPARE(m_pPlugin->getCommandLineInfos().split('\n'), QStringList("") + QStringList(expected).replaceInStrings(QRegularExpression("^"), "  "));
   }

   // the real host loads only a plug-in that calls nothing of its libraries beyond what they offer plug-ins:
   // every symbol it takes from the host's core library and from Vexa is one of these
   void hostContract()
   {
      QProcess nm;
      nm.start("nm", { "-D", "--undefined-only", "-C", QString(KEL_PLUGIN_FILE) });
      QVERIFY(nm.waitForFinished() && (nm.exitCode() == 0));
      const QStringList offered({ "vx::VxSqlQuery::VxSqlQuery(", "vx::VxSqlQuery::bind(", "vx::VxSqlQuery::where(", "vx::VxSqlQuery::getSqlResultAt(",
         "vx::VxSqlDatabase::getDatabase(", "vx::dao::call_query(", "vx::dao::call_query_without_prepare(", "vx::dao::fetch_by_query<model::plugin_params>(",
         "vx::dao::delete_by_query<model::plugin_params>(", "vx::dao::insert<model::plugin_params>(", "vx::VxSession::VxSession(", "vx::VxSession::~VxSession(",
         "vx::VxSession::operator+=(", "view::main_wnd::getAppArg(", "view::main_wnd::addUndoRedoCommand(", "tools::common_model::getModelAllCollection(",
         "tools::common_model::getModelDecorationForRelationship(", "tools::event_filter::", "tools::validator_helper::setValidator_Namespace(",
         "plugin::base_interface::on", "plugin::generic_importer::getPropertyType(", "plugin::generic_importer::import(", "plugin::import_interface::",
         "context::ctx_global::getMainWnd(", "context::ctx_global::getAppHelpManualUrl(", "context::ctx_scoped::", "context::ctx_project::getProject(",
         "undo_redo::undo_project::backupUndoProject(", "undo_redo::undo_project::backupRedoProject(", "undo_redo::undo_base::m_bCreateUndoRedoInEvent",
         "for model::app_table", "for plugin::base_interface", "for plugin::import_interface", "for undo_redo::undo_project" });
      static const QRegularExpression host("\\b(vx|context|model|plugin|view|tools|undo_redo)::");
      QStringList lstOther;
      for (const QString& sLine : QString::fromLatin1(nm.readAllStandardOutput()).split('\n'))
      {
         if (sLine.contains(host) && std::none_of(offered.begin(), offered.end(), [&sLine](const QString& s) { return sLine.contains(s); })) { lstOther << sLine.trimmed(); }
      }
      QCOMPARE(lstOther, QStringList());
   }

   // every image of the bundle is a 32x32 icon with transparency; the plug-in's icons are its own image
   void images()
   {
      const QDir images(":/odbc_import/images");
      const QStringList files = images.entryList(QDir::Files, QDir::Name);
      QCOMPARE(files.join(' '), QString("cancel.png close.png collapse_all.png column.png connection.png database.png delete.png expand_all.png "
                                        "help_manual.png odbc_import.png ok.png primary_key.png relationship.png schema.png table.png view.png"));
      for (const QString& file : files)
      {
         const QImage image(images.filePath(file));
         QVERIFY2((image.size() == QSize(32, 32)) && image.hasAlphaChannel(), qPrintable(file));
      }
      const QImage expected = QImage(k_sIconPath).convertToFormat(QImage::Format_ARGB32_Premultiplied);
      for (const QIcon& icon : { m_pPlugin->getIcon(), m_pPlugin->getIconSettings() })
      {
         QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
         QCOMPARE(icon.pixmap(32, 32).toImage().convertToFormat(expected.format()), expected);
      }
   }
};

QTEST_MAIN(tst_foundation_plugin)
#include "tst_foundation_plugin.moc"
