#ifndef PLUGIN_ODBC_IMPORT_READ_H
#define PLUGIN_ODBC_IMPORT_READ_H

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <vx/VxBool.h>

#include "odbc_import_process.h"

namespace plugin {

/** What a read connects to: a data source or connection string, its account, and the engine type that picks the reader. */
struct odbc_import_source
{
   int iDatabaseType = 0;
   QString sDsn;
   QString sLogin;
   QString sPassword;
   /** Whether the server's own name (SQL_DBMS_NAME) is checked against the engine type before the reader runs. */
   bool bCheckEngine = true;
   /** A regular expression (QRegExp) the tables' "namespace.name" must match to be read whole; empty: every table. */
   QString sTableFilter;
};

/**
 * One catalogue read, the same for the dialog and the headless import. It runs in the plug-in's reading
 * program, a process of its own: an ODBC driver that crashes ends that process only, a server that stops
 * answering holds only that process, and cancelling kills it with its connection. The connection and the
 * password reach it through a pipe, never its command line; the tables come back whole, as the reader
 * built them. A statement that gets no answer within the read timeout (the login within the login
 * timeout) ends the read with a message naming what it waited for.
 */
class odbc_import_read : public QObject
{
   Q_OBJECT

public:
   explicit odbc_import_read(const odbc_import_source& source);
   ~odbc_import_read() override;

   /** Reads and returns when the read ended; on failure the text says why in plain words first. */
   vx::VxBool run();
   /** The result of the last read, and whether its failure was the connection's rather than the reader's. */
   vx::VxBool getResult() const { return m_result; }
   bool isConnectionError() const { return m_bConnectionError; }
   /** The tables of a read that succeeded, and what the reader left out of them. */
   type_lst_table_ptr getListOfTables() const { return m_pListOfTables; }
   QStringList getWarnings() const { return m_lstWarnings; }
   /** The tables ("namespace.name") the source's filter left out, unread. */
   QStringList getFilteredOut() const { return m_lstFilteredOut; }

   /** What the read waits for now ("the columns of all tables"), and its last progress (-1 before any). */
   QString getStep() const { return m_sStep; }
   int getPercent() const { return m_iLastPercent; }

   /** Reads while the caller's event loop runs: progress and onFinished() come as signals; the object deletes itself after onFinished(). */
   void start();
   /** Ends a started read at once (the reading process is killed): no signal comes any more, and the object deletes itself. */
   void abandon();

   /** The reading program beside this library (or in the plugins folder beside the program that links it); empty when there is none. */
   static QString getProgramPath();

   /** Drops the tables whose keys setDropped holds, keeping the others in order: one pass over the list. */
   static void removeTables(model::type_lst_table& lst, const QSet<long>& setDropped);

Q_SIGNALS:
   /** The connection is open, the reader about to run. */
   void onConnected();
   void onProcessState(int iPercent);
   void onFinished();

private Q_SLOTS:
   void doProcessOutput();
   void doProcessErrorOutput();
   void doProcessFinished(int iExitCode, QProcess::ExitStatus eStatus);
   void doProcessError(QProcess::ProcessError eError);
   void doStepTimeout();

private:
   void launch();
   void handleFrame(int iKind, const QByteArray& payload);
   void finish(const vx::VxBool& result, bool bConnectionError);
   /** The bound of the current step: the login timeout for the login, the read timeout for every statement after. */
   void armTimeout();
   /** Whether the program has not yet logged in (it is starting, or waiting for the login). */
   bool isAtLogin() const;

   const odbc_import_source m_source;
   QProcess* m_pProcess = nullptr;
   QTimer m_tmrStep;
   QElapsedTimer m_stepTime;
   QString m_sStep;
   QByteArray m_buffer;
   QByteArray m_errorOutput;   // the line not yet ended
   QString m_sLastWords;
   int m_iLastPercent = -1;
   bool m_bFinished = false;
   bool m_bSelfDeleting = false;
   bool m_bAbandoned = false;
   vx::VxBool m_result;
   bool m_bConnectionError = false;
   type_lst_table_ptr m_pListOfTables;
   type_lst_table_ptr m_pTablesSent;   // the tables come before the result that says the read succeeded
   QSet<QString> m_setTexts;           // one copy of each text that repeats in them
   QStringList m_lstWarnings;
   QStringList m_lstFilteredOut;
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_READ_H
