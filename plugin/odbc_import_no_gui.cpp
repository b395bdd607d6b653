#include "odbc_import_no_gui.h"

#include <QRegExp>
#include <QtDebug>

#include <vx/VxSqlDatabase.h>

#include <context/ctx_custom.h>
#include <context/ctx_global.h>
#include <context/ctx_scoped.h>
#include <tools/validator_helper.h>
#include <view/main_wnd.h>

#include "odbc_import.h"
#include "odbc_import_connection.h"
#include "odbc_import_process.h"

namespace plugin {

namespace {

/** Option values of the host's command line: the first occurrence counts. */
class command_line
{
public:
   explicit command_line(const view::main_wnd* pMainWnd) : m_pMainWnd(pMainWnd) { ; }

   QString text(const char* sName, const QString& sDefault = QString()) const
   {
      const QStringList lst = m_pMainWnd->getAppArg(QString::fromLatin1(sName));
      return (lst.isEmpty() ? sDefault : lst.first());
   }

   // a value that is no decimal integer (the empty text too) gives 0; the default is for an absent option only
   int integer(const char* sName, int iDefault) const
   {
      const QStringList lst = m_pMainWnd->getAppArg(QString::fromLatin1(sName));
      return (lst.isEmpty() ? iDefault : lst.first().toInt(nullptr, 10));
   }

