// bench_timeouts: how long an import waits on a server that accepts and then answers nothing, through the
// plug-in's own read (its reading program, default timeouts). PostgreSQL and MariaDB silent at the login and
// silent once the catalogue is being read; FreeTDS as the SQL Server type and as the generic type silent at
// the login. Prints the seconds to the error and the error's first line; it judges nothing. Run it through
// tests/services/with_servers.sh:
//
//   tests/services/with_servers.sh build/bin/bench_timeouts [RELEASE_SECONDS]
//
// A wait the read does not end is ended by the proxy after RELEASE_SECONDS (default 180) of silence and
// printed as "not bounded".
#include <cstdio>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "odbc_import_connection.h"
#include "odbc_import_read.h"
#include "silent_proxy.h"

namespace {

// sStallOn: bytes of the first catalogue query, where the proxy goes silent; empty: silent from the start
void measure(const char* sEngine, int iDatabaseType, const QString& sDsnPattern, int iServerPort, const std::string& sStallOn, int iRelease)
{
   kel_test::silent_proxy proxy((sStallOn.empty() ? 0 : iServerPort), iRelease, sStallOn);
   QElapsedTimer timer;
   timer.start();
   plugin::odbc_import_read read({ iDatabaseType, sDsnPattern.arg(proxy.port()), QString(), QString(), true });
   const QString sError = read.run().getDesc();
   std::printf("%-22s silent %-14s %6.1f s  %s: %s\n", sEngine, (sStallOn.empty() ? "at the login" : "in the read"), timer.elapsed() / 1000.0,
               (proxy.released() ? "not bounded" : "ended"), qPrintable(sError.section('\n', 0, 0).left(140)));
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
   const QString sTds = "Driver={FreeTDS};Server=127.0.0.1;Port=%1;Database=master;TDS_Version=7.4;Uid=sa;Pwd=x";
   if (iPg > 0) { measure("PostgreSQL", 1, sPg, iPg, std::string(), iRelease); measure("PostgreSQL", 1, sPg, iPg, "pg_catalog", iRelease); }
   if (iMy > 0) { measure("MariaDB", 2, sMy, iMy, std::string(), iRelease); measure("MariaDB", 2, sMy, iMy, "information_schema", iRelease); }
   measure("FreeTDS (SQL Server)", 4, sTds, 0, std::string(), iRelease);
   measure("FreeTDS (generic)", 0, sTds, 0, std::string(), iRelease);
   return 0;
}
