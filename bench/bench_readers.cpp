// bench_readers: opens one ODBC connection string as the plug-in does, runs the catalogue reader of one engine type
// once, and prints what it cost: wall time, the process's CPU time, peak memory, and how much it
// read. It prints figures only; it judges nothing.
//
//   bench_readers TYPE "CONNECTION STRING"
//   TYPE: 1 PostgreSQL, 2 MySQL/MariaDB, 5 SQLite (0 or anything else: the generic reader)
//
// With BENCH_READERS_PROGRAM=1 it also reads through the plug-in's reading program, as the plug-in does,
// and prints that whole read's time beside the in-process connection and read (in_process_s).
//
// With BENCH_READERS_DUMP=FILE set, the model read is also written to FILE as text (every table,
// column and key with its fields, in model order), so that two builds can be compared for the
// same result.
//
//   bench_readers --versus TYPE "CONNECTION STRING" [ROUNDS]
//   the engine's own reader and the generic reader (ODBC's catalogue functions) on the same connection, in turns,
//   ROUNDS times each (default 5): the median wall time of each, their ratio and what each read. On the Sakila
//   databases that tests/services/with_servers.sh loads, e.g.
//   tests/services/with_servers.sh sh -c 'build/bin/bench_readers --versus 1 "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$KEL_TEST_PG_PORT;Database=$KEL_TEST_SAKILA_PG_DB;Uid=$KEL_TEST_PG_USER"'
//
// The reader's progress: how many values it told, when the first came and the longest wait between two (the run's
// start and end included).
//
// Output: one "key=value" per line (bench/run.sh reads them), the failure message on stderr
// and exit status 1 when the reader fails.

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <QVector>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>

#include <vx/VxSqlDatabase.h>


#include "odbc_import_connection.h"
#include "odbc_import_process.h"
#include "odbc_import_engine.h"
#include "odbc_import_read.h"
#include "odbc_import_wire.h"

