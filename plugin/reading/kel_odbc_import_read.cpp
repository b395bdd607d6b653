// kel_odbc_import_read: the plug-in's reading program. It reads one catalogue through an ODBC driver in a
// process of its own, so that a driver that crashes or a server that stops answering cannot take the
// designer with it. The request (connection, account, limits) comes on standard input; steps, progress
// and the tables go back as frames on standard output. Standard output is the frames' alone: whatever a
// driver prints goes to standard error.
#include <cerrno>

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QFile>

#include "odbc_import_reading.h"
#include "odbc_import_step.h"
#include "odbc_import_wire.h"

namespace {

int g_iFrames = -1;

void send(plugin::odbc_import_wire::enum_frame eKind, const QByteArray& payload)
{
   const QByteArray bytes = plugin::odbc_import_wire::frame(eKind, payload);
   const char* p = bytes.constData();
   qint64 iLeft = bytes.size();
   while (iLeft > 0)
   {
      const ssize_t iWritten = ::write(g_iFrames, p, static_cast<size_t>(iLeft));
      if ((iWritten < 0) && (errno == EINTR)) { continue; }
      // nobody reads any more: the plug-in walked away
      if (iWritten <= 0) { ::_exit(3); }
      p += iWritten;
      iLeft -= iWritten;
   }
}

template <typename T>
QByteArray payloadOf(const T& value)
{
   QByteArray bytes;
   QDataStream out(&bytes, QIODevice::WriteOnly);
   out.setVersion(QDataStream::Qt_5_15);
   out << value;
   return bytes;
}

void sendStep(const QString& sStep) { send(plugin::odbc_import_wire::frame_step, payloadOf(sStep)); }

} // namespace

int main(int argc, char* argv[])
{
   // the plug-in's process gone (killed, crashed): this one goes too, with its connection
   ::prctl(PR_SET_PDEATHSIG, SIGKILL);
   ::signal(SIGPIPE, SIG_IGN);
   g_iFrames = ::dup(STDOUT_FILENO);
   ::dup2(STDERR_FILENO, STDOUT_FILENO);

   QCoreApplication app(argc, argv);
   QFile input;
   plugin::odbc_import_wire::request request;
   if (! input.open(stdin, QIODevice::ReadOnly) || ! plugin::odbc_import_wire::readRequest(input.readAll(), request))
   {
      std::fputs("kel_odbc_import_read: no read request on standard input (this program is started by the KelOdbcImport plug-in)\n", stderr);
      return 2;
   }

   plugin::odbc_import_step::setListener(&sendStep);
   plugin::odbc_import_reading reading(request);
   qint32 iLastPercent = -1;
   QObject::connect(&reading, &plugin::odbc_import_reading::onConnected, []() { send(plugin::odbc_import_wire::frame_connected, QByteArray()); });
   QObject::connect(&reading, &plugin::odbc_import_reading::onProcessState, [&iLastPercent](int iPercent) {
      if (iPercent != iLastPercent) { iLastPercent = iPercent; send(plugin::odbc_import_wire::frame_progress, payloadOf(qint32(iPercent))); }
   });
   const vx::VxBool result = reading.run();

   // the tables a few hundred at a time: the plug-in rebuilds some while the next are written
   const plugin::type_lst_table_ptr pTables = (result.getValue() ? reading.getListOfTables() : nullptr);
   const long k_lChunk = 256;
   for (long i = 0; pTables && (i < pTables->count()); i += k_lChunk)
   {
      QByteArray chunk;
      QDataStream out(&chunk, QIODevice::WriteOnly);
      out.setVersion(QDataStream::Qt_5_15);
      plugin::odbc_import_wire::writeTables(out, pTables.get(), i, i + k_lChunk);
      send(plugin::odbc_import_wire::frame_tables, chunk);
   }
   QByteArray payload;
   {
      QDataStream out(&payload, QIODevice::WriteOnly);
      out.setVersion(QDataStream::Qt_5_15);
      out << result.getValue() << reading.isConnectionError() << result.getDesc() << reading.getWarnings() << reading.getFilteredOut();
   }
   send(plugin::odbc_import_wire::frame_result, payload);
   // the connection is closed already: the tables' memory goes with the process, not one object at a time
   ::_exit(0);
}
