// kelmar: the host program that loads the import plug-ins and runs one on a project file.
#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPluginLoader>
#include <QSaveFile>
#include <QVector>

#include <context/ctx_global.h>
#include <context/ctx_project.h>
#include <plugin/import_interface.h>
#include <view/main_wnd.h>

#include "display.h"
#include "tables_json.h"

namespace {

struct loaded_plugin
{
   QString file;
   plugin::import_interface* instance = nullptr;
};

// stdout is buffered (a line per property: a write each would be thousands); what goes to stderr
// comes after what was printed before it
void out(const QString& s) { std::fputs(qPrintable(s + "\n"), stdout); }
void err(const QString& s) { std::fflush(stdout); std::fputs(qPrintable(s + "\n"), stderr); std::fflush(stderr); }

/** The value of "--name VALUE" or "--name=VALUE" among the host's own options. */
QString hostOption(const QStringList& args, const QString& name)
{
   for (int i = 1; i < args.count(); ++i)
   {
      if (args.at(i) == name) { return args.value(i + 1); }
      if (args.at(i).startsWith(name + "=")) { return args.at(i).mid(name.size() + 1); }
   }
   return QString();
}

QList<loaded_plugin> loadPlugins(const std::shared_ptr<plugin::generic_importer>& pImporter)
{
   QStringList lstFolders(QDir(QCoreApplication::applicationDirPath()).filePath("plugins"));
   lstFolders += qEnvironmentVariable("KELMAR_PLUGIN_PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
   QList<loaded_plugin> lst;
   for (const QString& sFolder : lstFolders)
   {
      const QDir dir(sFolder);
      for (const QString& sFile : dir.entryList(QDir::Files, QDir::Name))
      {
         QPluginLoader loader(dir.filePath(sFile));
         if (loader.metaData().value("IID").toString().isEmpty()) { continue; }
         auto* pImport = qobject_cast<plugin::import_interface*>(loader.instance());
         if (! pImport) { err("kelmar: " + dir.filePath(sFile) + " is not an import plug-in : " + loader.errorString()); continue; }
         pImport->setGenericImporter(pImporter);
         lst.append({ dir.filePath(sFile), pImport });
      }
   }
   return lst;
}

/** An entity's lines, each ended by "\n", appended to sOut; lstEnds gets where each line ends. */
void appendEntityLines(const model::entity& e, QString& sOut, QVector<int>& lstEnds)
{
   const auto endLine = [&sOut, &lstEnds]() { sOut += QLatin1Char('\n'); lstEnds.append(sOut.size()); };
   sOut += (e.isView ? QLatin1String("view   ") : QLatin1String("entity "));
   sOut += e.fullName();
   if (! e.description.isEmpty()) { sOut += QLatin1String("  // "); sOut += e.description; }
   endLine();
   for (const model::entity_property& p : e.properties)
   {
      sOut += QLatin1String("    ");
      sOut += p.cppType;
      sOut += QLatin1Char(' ');
      sOut += p.name;
      const bool bNotNull = (p.notNull && ! p.primaryKey);
      if (p.primaryKey || bNotNull || ! p.defaultValue.isEmpty())
      {
         sOut += QLatin1String("   [");
         if (p.primaryKey) { sOut += QLatin1String("primary key"); }
         if (bNotNull) { sOut += QLatin1String("not null"); }
         if (! p.defaultValue.isEmpty()) { sOut += ((p.primaryKey || bNotNull) ? QLatin1String(", default ") : QLatin1String("default ")); sOut += p.defaultValue; }
         sOut += QLatin1Char(']');
      }
      endLine();
   }
   for (const model::entity_relationship& r : e.relationships)
   {
      sOut += QLatin1String("    ");
      sOut += r.cppType;
      sOut += QLatin1Char(' ');
      sOut += r.name;
      sOut += QLatin1String("   -> ");
      if (! r.targetNamespace.isEmpty()) { sOut += r.targetNamespace; sOut += QLatin1String("::"); }
      sOut += r.targetEntity;
      sOut += QLatin1String(" (");
      sOut += r.columns.join(QLatin1String(", "));
      sOut += QLatin1String(" -> ");
      sOut += r.targetColumns.join(QLatin1String(", "));
      sOut += QLatin1Char(')');
      endLine();
   }
}

// an entity's lines are converted and written together; a line holding a NUL character is cut there (and loses
// its end of line), as fputs cuts it in out()
void printEntities(const QList<model::entity>& lst)
{
   QString sText;
   QVector<int> lstEnds;
   for (const model::entity& e : lst)
   {
      sText.clear();
      lstEnds.clear();
      appendEntityLines(e, sText, lstEnds);
      if (! sText.contains(QChar(0)))
      {
         const QByteArray bytes = sText.toLocal8Bit();
         std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
         continue;
      }
      for (int i = 0, iStart = 0; i < lstEnds.count(); iStart = lstEnds.at(i++)) { out(sText.mid(iStart, lstEnds.at(i) - iStart - 1)); }
   }
}

/** Device and inode of an existing file; else the canonical folder and the name: two paths of one file compare equal. */
QString fileIdentity(const QString& sPath)
{
   const QFileInfo info(sPath);
   struct stat st {};
   if (::stat(QFile::encodeName(info.absoluteFilePath()).constData(), &st) == 0) { return QString("%1:%2").arg(st.st_dev).arg(st.st_ino); }
   const QString sFolder = QFileInfo(info.absolutePath()).canonicalFilePath();
   return ((sFolder.isEmpty() ? info.absolutePath() : sFolder) + "/" + info.fileName());
}

bool isSqliteDatabase(const QString& sPath)
{
   QFile file(sPath);
   return (file.open(QIODevice::ReadOnly) && (file.read(16) == QByteArray("SQLite format 3", 16)));
}

/** Empty when the dump may be written there: never over the project, another SQLite database, or anything but a regular file. */
QString checkDumpPath(const QString& sDump, const QString& sProject)
{
   // before anything opens it: reading a pipe waits for a writer, and a device is no place for a dump
   struct stat st {};
   if ((::stat(QFile::encodeName(sDump).constData(), &st) == 0) && ! S_ISREG(st.st_mode)) { return "kelmar: --dump-tables " + sDump + " is not a regular file, not replaced by a dump"; }
   if (fileIdentity(sDump) == fileIdentity(sProject)) { return "kelmar: --dump-tables " + sDump + " is the project file"; }
   if (isSqliteDatabase(sDump)) { return "kelmar: --dump-tables " + sDump + " is a SQLite database, not replaced by a dump"; }
   return QString();
}

void printHelp(const QList<loaded_plugin>& lstPlugins)
{
   out("Usage: kelmar --project FILE [--import NAME] [--dump-tables FILE] [--plugins] [--help] [plug-in options]\n"
       "  --project FILE        project file to open (a SQLite file, created when absent)\n"
       "  --import NAME         run the import plug-in NAME on the project, then print its entities\n"
       "  --dump-tables FILE    write the tables the import plug-in read as JSON\n"
       "  --plugins             list the loaded plug-ins\n"
       "  --help                this text\n"
       "Plug-ins are loaded from the 'plugins' folder beside the program and the folders of KELMAR_PLUGIN_PATH.");
   for (const loaded_plugin& p : lstPlugins) { out("\nOptions of " + p.instance->getName() + ":" + p.instance->getCommandLineInfos()); }
}

} // namespace

int main(int argc, char* argv[])
{
   // a headless import needs no display: work over ssh and in CI
   if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
   { qputenv("QT_QPA_PLATFORM", "offscreen"); }
   // Qt wants a private runtime folder; a session without one (ssh, CI) gets its own
   if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
   {
      const QByteArray runtimeDir = QFile::encodeName(QDir::tempPath() + "/kelmar-runtime-" + QString::number(::getuid()));
      ::mkdir(runtimeDir.constData(), 0700);
      qputenv("XDG_RUNTIME_DIR", runtimeDir);
   }
   QApplication app(argc, argv);
   const QStringList args = QCoreApplication::arguments();

   auto pImporter = std::make_shared<plugin::generic_importer>();
   const QList<loaded_plugin> lstPlugins = loadPlugins(pImporter);
   if (args.contains("--help") || args.count() <= 1) { printHelp(lstPlugins); return 0; }
   if (args.contains("--plugins"))
   {
      for (const loaded_plugin& p : lstPlugins)
      {
         out(QString("%1 %2 {%3}\n  %4\n  %5").arg(p.instance->getName(), p.instance->getVersion(), p.instance->getGuid(), p.instance->getShortDesc(), p.file));
         out("  command line:" + p.instance->getCommandLineInfos());
      }
      if (hostOption(args, "--import").isEmpty()) { return 0; }
   }

   const QString sProject = hostOption(args, "--project");
   if (sProject.isEmpty()) { err("kelmar: --project FILE is required"); return 2; }
   // the dump is checked and opened before the project is touched: a dump that cannot be written leaves the project as it was
   const QString sDump = hostOption(args, "--dump-tables");
   if (sDump.isEmpty() && (args.contains("--dump-tables") || args.contains("--dump-tables="))) { err("kelmar: --dump-tables needs a file name"); return 2; }
   QSaveFile dump(sDump);
   if (! sDump.isEmpty())
   {
      const QString sRefused = checkDumpPath(sDump, sProject);
      if (! sRefused.isEmpty()) { err(sRefused); return 2; }
      if (! dump.open(QIODevice::WriteOnly)) { err("kelmar: cannot write " + sDump + " : " + dump.errorString()); return 1; }
   }
   // a run whose command line the plug-in refuses leaves no new project behind
   const bool bNewProject = ! QFileInfo::exists(sProject);
   const vx::VxBool opened = context::ctx_project::openProject(sProject);
   if (! opened.getValue()) { err("kelmar: " + opened.getDesc()); return 1; }
   view::main_wnd mainWnd;
   context::ctx_global::setMainWnd(&mainWnd);
   const int iBefore = context::ctx_project::getProject()->getEntities().count();
   out(QString("Project %1 : %2 entities").arg(sProject).arg(iBefore));

   const QString sImport = hostOption(args, "--import");
   if (sImport.isEmpty() && kelmar::hasDisplay())
   {
      QList<plugin::import_interface*> lstInstances;
      for (const loaded_plugin& p : lstPlugins) { lstInstances << p.instance; }
      // the window runs until the user closes it: what was printed is out before
      std::fflush(stdout);
      const int iStatus = kelmar::runMainWindow(mainWnd, lstInstances);
      context::ctx_global::setMainWnd(nullptr);
      context::ctx_project::closeProject();
      return iStatus;
   }
   if (sImport.isEmpty()) { printEntities(context::ctx_project::getProject()->getEntities()); return 0; }
   plugin::import_interface* pImport = nullptr;
   for (const loaded_plugin& p : lstPlugins) { if (p.instance->getName() == sImport) { pImport = p.instance; } }
   if (! pImport) { err("kelmar: no import plug-in named '" + sImport + "'"); return 2; }
   // the main window is never shown here: an import's undo step would rebuild its list and diagram for nobody
   QObject::disconnect(mainWnd.getUndoStack(), &QUndoStack::indexChanged, &mainWnd, &view::main_wnd::doReloadProject);
   // a settings dialog on a platform without a display would wait for an answer forever
   const QStringList lstMissing = (kelmar::hasDisplay() ? QStringList() : kelmar::missingRequiredOptions(*pImport, mainWnd));
   if (! lstMissing.isEmpty())
   {
      err("kelmar: no display for the settings dialog of " + sImport + " : give " + lstMissing.join(" and ") + " to import without it");
      return 1;
   }

   QObject::connect(pImport, &plugin::base_interface::onMessage, [](const QString& sMessage, int, int) { out(sMessage); });
   const vx::VxBool result = pImport->importProject(*context::ctx_project::getProject());
   int iStatus = 0;
   if (! result.getValue()) { err(result.getDesc()); iStatus = ((result.getCode() == plugin::import_interface::k_iCommandLineError) ? 2 : 1); }

   // nothing read (the import failed before it had tables): an earlier dump stays as it was
   if (! sDump.isEmpty() && pImporter->getListOfTables())
   {
      // a short write (the disk full) leaves the earlier dump as it was, never a piece of this one
      const QByteArray json = kelmar::tablesToJson(pImporter->getListOfTables());
      const qint64 iWritten = dump.write(json);
      const QString sWhy = ((iWritten == json.size()) ? QString() : QString("only %1 of %2 bytes could be written").arg(qMax<qint64>(iWritten, 0)).arg(json.size()));
      if (! sWhy.isEmpty()) { dump.cancelWriting(); }
      if (! dump.commit()) { err("kelmar: cannot write " + sDump + " : " + (sWhy.isEmpty() ? dump.errorString() : sWhy)); iStatus = 1; }
   }
   // nobody undoes here, and the entities printed come from the project: what the import read and its undo
   // step go before the project is read back
   pImporter->setListOfTables(nullptr);
   mainWnd.getUndoStack()->clear();
   if (result.getValue())
   {
      if (pImporter->getRunCount() > 0) { out(pImporter->getCountMessage()); }
      const QList<model::entity> lst = context::ctx_project::getProject()->getEntities();
      out(QString("Project %1 : %2 entities").arg(sProject).arg(lst.count()));
      printEntities(lst);
   }
   context::ctx_global::setMainWnd(nullptr);
   context::ctx_project::closeProject();
   if ((iStatus == 2) && bNewProject) { for (const QString& sSuffix : { "", "-journal", "-wal", "-shm" }) { QFile::remove(sProject + sSuffix); } }
   return iStatus;
}