namespace {

struct usage
{
   double cpuUser = 0.0;
   double cpuSystem = 0.0;
   long maxRssKb = 0;
};

usage now()
{
   struct rusage ru {};
   getrusage(RUSAGE_SELF, &ru);
   usage u;
   u.cpuUser = static_cast<double>(ru.ru_utime.tv_sec) + static_cast<double>(ru.ru_utime.tv_usec) / 1e6;
   u.cpuSystem = static_cast<double>(ru.ru_stime.tv_sec) + static_cast<double>(ru.ru_stime.tv_usec) / 1e6;
   u.maxRssKb = ru.ru_maxrss;   // kilobytes on Linux
   return u;
}

struct counts
{
   long tables = 0;
   long views = 0;
   long columns = 0;      // distinct columns of each table, wherever the model placed them
   long primaryKeyColumns = 0;
   long foreignKeys = 0;
};

counts countModel(const plugin::type_lst_table_ptr& pTables)
{
   counts c;
   if (! pTables) { return c; }
   for (long i = 0; i < pTables->count(); ++i)
   {
      const std::shared_ptr<model::app_table> pTable = pTables->getByIndex(i);
      if (! pTable) { continue; }
      (pTable->getIsView() ? c.views : c.tables) += 1;
      // a column sits in the plain list, in the primary key or in one or more foreign keys
      QSet<long> keys;
      if (const auto pColumns = pTable->getListOfColumns())
      {
         for (long k = 0; k < pColumns->count(); ++k) { keys.insert(pColumns->getKeyByIndex(k)); }
      }
      if (const auto pPrimaryKey = pTable->getPrimaryKey())
      {
         const auto pKeyColumns = pPrimaryKey->getListColumns();
         for (long k = 0; pKeyColumns && (k < pKeyColumns->count()); ++k) { keys.insert(pKeyColumns->getKeyByIndex(k)); }
         c.primaryKeyColumns += (pKeyColumns ? pKeyColumns->count() : 0);
      }
      if (const auto pRelations = pTable->getListOfRelations())
      {
         c.foreignKeys += pRelations->count();
         for (long r = 0; r < pRelations->count(); ++r)
         {
            const auto pForeignKey = pRelations->getByIndex(r);
            const auto pKeyColumns = (pForeignKey ? pForeignKey->getListColumns() : nullptr);
            for (long k = 0; pKeyColumns && (k < pKeyColumns->count()); ++k) { keys.insert(pKeyColumns->getKeyByIndex(k)); }
         }
      }
      c.columns += keys.count();
   }
   return c;
}

QString columnText(const std::shared_ptr<model::app_column>& p)
{
   if (! p) { return "(null)"; }
   return QString("%1 | %2 | %3 | %4 | %5 | notnull=%6 | target=%7 | pk=%8 | fk=%9")
      .arg(p->getName(), p->getSqlType(), p->getType().toString(), p->getDefaultValue(), p->getDescription())
      .arg(p->getNotNull() ? 1 : 0).arg(p->getTargetColumn()).arg(p->getPrimaryKey() ? 1 : 0)
      .arg(p->getForeignKey() ? p->getForeignKey()->getConstraintName() : QString("-"));
}

void dumpColumns(QTextStream& out, const char* where, const std::shared_ptr<model::type_lst_column>& pColumns)
{
   for (long k = 0; pColumns && (k < pColumns->count()); ++k)
   { out << "    " << where << " [" << pColumns->getKeyByIndex(k) << "] " << columnText(pColumns->getByIndex(k)) << "\n"; }
}

void dumpModel(const QString& sFile, const plugin::type_lst_table_ptr& pTables)
{
   QFile file(sFile);
   if (! file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) { return; }
   QTextStream out(&file);
   for (long i = 0; pTables && (i < pTables->count()); ++i)
   {
      const std::shared_ptr<model::app_table> pTable = pTables->getByIndex(i);
      if (! pTable) { continue; }
      out << "[" << pTables->getKeyByIndex(i) << "] " << pTable->getNamespace() << "." << pTable->getName() << " view=" << (pTable->getIsView() ? 1 : 0)
          << " | " << pTable->getDescription() << "\n";
      dumpColumns(out, "column", pTable->getListOfColumns());
      if (pTable->getPrimaryKey()) { dumpColumns(out, "pk", pTable->getPrimaryKey()->getListColumns()); }
      const auto pRelations = pTable->getListOfRelations();
      for (long r = 0; pRelations && (r < pRelations->count()); ++r)
      {
         const auto pForeignKey = pRelations->getByIndex(r);
         if (! pForeignKey) { continue; }
         out << "  fk [" << pRelations->getKeyByIndex(r) << "] " << pForeignKey->getConstraintName() << " -> " << pForeignKey->getTargetTableNamespace() << "."
             << pForeignKey->getTargetTable() << "\n";
         dumpColumns(out, "fkcol", pForeignKey->getListColumns());
      }
   }
}

/** The median wall time of one reader over its rounds, and what its last run read. */
struct timed
{
   QVector<double> seconds;
   counts read;
   bool ok = true;
   double median() { std::sort(seconds.begin(), seconds.end()); return seconds.isEmpty() ? 0.0 : seconds.at(seconds.count() / 2); }
};

void runOnce(int type, QSqlDatabase& db, timed& t)
{
   std::unique_ptr<plugin::odbc_import_process> pReader(plugin::odbc_import_engine::createReader(type, &db));
   QElapsedTimer timer;
   timer.start();
   t.ok = (pReader->startProcess().getValue() && t.ok);
   t.seconds.append(static_cast<double>(timer.nsecsElapsed()) / 1e9);
   t.read = countModel(pReader->getListOfTables());
}

int versus(int type, const QString& sConnection, int iRounds)
{
   QSqlError error;
   QSqlDatabase db = plugin::odbc_import_connection(type, sConnection).open("bench_readers_versus", error);
   if (! db.isOpen() || error.isValid()) { std::fprintf(stderr, "cannot open the connection: %s\n", qPrintable(error.text())); return 1; }
   timed engine, generic;
   // in turns, so that both meet the same server caches
   for (int i = 0; i < iRounds; ++i) { runOnce(type, db, engine); runOnce(0, db, generic); }
   const auto print = [](const char* name, timed& t) {
      std::printf("%s_ok=%d\n%s_wall_s=%.3f\n%s_tables=%ld\n%s_views=%ld\n%s_columns=%ld\n%s_primary_key_columns=%ld\n%s_foreign_keys=%ld\n", name, t.ok ? 1 : 0, name, t.median(),
                  name, t.read.tables, name, t.read.views, name, t.read.columns, name, t.read.primaryKeyColumns, name, t.read.foreignKeys);
   };
   std::printf("type=%d\nrounds=%d\n", type, iRounds);
   print("engine", engine);
   print("generic", generic);
   std::printf("generic_to_engine=%.2f\n", (engine.median() > 0.0) ? (generic.median() / engine.median()) : 0.0);
   const QString sName = db.connectionName();
   db = QSqlDatabase();
   QSqlDatabase::removeDatabase(sName);
   return ((engine.ok && generic.ok) ? 0 : 1);
}

} // namespace

