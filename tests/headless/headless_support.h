#ifndef KEL_TESTS_HEADLESS_SUPPORT_H
#define KEL_TESTS_HEADLESS_SUPPORT_H

#include <QStringList>

#include "test_connection.h"
#include "test_env.h"

/*
 * What the headless tests share: fixtures built with connections of their own (kel_test::connection)
 * and the command line of an import.
 */
namespace kel_headless {

/** The text QODBC gives when it cannot open the data source: what an import must pass on. */
inline QString odbcOpenError(const QString& sDsn)
{
   return kel_test::connection(sDsn).db()->lastError().text();
}

/** Creates (or extends) a SQLite file with the statements; empty on success. */
inline QString makeSqlite(const QString& sFile, const QStringList& lstStatements)
{
   return kel_test::connection(sFile, "QSQLITE").exec(lstStatements);
}

/** The plug-in's options for a headless import, after a program name as the host's command line has it. */
inline QStringList importArgs(const QString& sDsn, const QString& sDatabaseType, const QStringList& lstMore = QStringList())
{
   return QStringList({ "kelmar", "--KelOdbcImport_dsn=" + sDsn, "--KelOdbcImport_db_type=" + sDatabaseType }) + lstMore;
}

} // namespace kel_headless

#endif // KEL_TESTS_HEADLESS_SUPPORT_H
