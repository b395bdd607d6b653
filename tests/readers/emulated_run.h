#ifndef KEL_TESTS_READERS_EMULATED_RUN_H
#define KEL_TESTS_READERS_EMULATED_RUN_H

#include "catalogue_emulation.h"
#include "reader_support.h"

// What the SQL Server and Oracle reader tests share: a run on a small emulated catalogue (three tables
// and a view) that a statement breaks, before the run or when the third table is about to be read.
namespace kel_readers {

/** One read of an emulated catalogue, with what the reader handed to ODBC and what the server ran. */
struct emulated_read
{
   std::unique_ptr<kel_test::connection> connection;
   read_result read;
   QStringList sent, server;
};

inline void readEmulated(engine_type engine, const QString& sDatabase, const QStringList& lstDdl, emulated_read& result)
{
   kel_emulation::odbc_trace trace;
   result.connection = connectNew(k_postgresql, sDatabase, lstDdl);
   QVERIFY(result.connection);
   kel_emulation::sentTexts(*result.connection);
   result.read = runReader(engine, result.connection->db());
   QVERIFY2(result.read.result.getValue(), qPrintable(result.read.result.getDesc()));
   result.server = kel_emulation::sentTexts(*result.connection);
   result.sent = trace.prepared();
}

/** The texts of the reader's source file (into lstOwn) are what it handed to ODBC and, but for a trailing ";" that psqlODBC drops, what the server ran. */
inline void verifyTextsSent(const emulated_read& result, const QString& sSourceFile, int iCount, QStringList& lstOwn)
{
   lstOwn = kel_emulation::readerTexts(QString(KEL_SOURCE_DIR) + "/plugin/" + sSourceFile);
   lstOwn.sort();
   QCOMPARE(lstOwn.count(), iCount);
   QCOMPARE(result.sent, kel_emulation::odbc_trace::traced(lstOwn));
   QCOMPARE(result.server, QStringList(lstOwn).replaceInStrings(QRegularExpression(";$"), ""));
}

inline void addRunData()
{
   QTest::addColumn<QString>("sBreak");
   QTest::addColumn<bool>("bAtThird");
   QTest::addColumn<QString>("sMessage");
   QTest::addColumn<int>("iTables");
}

/** Body of the data-driven run test (addRunData) for the reader of engine on the catalogue ddl. */
inline void verifyEmulatedRun(engine_type engine, const QString& sDatabase, const QStringList& lstDdl)
{
   QFETCH(QString, sBreak);
   QFETCH(bool, bAtThird);
   QFETCH(QString, sMessage);
   QFETCH(int, iTables);
   KEL_REQUIRE_POSTGRESQL();
   auto connection = connectNew(k_postgresql, sDatabase, lstDdl);
   QVERIFY(connection);
   kel_test::connection admin(kel_test::postgresqlDsn(sDatabase));
   if (! bAtThird && ! sBreak.isEmpty()) { QCOMPARE(admin.exec(sBreak.split("; ")), QString()); }
   QString sBroken = "not broken";
   const read_result read = runReader(engine, connection->db(), [&](int iPercent) { if (bAtThird && (iPercent == 75)) { sBroken = admin.exec({ sBreak }); } });
   QCOMPARE(read.result.getValue(), sMessage.isEmpty());
   QCOMPARE(read.tables->count(), long(iTables));
   if (sMessage.isEmpty() || sMessage.startsWith("No table")) { QCOMPARE(read.result.getDesc(), sMessage); }
   if (sMessage.isEmpty()) { QCOMPARE(read.progress, (iTables == 4) ? QList<int>({ 25, 50, 75, 100 }) : QList<int>({ 100 })); return; }
   if (! bAtThird) { return; }
   // the fixed text names the table being read, the one not in the list; then comes the driver's text
   QCOMPARE(sBroken, QString());
   QCOMPARE(read.progress, QList<int>({ 25, 50, 75 }));
   const auto match = QRegularExpression("^" + QRegularExpression::escape(sMessage) + "'(\\w+)' :\n\\S").match(read.result.getDesc());
   QVERIFY2(match.hasMatch(), qPrintable(read.result.getDesc()));
   QVERIFY(! findTable(read.tables, match.captured(1), read.tables->getByIndex(0)->getNamespace()));
}

} // namespace kel_readers

#endif // KEL_TESTS_READERS_EMULATED_RUN_H
