#include "odbc_import_fetch.h"

#include <sql.h>
#include <sqlext.h>

#include "odbc_import_driver_manager.h"

namespace plugin {

namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC wide characters are UTF-16 here, as QString's are");
static_assert((sizeof(SQLLEN) == sizeof(long)) && (sizeof(SQLULEN) == sizeof(unsigned long)), "the lengths are kept as the driver writes them");

// Rows a fetch brings: a round trip for drivers that fetch from the server as asked, a call for those that hold the result.
const SQLULEN k_iRows = 256;
// Room a text value has, whatever its column may hold: catalogue names are short, a longer comment or default is read again.
const int k_iMaxChars = 256;

QString fromWide(const char16_t* szText, long lBytes) { return QString::fromUtf16(szText, static_cast<int>(lBytes / static_cast<long>(sizeof(char16_t)))); }

} // namespace

bool odbc_import_fetch::canFetch(const QSqlDatabase& database)
{
   const SQLHDBC hDbc = odbc_import_driver_manager::getConnectionHandle(database);
   if (! hDbc) { return false; }
   SQLUINTEGER iExtensions = 0;
   SQLUSMALLINT iSetPos = SQL_FALSE;
   return (SQL_SUCCEEDED(SQLGetInfo(hDbc, SQL_GETDATA_EXTENSIONS, &iExtensions, sizeof(iExtensions), nullptr)) && ((iExtensions & SQL_GD_BLOCK) != 0)
           && ((iExtensions & SQL_GD_BOUND) != 0) && SQL_SUCCEEDED(SQLGetFunctions(hDbc, SQL_API_SQLSETPOS, &iSetPos)) && (iSetPos == SQL_TRUE));
}

odbc_import_fetch::odbc_import_fetch(const QSqlDatabase& database) : m_hDbc(odbc_import_driver_manager::getConnectionHandle(database)) { ; }

odbc_import_fetch::~odbc_import_fetch() { close(); }

void odbc_import_fetch::close()
{
   if (m_hStmt) { SQLFreeHandle(SQL_HANDLE_STMT, m_hStmt); }
   m_hStmt = nullptr;
}

QString odbc_import_fetch::diagnostic() const
{
   QStringList lst;
   SQLWCHAR szState[8] = {};
   SQLWCHAR szMessage[1024] = {};
   SQLINTEGER iNative = 0;
   SQLSMALLINT iChars = 0;
   const SQLSMALLINT iType = (m_hStmt ? SQL_HANDLE_STMT : SQL_HANDLE_DBC);
   for (SQLSMALLINT i = 1; SQL_SUCCEEDED(SQLGetDiagRecW(iType, m_hStmt ? m_hStmt : m_hDbc, i, szState, &iNative, szMessage, 1024, &iChars)); ++i)
   {
      lst.append("[" + QString::fromUtf16(reinterpret_cast<const char16_t*>(szState), 5) + "] "
                 + QString::fromUtf16(reinterpret_cast<const char16_t*>(szMessage), qBound(0, static_cast<int>(iChars), 1023)));
   }
   return (lst.isEmpty() ? QString("the driver gives no reason") : lst.join(' '));
}

QString odbc_import_fetch::exec(const QString& sSql, const QStringList& lstParameters)
{
   const std::u16string sText = sSql.toStdU16String();
   m_lstParameters.clear();
   for (const QString& sParameter : lstParameters) { m_lstParameters.push_back(sParameter.toStdU16String()); }
   m_lstParameterLengths.assign(m_lstParameters.size(), 0);
   return exec([&](void* hStmt) -> short {
      SQLRETURN iResult = SQL_SUCCESS;
      for (size_t p = 0; SQL_SUCCEEDED(iResult) && (p < m_lstParameters.size()); ++p)
      {
         std::u16string& sValue = m_lstParameters[p];
         m_lstParameterLengths[p] = static_cast<long>(sValue.size() * sizeof(char16_t));
         iResult = SQLBindParameter(hStmt, static_cast<SQLUSMALLINT>(p + 1), SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, qMax<SQLULEN>(sValue.size(), 1), 0,
                                    &sValue[0], static_cast<SQLLEN>(sValue.size() * sizeof(char16_t)), reinterpret_cast<SQLLEN*>(&m_lstParameterLengths[p]));
      }
      return (SQL_SUCCEEDED(iResult) ? SQLExecDirectW(hStmt, reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(sText.c_str())), static_cast<SQLINTEGER>(sText.size())) : iResult);
   });
}

