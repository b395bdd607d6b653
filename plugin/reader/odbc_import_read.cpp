#include "odbc_import_read.h"

#include <cstring>

#include <dlfcn.h>
#include <signal.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

#include "odbc_import_connection.h"
#include "odbc_import_wire.h"

namespace plugin {

namespace {

const char* const k_sProgram = "kel_odbc_import_read";
// what a driver's own timeout says is worth more than ours: at the login it gets this long first
const int k_iLoginGraceMs = 2000;

// "segmentation fault", "aborted": what the system calls the signal, as part of a sentence
QString signalText(int iSignal)
{
   const char* sz = ::strsignal(iSignal);
   QString s = (sz ? QString::fromLocal8Bit(sz) : QString("signal %1").arg(iSignal));
   if (! s.isEmpty()) { s[0] = s.at(0).toLower(); }
   return s;
}

} // namespace

odbc_import_read::odbc_import_read(const odbc_import_source& source) : m_source(source)
{
   m_tmrStep.setSingleShot(true);
   connect(&m_tmrStep, &QTimer::timeout, this, &odbc_import_read::doStepTimeout);
}

odbc_import_read::~odbc_import_read()
{
   if (m_pProcess) { m_pProcess->disconnect(this); m_pProcess->kill(); }
   // reaped here, not left to QProcess's destructor, which warns of a process still running: one that sent its
   // result is about to end by itself, one still reading was killed just now
   for (QProcess* pProcess : findChildren<QProcess*>(QString(), Qt::FindDirectChildrenOnly))
   {
      if ((pProcess->state() != QProcess::NotRunning) && ! pProcess->waitForFinished(2000)) { pProcess->kill(); pProcess->waitForFinished(2000); }
   }
}

QString odbc_import_read::getProgramPath()
{
   Dl_info info;
   std::memset(&info, 0, sizeof(info));
   if (! ::dladdr(reinterpret_cast<void*>(&odbc_import_read::getProgramPath), &info) || ! info.dli_fname) { return QString(); }
   const QDir dir = QFileInfo(QFile::decodeName(info.dli_fname)).absoluteDir();
   for (const QString& sPath : { dir.filePath(k_sProgram), dir.filePath(QString("plugins/") + k_sProgram) })
   {
      if (QFileInfo(sPath).isExecutable()) { return sPath; }
   }
   return QString();
}

vx::VxBool odbc_import_read::run()
{
   QEventLoop loop;
   connect(this, &odbc_import_read::onFinished, &loop, &QEventLoop::quit);
   launch();
   if (! m_bFinished) { loop.exec(QEventLoop::ExcludeUserInputEvents); }
   return m_result;
}

void odbc_import_read::start()
{
   m_bSelfDeleting = true;
   // from the caller's event loop: a read that fails at once (no reading program) still finishes inside it
   QTimer::singleShot(0, this, [this]() { if (! m_bAbandoned) { launch(); } });
}

void odbc_import_read::abandon()
{
   m_bAbandoned = true;
   m_tmrStep.stop();
   if (m_pProcess) { m_pProcess->disconnect(this); m_pProcess->kill(); }
   deleteLater();
}

void odbc_import_read::launch()
{
   m_bFinished = false;
   m_bConnectionError = false;
   m_pListOfTables.reset();
   m_pTablesSent.reset();
   m_lstWarnings.clear();
   m_lstFilteredOut.clear();
   m_buffer.clear();
   m_errorOutput.clear();
   m_sLastWords.clear();
   m_iLastPercent = -1;
   const QString sProgram = getProgramPath();
   if (sProgram.isEmpty())
   {
      finish(vx::VxBool(false, 0, QString("The plug-in's reading program (%1) is missing beside the plug-in: install the plug-in again.").arg(k_sProgram)), false);
      return;
   }

   // its child: a process still ending when the read goes is ended with it, never left to an event loop that may not come
   m_pProcess = new QProcess(this);
   QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
   // glibc writes its fatal messages ("stack smashing detected") to the terminal unless told otherwise
   environment.insert("LIBC_FATAL_STDERR_", "1");
   m_pProcess->setProcessEnvironment(environment);
   connect(m_pProcess, &QProcess::readyReadStandardOutput, this, &odbc_import_read::doProcessOutput);
   connect(m_pProcess, &QProcess::readyReadStandardError, this, &odbc_import_read::doProcessErrorOutput);
   connect(m_pProcess, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this, &odbc_import_read::doProcessFinished);
   connect(m_pProcess, &QProcess::errorOccurred, this, &odbc_import_read::doProcessError);
   m_sStep = "the start of the reading program";
   m_stepTime.start();
   armTimeout();
   m_pProcess->start(sProgram, QStringList(), QIODevice::ReadWrite);

   odbc_import_wire::request request;
   request.iDatabaseType = m_source.iDatabaseType;
   request.sDsn = m_source.sDsn;
   request.sLogin = m_source.sLogin;
   request.sPassword = m_source.sPassword;
   request.bCheckEngine = m_source.bCheckEngine;
   request.iLoginTimeout = odbc_import_connection::getLoginTimeout();
   request.iReadTimeout = odbc_import_connection::getReadTimeout();
   request.sTableFilter = m_source.sTableFilter;
   m_pProcess->write(odbc_import_wire::writeRequest(request));
   m_pProcess->closeWriteChannel();
}

bool odbc_import_read::isAtLogin() const
{
   return ((m_sStep == QLatin1String("the login")) || (m_sStep == QLatin1String("the start of the reading program")));
}

void odbc_import_read::armTimeout()
{
   m_tmrStep.start(isAtLogin() ? ((odbc_import_connection::getLoginTimeout() * 1000) + k_iLoginGraceMs) : (odbc_import_connection::getReadTimeout() * 1000));
}

void odbc_import_read::doProcessOutput()
{
   if (! m_pProcess) { return; }
   m_buffer.append(m_pProcess->readAllStandardOutput());
   odbc_import_wire::enum_frame eKind;
   QByteArray payload;
   while (! m_bFinished && odbc_import_wire::takeFrame(m_buffer, eKind, payload)) { handleFrame(eKind, payload); }
}

void odbc_import_read::doProcessErrorOutput()
{
   if (! m_pProcess) { return; }
   // the plug-in's own log lines go on to the host's log; of the rest (drivers, Qt) the last line is kept for a crash's message
   m_errorOutput.append(m_pProcess->readAllStandardError());
   for (int iNewline = m_errorOutput.indexOf('\n'); iNewline >= 0; iNewline = m_errorOutput.indexOf('\n'))
   {
      const QByteArray line = m_errorOutput.left(iNewline + 1);
      m_errorOutput.remove(0, iNewline + 1);
      if (line.startsWith("[Kelmar]")) { std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr); }
      else if (! line.trimmed().isEmpty()) { m_sLastWords = QString::fromLocal8Bit(line.trimmed()); }
   }
   // a driver that writes without line ends
   if (m_errorOutput.size() > 4096) { m_errorOutput = m_errorOutput.right(4096); }
}

