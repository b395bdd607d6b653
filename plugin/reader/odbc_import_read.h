#ifndef PLUGIN_ODBC_IMPORT_READ_H
#define PLUGIN_ODBC_IMPORT_READ_H

#include <atomic>

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

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
   bool bCheckEngine = false;
};

/**
 * One catalogue read, the same for the dialog and the headless import: fills the plug-in's connection
 * context, opens the connection through the ORM, runs the engine's reader and closes the connection.
 * run() reads on the calling thread; start() on a thread of its own with a connection of its own, so
 * that a server that stops answering holds only that thread and the caller may walk away (abandon()).
 */
class odbc_import_read : public QObject
{
   Q_OBJECT

public:
   explicit odbc_import_read(const odbc_import_source& source) : m_source(source) { ; }
   ~odbc_import_read() override = default;

   /** Reads on the calling thread; on failure the text is the connection's error or the reader's message. */
   vx::VxBool run();
   /** The result of the last read, and whether its failure was the connection's rather than the reader's. */
   vx::VxBool getResult() const { return m_result; }
   bool isConnectionError() const { return m_bConnectionError; }
   /** The tables of a read that succeeded, and what the reader left out of them. */
   type_lst_table_ptr getListOfTables() const { return m_pListOfTables; }
   QStringList getWarnings() const { return m_lstWarnings; }

   /** Reads on a thread of its own: progress and onFinished() come as signals; the object deletes itself after onFinished(). */
   void start();
   /** Walks away from a started read: no signal comes any more. The read stops before its next table, or when the driver returns, and then releases its connection and this object. */
   void abandon() { m_bAbandoned = true; }

   /** Drops the tables whose keys setDropped holds, keeping the others in order: one pass over the list. */
   static void removeTables(model::type_lst_table& lst, const QSet<long>& setDropped);

   /** Why the engine type does not suit the server that answered (empty when it does); a note for the generic
       engine on a server that has a reader of its own. */
   static QString checkEngine(int iDatabaseType, const QString& sDbmsName, bool* pNoteOnly = nullptr);

Q_SIGNALS:
   /** The connection is open, the reader about to run (on the reading thread). */
   void onConnected();
   void onProcessState(int iPercent);
   void onFinished();

private:
   const odbc_import_source m_source;
   vx::VxBool m_result;
   bool m_bConnectionError = false;
   type_lst_table_ptr m_pListOfTables;
   QStringList m_lstWarnings;
   std::atomic<bool> m_bAbandoned { false };
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_READ_H
