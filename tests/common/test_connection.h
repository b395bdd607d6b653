#ifndef KEL_TESTS_TEST_CONNECTION_H
#define KEL_TESTS_TEST_CONNECTION_H

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUuid>

#include "test_env.h"

/*
 * A Qt SQL connection of the tests' own, apart from the plug-in's: to build fixtures and to read back
 * a database, a catalogue or a project file.
 */
namespace kel_test {

/** A Qt SQL connection with a name of its own, opened on sDatabase; closed and removed with the object. */
class connection
{
public:
   explicit connection(const QString& sDatabase, const QString& sDriver = "QODBC") : m_sName("kel_test_" + QUuid::createUuid().toString(QUuid::WithoutBraces))
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

   QSqlDatabase* db() { return &m_db; }
   bool isOpen() const { return m_db.isOpen(); }
   /** Empty when open, else why not. */
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

/** Drops and creates a database of the PostgreSQL (k_postgresql) or MariaDB test server, then runs ddl in it; empty on success. */
inline QString createDatabase(engine_type engine, const QString& sName, const QStringList& lstDdl)
{
   const bool pg = (engine == k_postgresql);
   const QString quoted = (pg ? ("\"" + sName + "\"") : ("`" + sName + "`"));
   // CREATE DATABASE cannot run in a transaction: QODBC connections are in autocommit mode.
   // On MariaDB a database left by an earlier run may hold tables that others refer to.
   const QStringList lstCreate = { (pg ? "DROP DATABASE IF EXISTS " + quoted + " WITH (FORCE)" : "SET foreign_key_checks = 0"), "DROP DATABASE IF EXISTS " + quoted, "CREATE DATABASE " + quoted };
   const QString sError = connection(pg ? postgresqlDsn("postgres") : mysqlDsn(QString())).exec(lstCreate);
   return (sError.isEmpty() ? connection(pg ? postgresqlDsn(sName) : mysqlDsn(sName)).exec(lstDdl) : ("maintenance connection: " + sError));
}

} // namespace kel_test

#endif // KEL_TESTS_TEST_CONNECTION_H