void odbc_import_read::handleFrame(int iKind, const QByteArray& payload)
{
   QDataStream in(payload);
   in.setVersion(QDataStream::Qt_5_15);
   switch (iKind)
   {
      case odbc_import_wire::frame_step:
         in >> m_sStep;
         m_stepTime.restart();
         armTimeout();
         break;
      case odbc_import_wire::frame_connected:
         Q_EMIT onConnected();
         break;
      case odbc_import_wire::frame_progress:
      {
         qint32 iPercent = 0;
         in >> iPercent;
         armTimeout();
         if (iPercent != m_iLastPercent) { m_iLastPercent = iPercent; Q_EMIT onProcessState(iPercent); }
         break;
      }
      case odbc_import_wire::frame_tables:
         armTimeout();
         if (! m_pTablesSent) { m_pTablesSent = std::make_shared<model::type_lst_table>(); }
         if (! odbc_import_wire::readTables(in, *m_pTablesSent, m_setTexts))
         {
            finish(vx::VxBool(false, 0, "The reading program sent tables that could not be read back; nothing was imported."), false);
         }
         break;
      case odbc_import_wire::frame_result:
      {
         bool bSuccess = false, bConnectionError = false;
         QString sMessage;
         QStringList lstWarnings;
         in >> bSuccess >> bConnectionError >> sMessage >> lstWarnings >> m_lstFilteredOut;
         if (in.status() != QDataStream::Ok)
         {
            finish(vx::VxBool(false, 0, "The reading program's result could not be read back; nothing was imported."), false);
            break;
         }
         // a catalogue with no table at all still comes as a list
         m_pListOfTables = (m_pTablesSent ? m_pTablesSent : std::make_shared<model::type_lst_table>());
         m_pTablesSent.reset();
         m_lstWarnings = lstWarnings;
         finish(vx::VxBool(bSuccess, 0, sMessage), bConnectionError);
         break;
      }
      default:
         break;
   }
}