QString odbc_import_fetch::exec(const std::function<short(void* hStmt)>& call, quint64 uSkipped)
{
   if (! m_hDbc) { return (m_sError = "the connection has no ODBC handle"); }
   if (! SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, m_hDbc, &m_hStmt))) { m_hStmt = nullptr; return (m_sError = diagnostic()); }
   SQLSMALLINT iColumns = 0;
   SQLRETURN iResult = SQLSetStmtAttr(m_hStmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(k_iRows), 0);
   if (SQL_SUCCEEDED(iResult)) { iResult = SQLSetStmtAttr(m_hStmt, SQL_ATTR_ROWS_FETCHED_PTR, &m_iFetched, 0); }
   if (SQL_SUCCEEDED(iResult)) { iResult = call(m_hStmt); }
   if (SQL_SUCCEEDED(iResult)) { iResult = SQLNumResultCols(m_hStmt, &iColumns); }
   m_lstColumns.resize(static_cast<size_t>(qMax<SQLSMALLINT>(iColumns, 0)));
   for (SQLUSMALLINT c = 0; SQL_SUCCEEDED(iResult) && (c < m_lstColumns.size()); ++c)
   {
      column& col = m_lstColumns[c];
      // a column nobody reads is left unbound: the driver converts no value of it
      if ((c < 64) && ((uSkipped >> c) & 1U)) { continue; }
      SQLWCHAR szName[256] = {};
      SQLSMALLINT iNameChars = 0, iType = 0, iDigits = 0, iNullable = 0;
      SQLULEN iSize = 0;
      iResult = SQLDescribeColW(m_hStmt, static_cast<SQLUSMALLINT>(c + 1), szName, 256, &iNameChars, &iType, &iSize, &iDigits, &iNullable);
      if (! SQL_SUCCEEDED(iResult)) { break; }
      col.name = QString::fromUtf16(reinterpret_cast<const char16_t*>(szName), qBound(0, static_cast<int>(iNameChars), 255));
      // a number's text may be longer than its digits (sign, point, exponent)
      col.chars = (((iSize > 0) && (iSize < static_cast<SQLULEN>(k_iMaxChars) - 8)) ? static_cast<int>(iSize) + 8 : k_iMaxChars);
      col.values.resize(k_iRows * static_cast<size_t>(col.chars));
      col.lengths.resize(k_iRows);
      iResult = SQLBindCol(m_hStmt, static_cast<SQLUSMALLINT>(c + 1), SQL_C_WCHAR, col.values.data(), static_cast<SQLLEN>(col.chars * sizeof(char16_t)),
                           reinterpret_cast<SQLLEN*>(col.lengths.data()));
   }
   if (! SQL_SUCCEEDED(iResult)) { return (m_sError = diagnostic()); }
   SQLLEN iTotal = -1;
   if (SQL_SUCCEEDED(SQLRowCount(m_hStmt, &iTotal)) && (iTotal >= 0)) { m_lTotal = static_cast<long>(iTotal); }
   return QString();
}

bool odbc_import_fetch::next()
{
   m_iFetched = 0;
   m_hashLong.clear();
   if (! m_hStmt || ! m_sError.isNull()) { return false; }
   const SQLRETURN iResult = SQLFetchScroll(m_hStmt, SQL_FETCH_NEXT, 0);
   if (iResult == SQL_NO_DATA) { m_iFetched = 0; return false; }
   if (! SQL_SUCCEEDED(iResult)) { m_iFetched = 0; m_sError = diagnostic(); return false; }
   // not every driver says that it cut a value (SQL_SUCCESS_WITH_INFO): the lengths tell
   if (! readLongValues()) { m_iFetched = 0; return false; }
   return (m_iFetched > 0);
}