int main(int argc, char** argv)
{
   QCoreApplication app(argc, argv);
   const QStringList args = app.arguments();
   if ((args.value(1) == "--versus") && (args.count() >= 4)) { return versus(args.at(2).toInt(), args.at(3), qMax(1, args.value(4, "5").toInt())); }
   if (args.count() != 3)
   {
      std::fprintf(stderr, "usage: %s TYPE \"ODBC connection string\"\n  TYPE: 1 PostgreSQL, 2 MySQL/MariaDB, 5 SQLite, 0 generic\n",
                   qPrintable(args.value(0)));
      return 2;
   }
   bool ok = false;
   const int type = args.at(1).toInt(&ok);
   if (! ok) { std::fprintf(stderr, "TYPE must be a number\n"); return 2; }

   QElapsedTimer connectTimer;
   connectTimer.start();
   int status = 0;
   {
      // the connection the plug-in itself makes: its timeouts and driver options included
      const plugin::odbc_import_connection connection(type, args.at(2));
      QSqlError error;
      QSqlDatabase db = connection.open("bench_readers", error);
      if (! db.isOpen() || error.isValid())
      {
         std::fprintf(stderr, "cannot open the connection: %s\n", qPrintable(error.text()));
         return 1;
      }
      const double connectSeconds = static_cast<double>(connectTimer.nsecsElapsed()) / 1e9;

      const usage before = now();
      std::unique_ptr<plugin::odbc_import_process> pReader(plugin::odbc_import_engine::createReader(type, &db));
      QElapsedTimer timer;
      // how often and how early the reader tells its progress: a user waits for the first value
      int iProgressValues = 0;
      double dFirstProgress = -1.0, dLongestGap = 0.0, dLastProgress = 0.0;
      QObject::connect(pReader.get(), &plugin::odbc_import_process::onProcessState, [&](int) {
         const double dNow = static_cast<double>(timer.nsecsElapsed()) / 1e9;
         if (dFirstProgress < 0.0) { dFirstProgress = dNow; }
         dLongestGap = qMax(dLongestGap, dNow - dLastProgress);
         dLastProgress = dNow;
         ++iProgressValues;
      });
      timer.start();
      const vx::VxBool result = pReader->startProcess();
      const double wallSeconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
      const usage after = now();

      if (! result.getValue())
      {
         std::fprintf(stderr, "reader failed: %s\n", qPrintable(result.getDesc()));
         status = 1;
      }
      const counts c = countModel(pReader->getListOfTables());
      if (! qEnvironmentVariableIsEmpty("BENCH_READERS_DUMP")) { dumpModel(qEnvironmentVariable("BENCH_READERS_DUMP"), pReader->getListOfTables()); }
      const double cpuReader = (after.cpuUser - before.cpuUser) + (after.cpuSystem - before.cpuSystem);
      std::printf("type=%d\n", type);
      std::printf("ok=%d\n", (status == 0) ? 1 : 0);
      std::printf("tables=%ld\nviews=%ld\ncolumns=%ld\nprimary_key_columns=%ld\nforeign_keys=%ld\n",
                  c.tables, c.views, c.columns, c.primaryKeyColumns, c.foreignKeys);
      std::printf("connect_s=%.3f\n", connectSeconds);
      // the reader's run alone: startProcess() from call to return
      std::printf("wall_s=%.3f\n", wallSeconds);
      std::printf("cpu_user_s=%.3f\ncpu_sys_s=%.3f\ncpu_s=%.3f\n", after.cpuUser - before.cpuUser, after.cpuSystem - before.cpuSystem, cpuReader);
      std::printf("cpu_pct_of_wall=%.1f\n", (wallSeconds > 0.0) ? (100.0 * cpuReader / wallSeconds) : 0.0);
      // the whole process so far: start-up, driver loading and connection included
      std::printf("process_cpu_s=%.3f\n", after.cpuUser + after.cpuSystem);
      std::printf("peak_rss_mb=%.1f\n", static_cast<double>(after.maxRssKb) / 1024.0);
      std::printf("progress_values=%d\nprogress_first_s=%.3f\nprogress_longest_gap_s=%.3f\n", iProgressValues, dFirstProgress, qMax(dLongestGap, wallSeconds - dLastProgress));
      // what the reading program adds: the model's bytes on the pipe, and the whole read through the program
      // (its start, its own connection, the read, the transfer) against the in-process connection and read
      QElapsedTimer wireTimer;
      wireTimer.start();
      QByteArray bytes;
      { QDataStream out(&bytes, QIODevice::WriteOnly); out.setVersion(QDataStream::Qt_5_15); plugin::odbc_import_wire::writeTables(out, pReader->getListOfTables().get()); }
      const double wireWriteSeconds = static_cast<double>(wireTimer.nsecsElapsed()) / 1e9;
      wireTimer.restart();
      QDataStream in(bytes);
      in.setVersion(QDataStream::Qt_5_15);
      const bool bReadBack = bool(plugin::odbc_import_wire::readTables(in));
      const double wireReadSeconds = static_cast<double>(wireTimer.nsecsElapsed()) / 1e9;
      std::printf("wire_bytes=%d\nwire_write_s=%.3f\nwire_read_s=%.3f\nwire_ok=%d\n", bytes.size(), wireWriteSeconds, wireReadSeconds, bReadBack ? 1 : 0);
      std::printf("in_process_s=%.3f\n", connectSeconds + wallSeconds);
      pReader.reset();
      const QString sName = db.connectionName();
      db = QSqlDatabase();
      QSqlDatabase::removeDatabase(sName);
      if (! qEnvironmentVariableIsEmpty("BENCH_READERS_PROGRAM"))
      {
         QElapsedTimer programTimer;
         programTimer.start();
         plugin::odbc_import_read read({ type, args.at(2), QString(), QString(), true });
         qint64 iConnectedMs = -1;
         QObject::connect(&read, &plugin::odbc_import_read::onConnected, [&]() { iConnectedMs = programTimer.elapsed(); });
         const bool bRead = read.run().getValue();
         std::printf("program_ok=%d\nprogram_connected_s=%.3f\nprogram_read_s=%.3f\n", bRead ? 1 : 0, iConnectedMs / 1000.0, programTimer.nsecsElapsed() / 1e9);
      }
   }
   return status;
}