void odbc_import_read::doStepTimeout()
{
   if (m_bFinished) { return; }
   const odbc_import_connection connection(m_source.iDatabaseType, m_source.sDsn);
   const int iSeconds = static_cast<int>((m_stepTime.elapsed() + 500) / 1000);
   if (isAtLogin())
   {
      const QString sServer = connection.getValue("SERVER");
      const QString sPort = connection.getValue("PORT");
      const QString sWhere = (sServer.isEmpty() ? QString() : (" at " + (sPort.isEmpty() ? sServer : (sServer + ":" + sPort))));
      finish(vx::VxBool(false, 0, QString("The database server did not answer the login within %1 s: is it running%2, and does it accept connections? "
                                          "(%3 was stopped)").arg(iSeconds).arg(sWhere, connection.describeDriver())), true);
      return;
   }
   finish(vx::VxBool(false, 0, QString("The database server did not answer within %1 s while the read waited for %2: the read was stopped and nothing was imported.")
                                  .arg(iSeconds).arg(m_sStep)), false);
}

void odbc_import_read::doProcessFinished(int iExitCode, QProcess::ExitStatus eStatus)
{
   // the result may have come with the end
   doProcessOutput();
   doProcessErrorOutput();
   if (m_bFinished) { return; }
   const odbc_import_connection connection(m_source.iDatabaseType, m_source.sDsn);
   QString sWhat = ((eStatus == QProcess::CrashExit) ? signalText(iExitCode) : QString("exit status %1").arg(iExitCode));
   QString sMessage = QString("%1 stopped the reading process: %2; nothing was imported.").arg(connection.describeDriver(), sWhat);
   sMessage[0] = sMessage.at(0).toUpper();
   // "*** stack smashing detected ***: terminated"
   const QString sLastWords = (m_errorOutput.trimmed().isEmpty() ? m_sLastWords : QString::fromLocal8Bit(m_errorOutput.trimmed()));
   if (! sLastWords.isEmpty()) { sMessage += ("\n\n" + sLastWords); }
   finish(vx::VxBool(false, 0, sMessage), false);
}

void odbc_import_read::doProcessError(QProcess::ProcessError eError)
{
   if ((eError != QProcess::FailedToStart) || m_bFinished) { return; }
   finish(vx::VxBool(false, 0, QString("The plug-in's reading program could not be started (%1): %2").arg(getProgramPath(), m_pProcess->errorString())), false);
}

void odbc_import_read::finish(const vx::VxBool& result, bool bConnectionError)
{
   if (m_bFinished) { return; }
   m_bFinished = true;
   m_tmrStep.stop();
   m_result = result;
   m_bConnectionError = bConnectionError;
   m_pTablesSent.reset();
   m_setTexts.clear();
   if (! result.getValue()) { m_pListOfTables.reset(); m_lstWarnings.clear(); }
   if (m_pProcess)
   {
      // a process that sent its result ends by itself, and nobody waits for it; one that failed is killed with its connection
      QProcess* pProcess = m_pProcess;
      m_pProcess = nullptr;
      pProcess->disconnect(this);
      if (! result.getValue()) { pProcess->kill(); }
      if (pProcess->state() == QProcess::NotRunning) { pProcess->deleteLater(); }
      else { connect(pProcess, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), pProcess, &QObject::deleteLater); }
   }
   if (m_bAbandoned) { return; }
   Q_EMIT onFinished();
   if (m_bSelfDeleting) { deleteLater(); }
}

void odbc_import_read::removeTables(model::type_lst_table& lst, const QSet<long>& setDropped)
{
   if (setDropped.isEmpty()) { return; }
   model::type_lst_table lstKept;
   for (long i = 0; i < lst.count(); ++i)
   {
      const long lKey = lst.getKeyByIndex(i);
      if (! setDropped.contains(lKey)) { lstKept.insert(lKey, lst.getByIndex(i)); }
   }
   lst = lstKept;
}

} // namespace plugin
