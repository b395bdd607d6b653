#ifndef PLUGIN_ODBC_IMPORT_FETCH_H
#define PLUGIN_ODBC_IMPORT_FETCH_H

#include <functional>
#include <string>
#include <vector>

#include <QHash>
#include <QSqlDatabase>
#include <QStringList>

namespace plugin {

/**
 * One query run on the connection's own ODBC handle, its rows fetched in sets into columns bound once:
 * no call per value and no buffer cleared per value, as Qt's getter does (16 KB for each text of a
 * long-text column). Every value is read as text. A value longer than its column's buffer is read
 * again whole from the driver, so that nothing is cut.
 */
class odbc_import_fetch
{
public:
   /** Whether database can be read this way: an open QODBC connection whose driver reads a bound value of a row set again (SQLSetPos, SQLGetData). */
   static bool canFetch(const QSqlDatabase& database);

   explicit odbc_import_fetch(const QSqlDatabase& database);
   ~odbc_import_fetch();
   /** Lets the statement go (the connection may then run another). */
   void close();
   odbc_import_fetch(const odbc_import_fetch&) = delete;
   odbc_import_fetch& operator=(const odbc_import_fetch&) = delete;

   /** Runs sSql, lstParameters bound to its markers ("?") as texts; the driver's error text, null on success. */
   QString exec(const QString& sSql, const QStringList& lstParameters = QStringList());
   /** Runs what call starts on the statement (an ODBC catalogue function); the driver's error text, null on success.
       uSkipped: the columns (bit 0 the first) left unread, their texts null. */
   QString exec(const std::function<short(void* hStmt)>& call, quint64 uSkipped = 0);
   /** Fetches the next set of rows; false at the end, or on a failure (error() says which). */
   bool next();
   /** Rows of the current set. */
   long rows() const { return static_cast<long>(m_iFetched); }
   /** What the driver says the result holds, -1 when it cannot tell before the last row. */
   long total() const { return m_lTotal; }
   /** The driver's error text of the last failure, null when there was none. */
   QString error() const { return m_sError; }
   /** The text of column (its name in any case) of row of the current set; NULL and an unknown column give a null text. */
   QString text(long row, const char* column) const;
   /** The same by the column's place (0 the first). */
   QString text(long row, int iColumn) const;
   int columnCount() const { return static_cast<int>(m_lstColumns.size()); }
   /** The place of column (its name in any case), -1 when the result has none of that name. */
   int indexOf(const char* column) const;

private:
   struct column
   {
      QString name;
      int chars = 0;                 // room for a value, its closing zero included; 0: not read
      std::vector<char16_t> values;  // chars per row
      std::vector<long> lengths;     // bytes per row (SQLLEN), or SQL_NULL_DATA
   };

   QString diagnostic() const;
   /** Reads again whole the values of the current set that their buffers cut. */
   bool readLongValues();

   void* m_hDbc = nullptr;
   void* m_hStmt = nullptr;
   std::vector<column> m_lstColumns;
   std::vector<std::u16string> m_lstParameters;   // bound: they live as long as the statement
   std::vector<long> m_lstParameterLengths;
   unsigned long m_iFetched = 0;     // SQLULEN, written by the driver
   long m_lTotal = -1;
   QHash<qint64, QString> m_hashLong; // row * columns + column -> whole value, for the current set
   QString m_sError;
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_FETCH_H
