#include "odbc_import_no_gui.h"

#include <cstdio>
#include <limits>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QRegExp>
#include <QRegularExpression>
#include <QVector>
#include <QtDebug>

#include <QLineEdit>
#include <QSet>
#include <QValidator>

#include <context/ctx_global.h>
#include <tools/validator_helper.h>
#include <view/main_wnd.h>

#include "odbc_import.h"
#include "odbc_import_connection.h"
#include "odbc_import_options.h"
#include "odbc_import_read.h"

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

// The host's rule for a namespace is the validator it gives a field: asked of a field never shown.
bool isNamespace(const QString& sNamespace)
{
   QLineEdit edit;
   tools::validator_helper::setValidator_Namespace(&edit);
   QString sText(sNamespace);
   int iPosition = 0;
   return (! edit.validator() || (edit.validator()->validate(sText, iPosition) == QValidator::Acceptable));
}

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

// Levenshtein distance, letters compared without regard to case
int editDistance(const QString& a, const QString& b)
{
   QVector<int> lstRow(b.size() + 1);
   for (int j = 0; j <= b.size(); ++j) { lstRow[j] = j; }
   for (int i = 1; i <= a.size(); ++i)
   {
      int iDiagonal = lstRow[0];
      lstRow[0] = i;
      for (int j = 1; j <= b.size(); ++j)
      {
         const int iAbove = lstRow[j];
         lstRow[j] = qMin(qMin(lstRow[j] + 1, lstRow[j - 1] + 1), iDiagonal + ((a.at(i - 1).toLower() == b.at(j - 1).toLower()) ? 0 : 1));
         iDiagonal = iAbove;
      }
   }
   return lstRow[b.size()];
}

// A plug-in option nobody reads would be ignored in silence and the run would fail later for another reason
// (a misspelt password option: "no password supplied"). The known names are those of the help text.
QString unknownOption(const plugin::odbc_import& plugin)
{
   static const QRegularExpression k_name("^\\s*(--KelOdbcImport_[^=\\s]+)=");
   QStringList lstKnown;
   for (const QString& sLine : plugin.getCommandLineInfos().split('\n'))
   {
      const QRegularExpressionMatch match = k_name.match(sLine);
      if (match.hasMatch()) { lstKnown << match.captured(1); }
   }
   for (const QString& sArg : QCoreApplication::arguments())
   {
      if (! sArg.startsWith("--KelOdbcImport_")) { continue; }
      const QString sName = sArg.section('=', 0, 0);
      if (lstKnown.contains(sName)) { continue; }
      QString sNearest;
      int iNearest = std::numeric_limits<int>::max();
      for (const QString& sKnown : lstKnown)
      {
         const int iDistance = editDistance(sName, sKnown);
         if (iDistance < iNearest) { iNearest = iDistance; sNearest = sKnown; }
      }
      return (sName + " : unknown option; did you mean " + sNearest + "?");
   }
   return QString();
}

} // namespace

