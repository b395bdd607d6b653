#include "odbc_import_catalog_calls.h"

#include <functional>

#include <sql.h>
#include <sqlext.h>

#include "odbc_import_driver_manager.h"
#include "odbc_import_fetch.h"

namespace plugin {

namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC wide characters are UTF-16 here, as QString's are");

// Room the driver is told of, and four times as much behind it for a driver that writes past it.
const int k_iDeclaredChars = 1024;
const int k_iBufferChars = 4 * k_iDeclaredChars;

QString fromWide(const SQLWCHAR* szText, int iChars) { return QString::fromUtf16(reinterpret_cast<const char16_t*>(szText), iChars); }

/** A text as the driver takes it: null for a null text (no restriction), else its characters with their length. */
struct wide_arg
{
   explicit wide_arg(const QString& sText) : m_bNull(sText.isNull()), m_sText(sText.toStdU16String()) { ; }
   SQLWCHAR* data() { return (m_bNull ? nullptr : reinterpret_cast<SQLWCHAR*>(&m_sText[0])); }
   SQLSMALLINT size() const { return (m_bNull ? 0 : static_cast<SQLSMALLINT>(m_sText.size())); }
   bool m_bNull;
   std::u16string m_sText;
};

QString diagnostic(SQLSMALLINT iType, SQLHANDLE hHandle)
{
   QStringList lst;
   SQLWCHAR szState[8] = {};
   SQLWCHAR szMessage[k_iBufferChars] = {};
   SQLINTEGER iNative = 0;
   SQLSMALLINT iChars = 0;
   for (SQLSMALLINT i = 1; SQL_SUCCEEDED(SQLGetDiagRecW(iType, hHandle, i, szState, &iNative, szMessage, k_iDeclaredChars, &iChars)); ++i)
   {
      lst.append("[" + fromWide(szState, 5) + "] " + fromWide(szMessage, qBound(0, static_cast<int>(iChars), k_iDeclaredChars - 1)));
   }
   return (lst.isEmpty() ? QString("the driver gives no reason") : lst.join(' '));
}

/** Runs a catalogue function on a statement of its own and reads iColumns columns of every row, value by value. */
QString runValueByValue(void* hDbc, const std::function<short(void*)>& call, int iColumns, QVector<odbc_import_catalog_calls::type_row>& lstRows)
{
   lstRows.clear();
   SQLHSTMT hStmt = SQL_NULL_HSTMT;
   if (! SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, hDbc, &hStmt))) { return diagnostic(SQL_HANDLE_DBC, hDbc); }
   SQLRETURN iResult = call(hStmt);
   SQLSMALLINT iResultColumns = 0;
   if (SQL_SUCCEEDED(iResult)) { iResult = SQLNumResultCols(hStmt, &iResultColumns); }
   const int iRead = qMin(iColumns, static_cast<int>(iResultColumns));
   std::vector<SQLWCHAR> buffer(k_iBufferChars);
   while (SQL_SUCCEEDED(iResult) && SQL_SUCCEEDED(iResult = SQLFetch(hStmt)))
   {
      odbc_import_catalog_calls::type_row row;
      for (int c = 1; SQL_SUCCEEDED(iResult) && (c <= iRead); ++c)
      {
         // in pieces while the driver says the value goes on (SQL_SUCCESS_WITH_INFO)
         QString sValue;
         SQLLEN iBytes = 0;
         while (SQL_SUCCEEDED(iResult = SQLGetData(hStmt, static_cast<SQLUSMALLINT>(c), SQL_C_WCHAR, buffer.data(), k_iDeclaredChars * sizeof(SQLWCHAR), &iBytes)))
         {
            if (iBytes == SQL_NULL_DATA) { break; }
            const SQLLEN iFull = (k_iDeclaredChars - 1) * sizeof(SQLWCHAR);
            sValue += fromWide(buffer.data(), static_cast<int>((((iBytes == SQL_NO_TOTAL) || (iBytes > iFull)) ? iFull : iBytes) / sizeof(SQLWCHAR)));
            if ((iResult == SQL_SUCCESS) || (iBytes != SQL_NO_TOTAL && iBytes <= iFull)) { break; }
         }
         if (SQL_SUCCEEDED(iResult) || (iResult == SQL_NO_DATA)) { iResult = SQL_SUCCESS; }
         row.append(((iBytes == SQL_NULL_DATA) || ! SQL_SUCCEEDED(iResult)) ? QString() : (sValue.isNull() ? QString("") : sValue));
      }
      if (SQL_SUCCEEDED(iResult)) { lstRows.append(row); }
   }
   const QString sError = ((iResult == SQL_NO_DATA) ? QString() : diagnostic(SQL_HANDLE_STMT, hStmt));
   SQLFreeHandle(SQL_HANDLE_STMT, hStmt);
   if (! sError.isNull()) { lstRows.clear(); }
   return sError;
}

} // namespace

