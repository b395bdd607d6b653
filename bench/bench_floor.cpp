// bench_floor: what a PostgreSQL catalogue read costs the server and the wire alone. It sends the PostgreSQL reader's
// own statements (the version, the transaction, the tables query and the catalogue-wide keys, relationships and
// columns queries, the commit) through libpq, unprepared as the reader sends them, and reads every value of every
// row; no ODBC, no model. The statements are taken from the reader itself (run against a driver that only keeps
// what it is given), so that the floor follows the reader's SQL.
//
//   bench_floor "host=127.0.0.1 port=P dbname=D user=U"
//
// Output: one "key=value" per line (bench/floor.sh reads them): floor_s (connection to the last row), rows,
// values, bytes; exit status 1 when a statement fails.

#include <cstdio>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlRecord>
#include <QSqlResult>
#include <QVariant>

#include <libpq-fe.h>

#include "odbc_import_postgresql.h"

namespace {

/** Runs nothing and returns no row: keeps the text of each statement. */
class recording_result : public QSqlResult
{
public:
   recording_result(const QSqlDriver* pDriver, QStringList& lstStatements) : QSqlResult(pDriver), m_lstStatements(lstStatements) { ; }

protected:
   bool reset(const QString& sql) override { m_lstStatements.append(sql); setSelect(false); setActive(true); return true; }
   bool fetch(int) override { return false; }
   bool fetchFirst() override { return false; }
   bool fetchLast() override { return false; }
   QVariant data(int) override { return QVariant(); }
   bool isNull(int) override { return true; }
   int size() override { return 0; }
   int numRowsAffected() override { return 0; }
   QSqlRecord record() const override { return QSqlRecord(); }

private:
   QStringList& m_lstStatements;
};

class recording_driver : public QSqlDriver
{
public:
   bool hasFeature(DriverFeature) const override { return false; }
   bool open(const QString&, const QString&, const QString&, const QString&, int, const QString&) override { setOpen(true); return true; }
   void close() override { setOpen(false); }
   QSqlResult* createResult() const override { return new recording_result(this, m_lstStatements); }
   QStringList statements() const { return m_lstStatements; }

private:
   mutable QStringList m_lstStatements;
};

/** The reader's statements in the order of its read, for a server of that version. */
class reader_statements : public plugin::odbc_import_postgresql
{
public:
   explicit reader_statements(QSqlDatabase* pDatabase) : plugin::odbc_import_postgresql(pDatabase) { ; }

   QStringList statements(const recording_driver& driver, int iServerVersion)
   {
      readPreamble();
      m_iServerVersion = iServerVersion;
      beginRead();
      QStringList lst = driver.statements();
      lst << tablesQuery().sql() << allPrimaryKeysQuery().sql() << allRelationsQuery().sql() << allColumnsQuery().sql();
      endRead(true);
      lst << driver.statements().mid(2);
      return lst;
   }
};

} // namespace

int main(int argc, char* argv[])
{
   QCoreApplication app(argc, argv);
   // the reader's debug lines (the version it was not told) are not the floor's
   qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) { ; });
   if (argc != 2) { std::fprintf(stderr, "usage: bench_floor \"libpq connection string\"\n"); return 2; }

   auto* pDriver = new recording_driver();
   QStringList lstStatements;
   {
      QSqlDatabase db = QSqlDatabase::addDatabase(pDriver, "recording");
      db.open();
      // the version: libpq has it from the connection's start, the reader asks for it
      PGconn* pProbe = PQconnectdb(argv[1]);
      const int iVersion = ((PQstatus(pProbe) == CONNECTION_OK) ? PQserverVersion(pProbe) : 0);
      PQfinish(pProbe);
      if (iVersion == 0) { std::fprintf(stderr, "bench_floor: cannot connect\n"); return 1; }
      reader_statements reader(&db);
      lstStatements = reader.statements(*pDriver, iVersion);
   }

   QElapsedTimer timer;
   timer.start();
   PGconn* pConnection = PQconnectdb(argv[1]);
   if (PQstatus(pConnection) != CONNECTION_OK) { std::fprintf(stderr, "bench_floor: %s", PQerrorMessage(pConnection)); return 1; }
   long lRows = 0, lValues = 0, lChecksum = 0;
   qint64 iBytes = 0;
   for (const QString& sStatement : lstStatements)
   {
      PGresult* pResult = PQexec(pConnection, sStatement.toUtf8().constData());
      const ExecStatusType status = PQresultStatus(pResult);
      if ((status != PGRES_TUPLES_OK) && (status != PGRES_COMMAND_OK))
      {
         std::fprintf(stderr, "bench_floor: %s\n%s", qPrintable(sStatement), PQresultErrorMessage(pResult));
         return 1;
      }
      const int iRows = PQntuples(pResult), iColumns = PQnfields(pResult);
      for (int r = 0; r < iRows; ++r)
      {
         for (int c = 0; c < iColumns; ++c)
         {
            iBytes += PQgetlength(pResult, r, c);
            lChecksum += static_cast<unsigned char>(PQgetvalue(pResult, r, c)[0]);
         }
      }
      lRows += iRows;
      lValues += (static_cast<long>(iRows) * iColumns);
      PQclear(pResult);
   }
   PQfinish(pConnection);
   const double dSeconds = (timer.nsecsElapsed() / 1e9);
   std::printf("statements=%d\nrows=%ld\nvalues=%ld\nbytes=%lld\nchecksum=%ld\nfloor_s=%.3f\n", static_cast<int>(lstStatements.count()), lRows, lValues,
               static_cast<long long>(iBytes), lChecksum, dSeconds);
   return 0;
}