vx::VxBool odbc_import_no_gui::fillGenericImporter(plugin::odbc_import* plugin)
{
   view::main_wnd* pMainWnd = context::ctx_global::getMainWnd();
   if (! pMainWnd) { return vx::VxBool(false, 0, "Kelmar main window not found"); }
   const std::shared_ptr<generic_importer> pImporter = (plugin ? plugin->getGenericImporter() : nullptr);
   if (! pImporter) { return vx::VxBool(false, 0, "Kelmar generic importer not found"); }

   const command_line args(pMainWnd);
   odbc_import_source source;
   odbc_import_options options;
   source.sDsn = args.text("--KelOdbcImport_dsn");
   const QString sDatabaseType = args.text("--KelOdbcImport_db_type");
   bool bNumber = sDatabaseType.isNull();
   source.iDatabaseType = (bNumber ? 0 : sDatabaseType.toInt(&bNumber, 10));
   const QString sFilter = args.text("--KelOdbcImport_filter_regexp");
   source.sLogin = args.text("--KelOdbcImport_login");
   source.sPassword = args.text("--KelOdbcImport_pwd");
   options.sNamespace = args.text("--KelOdbcImport_namespace", QString(""));
   options.bDeleteNamespace = args.flag("--KelOdbcImport_delete_namespace");
   options.bImportComment = args.flag("--KelOdbcImport_import_comment");
   options.bImportDefaultValue = args.flag("--KelOdbcImport_import_default_value");
   options.bBoostOptionalForNullValue = args.flag("--KelOdbcImport_boost_optional");
   options.iDecoration = args.integer("--KelOdbcImport_relation_decoration", 5);
   options.iCollection = args.integer("--KelOdbcImport_relation_collection", 1);
   options.lstTypeMapping = parseTypeMapping(args.text("--KelOdbcImport_mapping_sql_to_cpp"));
   const bool bVerbose = args.flag("--KelOdbcImport_verbose");
   // values no import could use are the command line's fault, said before anything is opened
   const QRegExp filter(sFilter, Qt::CaseSensitive, QRegExp::RegExp);
   const auto refuse = [](const QString& sWhy) { return vx::VxBool(false, import_interface::k_iCommandLineError, sWhy); };
   const QString sUnknown = (plugin ? unknownOption(*plugin) : QString());
   if (! sUnknown.isEmpty()) { return refuse(sUnknown); }
   if (! bNumber) { return refuse("--KelOdbcImport_db_type : '" + sDatabaseType + "' is not a number"); }
   const bool bFilter = (! sFilter.isEmpty() && (sFilter != "*"));
   if (bFilter && ! filter.isValid()) { return refuse("--KelOdbcImport_filter_regexp : '" + sFilter + "' is not a valid regular expression : " + filter.errorString()); }
   if (! isNamespace(options.sNamespace)) { return refuse("--KelOdbcImport_namespace : '" + options.sNamespace + "' is not a C++ namespace (such as app or app::db)"); }

   if (bVerbose) { qDebug("[Kelmar] KelOdbcImport plugin : connect to database (%s)", odbc_import_connection(source.iDatabaseType, source.sDsn).getMasked().toLocal8Bit().constData()); }
   // the engine is checked against the server as the dialog does: a mismatch fails with the dialog's sentence
   source.bCheckEngine = true;
   // the tables the pattern leaves out are not read whole
   if (bFilter) { source.sTableFilter = sFilter; }
   odbc_import_read read(source);
   // the read says when it connected: only then comes the line before the reader runs
   QObject::connect(&read, &odbc_import_read::onConnected, [bVerbose]() { if (bVerbose) { qDebug("[Kelmar] KelOdbcImport plugin : fetch database schema"); } });
   // a read that takes a while says where it is, on the error output, once a second after its first two
   QElapsedTimer sinceStart;
   sinceStart.start();
   QTimer progress;
   QObject::connect(&progress, &QTimer::timeout, [&read, &sinceStart]() {
      if (sinceStart.elapsed() < 2000) { return; }
      const QString sPercent = ((read.getPercent() >= 0) ? QString(" %1 %").arg(read.getPercent()) : QString());
      std::fprintf(stderr, "KelOdbcImport: reading the catalogue%s, waiting for %s (%lld s)\n", qPrintable(sPercent), qPrintable(read.getStep()), sinceStart.elapsed() / 1000);
      std::fflush(stderr);
   });
   progress.start(1000);
   const vx::VxBool result = read.run();
   progress.stop();
   if (! result.getValue()) { return result; }
   const type_lst_table_ptr pListOfTables = read.getListOfTables();
   // what the reader left out is said, the rest is imported
   for (const QString& sWarning : read.getWarnings()) { Q_EMIT plugin->onMessage(sWarning, 2, 0); }
   // the tables the pattern left out were not read: only their names came
   const QStringList lstFilteredOut = read.getFilteredOut();
   if ((! pListOfTables || pListOfTables->empty()) && lstFilteredOut.isEmpty()) { return vx::VxBool(false, 0, odbc_import_process::getNoTableMessage()); }
   if (bVerbose) { qDebug("[Kelmar] KelOdbcImport plugin : database tables/views found (%d)", static_cast<int>((pListOfTables ? pListOfTables->count() : 0) + lstFilteredOut.count())); }
   for (int i = (lstFilteredOut.count() - 1); bVerbose && (i >= 0); --i)
   {
      qDebug("[Kelmar] KelOdbcImport plugin : table '%s' doesn't match regexp '%s'", lstFilteredOut.at(i).toLocal8Bit().constData(), sFilter.toLocal8Bit().constData());
   }
   if (! pListOfTables || pListOfTables->empty()) { return vx::VxBool(false, 0, "No table found after applying regexp : " + sFilter); }

   // from the last table to the first, as the lines have always come; the list is cut once at the end
   QSet<long> setDropped;
   for (long i = (pListOfTables->count() - 1); i >= 0; --i)
   {
      const std::shared_ptr<model::app_table> pTable = pListOfTables->getByIndex(i);
      const QString sFullName = (pTable->getNamespace().isEmpty() ? pTable->getName() : (pTable->getNamespace() + "." + pTable->getName()));
      if (bFilter && (sFullName.indexOf(filter, 0) == -1))
      {
         if (bVerbose) { qDebug("[Kelmar] KelOdbcImport plugin : table '%s' doesn't match regexp '%s'", sFullName.toLocal8Bit().constData(), sFilter.toLocal8Bit().constData()); }
         pTable->terminate();
         setDropped.insert(pListOfTables->getKeyByIndex(i));
      }
      else { pTable->setMetaData("TABLE_ROOT_NAMESPACE", QVariant(options.sNamespace)); }
   }
   odbc_import_read::removeTables(*pListOfTables, setDropped);
   if (pListOfTables->empty()) { return vx::VxBool(false, 0, "No table found after applying regexp : " + sFilter); }

   options.applyTo(*pImporter, pListOfTables);
   return vx::VxBool(true);
}

} // namespace plugin
