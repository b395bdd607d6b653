#ifndef KEL_TESTS_HEADLESS_SUPPORT_H
#define KEL_TESTS_HEADLESS_SUPPORT_H

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUuid>

#include "test_env.h"

/*
 * What the headless tests share: connections of their own (to build fixtures and to read a
 * catalogue or a project file independently of the plug-in) and the command line of an import.
 */
namespace kel_headless {

/** A Qt SQL connection with a name of its own; closed and removed with the object. */
class connection
{
public:
   connection(const QString& sDriver, const QString& sDatabase) : m_sName("kel_headless_" + QUuid::createUuid().toString(QUuid::WithoutBraces))
   {
      m_db = QSqlDatabase::addDatabase(sDriver, m_sName);
      m_db.setDatabaseName(sDatabase);
      m_db.open();
   }
   ~connection()
   {
      m_db.close();
      m_db = QSqlDatabase();
      QSqlDatabase::removeDatabase(m_sName);
   }
   connection(const connection&) = delete;
   connection& operator=(const connection&) = delete;

   QSqlDatabase& db() { return m_db; }
   QString openError() const { return (m_db.isOpen() ? QString() : ("cannot open: " + m_db.lastError().text())); }

   /** Runs the statements in order; empty on success, else the failing statement and its error. */
   QString exec(const QStringList& lstStatements)
   {
      if (! m_db.isOpen()) { return openError(); }
      for (const QString& sql : lstStatements)
      {
         QSqlQuery query(m_db);
         if (! query.exec(sql)) { return sql + "\n=> " + query.lastError().text(); }
      }
      return QString();
   }

   /** First column of every row of sql, as texts (empty when the query fails). */
   QStringList column(const QString& sql)
   {
      QStringList lst;
      QSqlQuery query(m_db);
      if (! query.exec(sql)) { return lst; }
      while (query.next()) { lst << query.value(0).toString(); }
      return lst;
   }

private:
   QString m_sName;
   QSqlDatabase m_db;
};

/** The text QODBC gives when it cannot open the data source: what an import must pass on. */
inline QString odbcOpenError(const QString& sDsn)
{
   connection c("QODBC", sDsn);
   return c.db().lastError().text();
}

/** Creates (or extends) a SQLite file with the statements; empty on success. */
inline QString makeSqlite(const QString& sFile, const QStringList& lstStatements)
{
   connection c("QSQLITE", sFile);
   return c.exec(lstStatements);
}

/** The plug-in's options for a headless import, after a program name as the host's command line has it. */
inline QStringList importArgs(const QString& sDsn, const QString& sDatabaseType, const QStringList& lstMore = QStringList())
{
   return QStringList({ "kelmar", "--KelOdbcImport_dsn=" + sDsn, "--KelOdbcImport_db_type=" + sDatabaseType }) + lstMore;
}

} // namespace kel_headless

#endif // KEL_TESTS_HEADLESS_SUPPORT_H
