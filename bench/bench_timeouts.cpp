// bench_timeouts: how long an import waits on a server that accepts and then answers nothing, with the
// plug-in's own connection settings (odbc_import_connection, default timeouts). For PostgreSQL and
// MariaDB, silent at the login and silent once the catalogue is being read; prints the seconds to the
// error and the error. It judges nothing. Run it through tests/services/with_servers.sh:
//
//   tests/services/with_servers.sh build/bin/bench_timeouts [RELEASE_SECONDS]
//
// A wait the driver does not end is ended by the proxy after RELEASE_SECONDS (default 180) of silence
// and printed as "not bounded".
#include <cstdio>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <vx/VxSqlDatabase.h>

#include <context/ctx_custom.h>
#include <context/ctx_scoped.h>

#include "odbc_import_connection.h"
#include "odbc_import_process.h"
#include "odbc_import_engine.h"
#include "silent_proxy.h"

namespace {

void measure(const char* sEngine, int iDatabaseType, const QString& sDsnPattern, int iServerPort, bool bAfterLogin, int iRelease)
{
   kel_test::silent_proxy proxy((bAfterLogin ? iServerPort : 0), iRelease);
   context::ctx_custom* pContext = vx::VxSingleton<context::ctx_custom>::getSingleton();
   plugin::odbc_import_connection::fillContext(pContext, iDatabaseType, sDsnPattern.arg(proxy.port()), QString(), QString());
   QString sError;
   QElapsedTimer timer;
   timer.start();
   QString sName;
   {
      context::ctx_scoped scoped(pContext);
      QSqlError error;
      QSqlDatabase db = vx::VxSqlDatabase::getDatabase(error);
      sName = db.connectionName();
      if (! db.isOpen()) { sError = error.text(); }
      else if (bAfterLogin)
      {
         proxy.stall();
         timer.restart();
         std::unique_ptr<plugin::odbc_import_process> pReader(plugin::odbc_import_engine::createReader(iDatabaseType, &db));
         sError = pReader->startProcess().getDesc();
      }
   }
   QSqlDatabase::removeDatabase(sName);
   std::printf("%-10s silent %-14s %6.1f s  %s: %s\n", sEngine, (bAfterLogin ? "in the read" : "at the login"), timer.elapsed() / 1000.0,
               (proxy.released() ? "not bounded" : "ended by the driver"), qPrintable(sError.simplified().left(110)));
   std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
   QCoreApplication app(argc, argv);
   const int iRelease = ((argc > 1) ? QString(argv[1]).toInt() : 180);
   std::printf("login timeout %d s, read timeout %d s\n", plugin::odbc_import_connection::getLoginTimeout(), plugin::odbc_import_connection::getReadTimeout());
   const int iPg = qEnvironmentVariableIntValue("KEL_TEST_PG_PORT"), iMy = qEnvironmentVariableIntValue("KEL_TEST_MYSQL_PORT");
   const QString sPg = "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=%1;Database=postgres;Uid=" + qEnvironmentVariable("KEL_TEST_PG_USER");
   const QString sMy = "Driver={MariaDB Unicode};Server=127.0.0.1;Port=%1;Database=mysql;Uid=" + qEnvironmentVariable("KEL_TEST_MYSQL_USER") + ";Pwd=" + qEnvironmentVariable("KEL_TEST_MYSQL_PWD");
   for (const bool bAfterLogin : { false, true })
   {
      if (iPg > 0) { measure("PostgreSQL", 1, sPg, iPg, bAfterLogin, iRelease); }
      if (iMy > 0) { measure("MariaDB", 2, sMy, iMy, bAfterLogin, iRelease); }
   }
   return 0;
}
