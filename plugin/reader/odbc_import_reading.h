#ifndef PLUGIN_ODBC_IMPORT_READING_H
#define PLUGIN_ODBC_IMPORT_READING_H

#include <QObject>
#include <QStringList>

#include <vx/VxBool.h>

#include "odbc_import_process.h"
#include "odbc_import_wire.h"

namespace plugin {

/**
 * The read the reading program performs: opens the connection, checks the engine type against the server's
 * own name, runs the engine's reader and closes the connection. It runs where a driver's fault or a silent
 * server can harm nothing else: the plug-in only starts it and waits for its frames (odbc_import_read).
 */
class odbc_import_reading : public QObject
{
   Q_OBJECT

public:
   explicit odbc_import_reading(const odbc_import_wire::request& request) : m_request(request) { ; }

   /** On failure the text is the connection's error in plain words first, or the reader's message. */
   vx::VxBool run();
   bool isConnectionError() const { return m_bConnectionError; }
   type_lst_table_ptr getListOfTables() const { return m_pListOfTables; }
   QStringList getWarnings() const { return m_lstWarnings; }
   /** The tables ("namespace.name") the request's filter left out, unread. */
   QStringList getFilteredOut() const { return m_lstFilteredOut; }

   /** Why the engine type does not suit the server that answered (empty when it does); a note for the generic
       engine on a server that has a reader of its own. */
   static QString checkEngine(int iDatabaseType, const QString& sDbmsName, bool* pNoteOnly = nullptr);

Q_SIGNALS:
   /** The connection is open, the reader about to run. */
   void onConnected();
   void onProcessState(int iPercent);

private:
   vx::VxBool read(QSqlDatabase& database);

   const odbc_import_wire::request m_request;
   bool m_bConnectionError = false;
   type_lst_table_ptr m_pListOfTables;
   QStringList m_lstWarnings;
   QStringList m_lstFilteredOut;
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_READING_H