odbc_import_catalog_calls::odbc_import_catalog_calls(const QSqlDatabase& database) : m_database(database), m_hDbc(odbc_import_driver_manager::getConnectionHandle(database))
{
   if (! m_hDbc) { return; }
   m_bFetchRowSets = odbc_import_fetch::canFetch(database);
   const SQLUSMALLINT functions[function_count] = { SQL_API_SQLTABLES, SQL_API_SQLCOLUMNS, SQL_API_SQLPRIMARYKEYS, SQL_API_SQLFOREIGNKEYS };
   for (int f = 0; f < function_count; ++f)
   {
      SQLUSMALLINT iExists = SQL_FALSE;
      m_bHas[f] = (SQL_SUCCEEDED(SQLGetFunctions(m_hDbc, functions[f], &iExists)) && (iExists == SQL_TRUE));
   }
   SQLWCHAR szEscape[k_iBufferChars] = {};
   SQLSMALLINT iBytes = 0;
   if (SQL_SUCCEEDED(SQLGetInfoW(m_hDbc, SQL_SEARCH_PATTERN_ESCAPE, szEscape, k_iDeclaredChars * sizeof(SQLWCHAR), &iBytes)))
   { m_sEscape = fromWide(szEscape, qBound(0, static_cast<int>(iBytes / sizeof(SQLWCHAR)), 1)); }
   m_sCurrentCatalog = odbc_import_driver_manager::getCurrentCatalog(database);
   m_sDbmsName = odbc_import_driver_manager::getDbmsName(database);
}

const char* odbc_import_catalog_calls::functionName(enum_function eFunction)
{
   static const char* const names[function_count] = { "SQLTables", "SQLColumns", "SQLPrimaryKeys", "SQLForeignKeys" };
   return names[eFunction];
}

QString odbc_import_catalog_calls::run(const std::function<short(void*)>& call, int iColumns, QVector<type_row>& lstRows, quint64 uSkipped) const
{
   if (! m_bFetchRowSets) { return runValueByValue(m_hDbc, call, iColumns, lstRows); }
   lstRows.clear();
   odbc_import_fetch fetch(m_database);
   const QString sError = fetch.exec(call, uSkipped);
   if (! sError.isNull()) { return sError; }
   const int iRead = qMin(iColumns, fetch.columnCount());
   while (fetch.next())
   {
      for (long r = 0; r < fetch.rows(); ++r)
      {
         type_row row;
         row.reserve(iRead);
         for (int c = 0; c < iRead; ++c) { row.append(fetch.text(r, c)); }
         lstRows.append(row);
      }
   }
   if (! fetch.error().isNull()) { lstRows.clear(); }
   return fetch.error();
}

QString odbc_import_catalog_calls::pattern(const QString& sName) const
{
   // without an escape the pattern may match more names: the callers keep the rows of the name itself
   if (sName.isNull() || m_sEscape.isEmpty()) { return sName; }
   QString sPattern = sName;
   sPattern.replace(m_sEscape, m_sEscape + m_sEscape);
   sPattern.replace("_", m_sEscape + "_");
   sPattern.replace("%", m_sEscape + "%");
   return sPattern;
}

QString odbc_import_catalog_calls::tables(const QString& sCatalog, QVector<type_row>& lstRows) const
{
   // the catalogue as it is: the callers keep the rows of the current catalogue (MariaDB lists every database otherwise)
   wide_arg catalog(sCatalog), types(QStringLiteral("TABLE,VIEW"));
   return run([&](SQLHSTMT hStmt) -> short { return SQLTablesW(hStmt, catalog.data(), catalog.size(), nullptr, 0, nullptr, 0, types.data(), types.size()); }, 5, lstRows);
}

QString odbc_import_catalog_calls::columns(const QString& sCatalog, const QString& sSchema, const QString& sTable, QVector<type_row>& lstRows) const
{
   wide_arg catalog(sCatalog), schema(pattern(sSchema)), table(sTable.isNull() ? QStringLiteral("%") : pattern(sTable));
   using namespace odbc_import_result_columns;
   quint64 uRead = 0;
   for (int c : { columns_schema, columns_table, columns_name, columns_data_type, columns_type_name, columns_size, columns_decimal_digits, columns_nullable,
                  columns_remarks, columns_default, columns_is_nullable }) { uRead |= (quint64(1) << c); }
   return run([&](SQLHSTMT hStmt) -> short { return SQLColumnsW(hStmt, catalog.data(), catalog.size(), schema.data(), schema.size(), table.data(), table.size(), nullptr, 0); },
              18, lstRows, ~uRead);
}

QString odbc_import_catalog_calls::primaryKeys(const QString& sCatalog, const QString& sSchema, const QString& sTable, QVector<type_row>& lstRows) const
{
   // no pattern arguments here
   wide_arg catalog(sCatalog), schema(sSchema), table(sTable);
   return run([&](SQLHSTMT hStmt) -> short { return SQLPrimaryKeysW(hStmt, catalog.data(), catalog.size(), schema.data(), schema.size(), table.data(), table.size()); }, 6, lstRows);
}

QString odbc_import_catalog_calls::foreignKeys(const QString& sCatalog, const QString& sSchema, const QString& sTable, QVector<type_row>& lstRows) const
{
   wide_arg catalog(sCatalog), schema(sSchema), table(sTable);
   return run([&](SQLHSTMT hStmt) -> short {
      return SQLForeignKeysW(hStmt, nullptr, 0, nullptr, 0, nullptr, 0, catalog.data(), catalog.size(), schema.data(), schema.size(), table.data(), table.size());
   }, 13, lstRows);
}

} // namespace plugin
