#ifndef PLUGIN_ODBC_IMPORT_WIRE_H
#define PLUGIN_ODBC_IMPORT_WIRE_H

#include <QByteArray>
#include <QDataStream>
#include <QSet>
#include <QString>
#include <QStringList>

#include "odbc_import_process.h"

namespace plugin {

/**
 * What the plug-in and its reading program say to each other over a pipe. The request goes once to the
 * program's standard input; the program answers with frames (a kind, a length, a QDataStream payload) on its
 * own channel. The tables travel whole: every column with its metadata, and which columns the primary key
 * and the relationships share with each other, so that the plug-in rebuilds the very model the reader built.
 */
class odbc_import_wire
{
public:
   /** Frames the reading program sends, in this order: steps and progress while it reads, then one result. */
   enum enum_frame : quint8
   {
      frame_step = 1,       // QString: what the read waits for now ("the login", "the columns of table 'x'")
      frame_connected = 2,  // the login succeeded, the reader starts
      frame_progress = 3,   // qint32 percent
      frame_tables = 5,     // some of the tables read, in list order (writeTables): they come before the result, a few hundred a frame
      frame_result = 4,     // bool success, bool connection error, QString message, QStringList warnings, QStringList tables the filter left out
   };

   /** What the reading program needs: the connection and the limits it reads under. */
   struct request
   {
      int iDatabaseType = 0;
      QString sDsn;
      QString sLogin;
      QString sPassword;
      bool bCheckEngine = true;
      qint32 iLoginTimeout = 15;
      qint32 iReadTimeout = 60;
      /** A regular expression the tables' "namespace.name" must match to be read (empty: every table). */
      QString sTableFilter;
   };

   static QByteArray writeRequest(const request& r);
   static bool readRequest(const QByteArray& bytes, request& r);

   /** One frame: kind, payload length (32 bits), payload. */
   static QByteArray frame(enum_frame eKind, const QByteArray& payload);
   /** Takes the first whole frame off buffer; false while none is complete. */
   static bool takeFrame(QByteArray& buffer, enum_frame& eKind, QByteArray& payload);

   /** Tables [lFrom, lTo) of the list (lTo -1: to its end) and everything they hold. */
   static void writeTables(QDataStream& out, const model::type_lst_table* pTables, long lFrom = 0, long lTo = -1);
   /** Appends the tables written to lst: same keys, same order, same sharing of columns between lists; false when the bytes
       are not whole. Texts that repeat (names, types, defaults) are taken from setTexts, and added to it. */
   static bool readTables(QDataStream& in, model::type_lst_table& lst, QSet<QString>& setTexts);
   /** A new list of the tables written; null when the bytes are not whole. */
   static type_lst_table_ptr readTables(QDataStream& in);
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_WIRE_H