bool odbc_import_fetch::readLongValues()
{
   for (SQLULEN r = 0; r < m_iFetched; ++r)
   {
      for (size_t c = 0; c < m_lstColumns.size(); ++c)
      {
         const column& col = m_lstColumns[c];
         if (col.chars == 0) { continue; }
         const SQLLEN iLength = col.lengths[r];
         const SQLLEN iRoom = static_cast<SQLLEN>((col.chars - 1) * sizeof(char16_t));
         if ((iLength == SQL_NULL_DATA) || ((iLength != SQL_NO_TOTAL) && (iLength <= iRoom))) { continue; }
         // the row made current, its value read in pieces while the driver says it goes on
         SQLRETURN iResult = SQLSetPos(m_hStmt, static_cast<SQLSETPOSIROW>(r + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE);
         QString sValue;
         char16_t szPiece[1024];
         SQLLEN iBytes = 0;
         while (SQL_SUCCEEDED(iResult) && SQL_SUCCEEDED(iResult = SQLGetData(m_hStmt, static_cast<SQLUSMALLINT>(c + 1), SQL_C_WCHAR, szPiece, sizeof(szPiece), &iBytes)))
         {
            const SQLLEN iFull = static_cast<SQLLEN>(sizeof(szPiece) - sizeof(char16_t));
            if (iBytes == SQL_NULL_DATA) { break; }
            sValue += fromWide(szPiece, ((iBytes == SQL_NO_TOTAL) || (iBytes > iFull)) ? iFull : iBytes);
            if ((iResult == SQL_SUCCESS) || ((iBytes != SQL_NO_TOTAL) && (iBytes <= iFull))) { break; }
         }
         if (! SQL_SUCCEEDED(iResult) && (iResult != SQL_NO_DATA)) { m_sError = diagnostic(); return false; }
         m_hashLong.insert(static_cast<qint64>(r) * static_cast<qint64>(m_lstColumns.size()) + static_cast<qint64>(c), sValue);
      }
   }
   return true;
}

int odbc_import_fetch::indexOf(const char* column) const
{
   const QLatin1String sColumn(column);
   for (size_t c = 0; c < m_lstColumns.size(); ++c) { if (m_lstColumns[c].name.compare(sColumn, Qt::CaseInsensitive) == 0) { return static_cast<int>(c); } }
   return -1;
}

QString odbc_import_fetch::text(long row, const char* column) const { return text(row, indexOf(column)); }

QString odbc_import_fetch::text(long row, int iColumn) const
{
   if ((row < 0) || (static_cast<SQLULEN>(row) >= m_iFetched) || (iColumn < 0) || (static_cast<size_t>(iColumn) >= m_lstColumns.size())) { return QString(); }
   const odbc_import_fetch::column& col = m_lstColumns[static_cast<size_t>(iColumn)];
   if (col.chars == 0) { return QString(); }
   const SQLLEN iLength = col.lengths[static_cast<size_t>(row)];
   if (iLength == SQL_NULL_DATA) { return QString(); }
   // an empty text is no NULL
   if (iLength == 0) { return QString(QLatin1String("")); }
   const SQLLEN iRoom = static_cast<SQLLEN>((col.chars - 1) * sizeof(char16_t));
   if ((iLength == SQL_NO_TOTAL) || (iLength > iRoom)) { return m_hashLong.value(static_cast<qint64>(row) * static_cast<qint64>(m_lstColumns.size()) + static_cast<qint64>(iColumn)); }
   return fromWide(&col.values[static_cast<size_t>(row) * static_cast<size_t>(col.chars)], iLength);
}

} // namespace plugin