   bool flag(const char* sName) const { return (text(sName) == "1"); }

private:
   const view::main_wnd* m_pMainWnd;
};

/** "sql1~cpp1;sql2~cpp2": pairs in order, a repeated SQL type keeping its first C++ type. */
generic_importer::type_lst_type_mapping parseTypeMapping(const QString& sMapping)
{
   generic_importer::type_lst_type_mapping lst;
   for (const QString& sPair : sMapping.split(";", Qt::SkipEmptyParts, Qt::CaseSensitive))
   {
      const QStringList lstPieces = sPair.split("~", Qt::SkipEmptyParts, Qt::CaseSensitive);
      const QString sSqlType = lstPieces.value(0);
      const QString sCppType = lstPieces.value(1);
      if (! sSqlType.isEmpty() && ! sCppType.isEmpty()) { lst.insert(sSqlType, sCppType); }
   }
   return lst;
}

} // namespace

vx::VxBool odbc_import_no_gui::fillGenericImporter(plugin::odbc_import* plugin)
{
   view::main_wnd* pMainWnd = context::ctx_global::getMainWnd();
   if (! pMainWnd) { return vx::VxBool(false, 0, "Kelmar main window not found"); }
   const std::shared_ptr<generic_importer> pImporter = (plugin ? plugin->getGenericImporter() : nullptr);
   if (! pImporter) { return vx::VxBool(false, 0, "Kelmar generic importer not found"); }

   const command_line options(pMainWnd);
   const QString sDsn = options.text("--KelOdbcImport_dsn");
   const QString sDatabaseType = options.text("--KelOdbcImport_db_type");
   bool bNumber = sDatabaseType.isNull();
   const int iDatabaseType = (bNumber ? 0 : sDatabaseType.toInt(&bNumber, 10));
   const QString sFilter = options.text("--KelOdbcImport_filter_regexp");
   const QString sLogin = options.text("--KelOdbcImport_login");
   const QString sPassword = options.text("--KelOdbcImport_pwd");
   const QString sNamespace = options.text("--KelOdbcImport_namespace", QString(""));
   const bool bDeleteNamespace = options.flag("--KelOdbcImport_delete_namespace");
   const bool bImportComment = options.flag("--KelOdbcImport_import_comment");
   const bool bImportDefaultValue = options.flag("--KelOdbcImport_import_default_value");
   const bool bBoostOptional = options.flag("--KelOdbcImport_boost_optional");
   const int iDecoration = options.integer("--KelOdbcImport_relation_decoration", 5);
   const int iCollection = options.integer("--KelOdbcImport_relation_collection", 1);
   const generic_importer::type_lst_type_mapping lstTypeMapping = parseTypeMapping(options.text("--KelOdbcImport_mapping_sql_to_cpp"));
   const bool bVerbose = options.flag("--KelOdbcImport_verbose");
   // values no import could use are the command line's fault, said before anything is opened
   const QRegExp filter(sFilter, Qt::CaseSensitive, QRegExp::RegExp);
   const auto refuse = [](const QString& sWhy) { return vx::VxBool(false, import_interface::k_iCommandLineError, sWhy); };
   if (! bNumber) { return refuse("--KelOdbcImport_db_type : '" + sDatabaseType + "' is not a number"); }
   const bool bFilter = (! sFilter.isEmpty() && (sFilter != "*"));
   if (bFilter && ! filter.isValid()) { return refuse("--KelOdbcImport_filter_regexp : '" + sFilter + "' is not a valid regular expression : " + filter.errorString()); }
   if (! tools::validator_helper::isNamespace(sNamespace)) { return refuse("--KelOdbcImport_namespace : '" + sNamespace + "' is not a C++ namespace (such as app or app::db)"); }

   context::ctx_custom* pContext = vx::VxSingleton<context::ctx_custom>::getSingleton();
   odbc_import_connection::fillContext(pContext, iDatabaseType, sDsn, sLogin, sPassword);
   QSqlError error;
   if (bVerbose) { qDebug("[Kelmar] KelOdbcImport plugin : connect to database (%s)", odbc_import_connection::maskPassword(sDsn).toLocal8Bit().constData()); }

   type_lst_table_ptr pListOfTables;
   {
      context::ctx_scoped scoped(pContext);
      QSqlDatabase database = vx::VxSqlDatabase::getDatabase(error);
      if (! database.isOpen() || error.isValid()) { return vx::VxBool(false, 0, "Error connecting to database : " + error.text()); }

      std::unique_ptr<odbc_import_process> pReader(odbc_import_process::createReader(iDatabaseType, (&database)));
      if (bVerbose) { qDebug("[Kelmar] KelOdbcImport plugin : fetch database schema"); }
      const vx::VxBool read = pReader->startProcess();
      if (! read.getValue()) { return read; }
      pListOfTables = pReader->getListOfTables();
      // what the reader left out is said, the rest is imported
      for (const QString& sWarning : pReader->getWarnings()) { Q_EMIT plugin->onMessage(sWarning, 2, 0); }
      if (! pListOfTables || pListOfTables->empty()) { return vx::VxBool(false, 0, "No table found in database"); }
      if (bVerbose) { qDebug("[Kelmar] KelOdbcImport plugin : database tables/views found (%d)", static_cast<int>(pListOfTables->count())); }
   }

   // from the last table to the first, so that removing one keeps the indexes still to visit
   for (long i = (pListOfTables->count() - 1); i >= 0; --i)
   {
      const std::shared_ptr<model::app_table> pTable = pListOfTables->getByIndex(i);
      const QString sFullName = (pTable->getNamespace().isEmpty() ? pTable->getName() : (pTable->getNamespace() + "." + pTable->getName()));
      if (bFilter && (sFullName.indexOf(filter, 0) == -1))
      {
         if (bVerbose) { qDebug("[Kelmar] KelOdbcImport plugin : table '%s' doesn't match regexp '%s'", sFullName.toLocal8Bit().constData(), sFilter.toLocal8Bit().constData()); }
         pTable->terminate();
         pListOfTables->removeByIndex(i);
      }
      else { pTable->setMetaData("TABLE_ROOT_NAMESPACE", QVariant(sNamespace)); }
   }
   if (pListOfTables->empty()) { return vx::VxBool(false, 0, "No table found after applying regexp : " + sFilter); }

   pImporter->setListOfTables(pListOfTables);
   pImporter->setDeleteNamespace(bDeleteNamespace);
   pImporter->setNamespace(sNamespace);
   pImporter->setImportComment(bImportComment);
   pImporter->setImportDefaultValue(bImportDefaultValue);
   pImporter->setDecoration(static_cast<model::property_type::enum_decoration>(iDecoration));
   pImporter->setCollection(static_cast<model::property_type::enum_collection>(iCollection));
   pImporter->setBoostOptionalForNullValue(bBoostOptional);
   pImporter->setListOfTypeMapping(lstTypeMapping);
   return vx::VxBool(true);
}

} // namespace plugin
