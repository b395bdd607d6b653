#include "odbc_import_driver_manager.h"

#include <cstring>
#include <vector>

#include <QRegularExpression>
#include <QSqlDriver>
#include <QVariant>

#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>

namespace plugin {

namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC wide characters are UTF-16 here, as QString's are");

QString fromWide(const SQLWCHAR* szText, int iChars) { return QString::fromUtf16(reinterpret_cast<const char16_t*>(szText), iChars); }

// QODBC hands out its connection handle as a QVariant holding an SQLHANDLE, a void* to Qt's types
SQLHDBC handleOf(const QSqlDatabase& database)
{
   const QVariant vHandle = ((database.isOpen() && (database.driverName() == QLatin1String("QODBC"))) ? database.driver()->handle() : QVariant());
   if (! vHandle.isValid() || ((qstrcmp(vHandle.typeName(), "SQLHANDLE") != 0) && (qstrcmp(vHandle.typeName(), "void*") != 0))) { return SQL_NULL_HDBC; }
   return *static_cast<const SQLHANDLE*>(vHandle.constData());
}

// SQLDataSources and SQLDrivers share their shape: a name, then a description or the attributes
typedef SQLRETURN (*list_function)(SQLHENV, SQLUSMALLINT, SQLCHAR*, SQLSMALLINT, SQLSMALLINT*, SQLCHAR*, SQLSMALLINT, SQLSMALLINT*);

QStringList list(list_function pList)
{
   QStringList lst;
   SQLHENV hEnv = SQL_NULL_HENV;
   if (! SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &hEnv))) { return lst; }
   SQLSetEnvAttr(hEnv, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
   SQLCHAR name[512];
   SQLCHAR other[2048];
   SQLSMALLINT iName = 0;
   SQLSMALLINT iOther = 0;
   for (SQLUSMALLINT direction = SQL_FETCH_FIRST;; direction = SQL_FETCH_NEXT)
   {
      // a longer description is cut (SQL_SUCCESS_WITH_INFO): only the name counts
      if (! SQL_SUCCEEDED(pList(hEnv, direction, name, sizeof(name), &iName, other, sizeof(other), &iOther))) { break; }
      lst.append(QString::fromLocal8Bit(reinterpret_cast<const char*>(name)));
   }
   SQLFreeHandle(SQL_HANDLE_ENV, hEnv);
   lst.removeDuplicates();
   lst.sort(Qt::CaseInsensitive);
   return lst;
}

} // namespace

QStringList odbc_import_driver_manager::getDataSources()
{
   // The sections of odbc.ini (the user's and the system's) in one read of each file. SQLDataSources reads
   // the files again for every name it returns: 12 s for 5,000 data sources, of which it listed 357.
   std::vector<char> buffer(1 << 16);
   int iBytes = 0;
   while (((iBytes = SQLGetPrivateProfileString(nullptr, nullptr, "", buffer.data(), static_cast<int>(buffer.size()), "odbc.ini")) >= static_cast<int>(buffer.size()) - 2)
          && (buffer.size() < (1U << 26)))
   {
      buffer.resize(buffer.size() * 4);
   }
   QStringList lst;
   for (int i = 0; (i < iBytes) && (buffer[static_cast<size_t>(i)] != '\0');)
   {
      const char* szName = &buffer[static_cast<size_t>(i)];
      const int iLength = static_cast<int>(::strnlen(szName, static_cast<size_t>(iBytes - i)));
      const QString sName = QString::fromLocal8Bit(szName, iLength);
      // not data sources: the list of names some odbc.ini files carry, and the driver manager's own settings
      if ((sName.compare("ODBC Data Sources", Qt::CaseInsensitive) != 0) && (sName.compare("ODBC", Qt::CaseInsensitive) != 0)) { lst.append(sName); }
      i += (iLength + 1);
   }
   lst.removeDuplicates();
   lst.sort(Qt::CaseInsensitive);
   return lst;
}

QStringList odbc_import_driver_manager::getDrivers() { return list(&SQLDrivers); }

QStringList odbc_import_driver_manager::getCompletions()
{
   QStringList lst = getDataSources();
   for (const QString& sDriver : getDrivers()) { lst.append("Driver={" + sDriver + "};"); }
   return lst;
}

QString odbc_import_driver_manager::getDataSourceSetting(const QString& sDataSource, const QString& sKey)
{
   char szValue[1024] = {};
   const int iLength = SQLGetPrivateProfileString(sDataSource.toLocal8Bit().constData(), sKey.toLocal8Bit().constData(), "", szValue, sizeof(szValue), "odbc.ini");
   return ((iLength > 0) ? QString::fromLocal8Bit(szValue, qMin<int>(iLength, sizeof(szValue) - 1)) : QString());
}

void* odbc_import_driver_manager::getConnectionHandle(const QSqlDatabase& database) { return handleOf(database); }

QString odbc_import_driver_manager::getDbmsName(const QSqlDatabase& database)
{
   const SQLHDBC hDbc = handleOf(database);
   SQLWCHAR name[256] = { 0 };
   SQLSMALLINT iBytes = 0;
   if (! hDbc || ! SQL_SUCCEEDED(SQLGetInfoW(hDbc, SQL_DBMS_NAME, name, sizeof(name), &iBytes))) { return QString(); }
   return fromWide(name, qMin<int>(iBytes / sizeof(SQLWCHAR), 255)).trimmed();
}

QString odbc_import_driver_manager::getCurrentCatalog(const QSqlDatabase& database)
{
   const SQLHDBC hDbc = handleOf(database);
   SQLWCHAR szText[512] = {};
   SQLSMALLINT iInfoBytes = 0;
   if (! hDbc || ! SQL_SUCCEEDED(SQLGetInfoW(hDbc, SQL_CATALOG_NAME, szText, sizeof(szText), &iInfoBytes)) || (szText[0] != u'Y')) { return QString(); }
   SQLINTEGER iBytes = 0;
   if (! SQL_SUCCEEDED(SQLGetConnectAttrW(hDbc, SQL_ATTR_CURRENT_CATALOG, szText, sizeof(szText) - sizeof(SQLWCHAR), &iBytes)) || (iBytes <= 0)) { return QString(); }
   return fromWide(szText, qMin<int>(iBytes, sizeof(szText) - sizeof(SQLWCHAR)) / sizeof(SQLWCHAR));
}

bool odbc_import_driver_manager::listCatalog(const QSqlDatabase& database, const QString& sCatalog, bool bViews, QStringList& lstNames)
{
   const SQLHDBC hDbc = handleOf(database);
   SQLHSTMT hStmt = SQL_NULL_HSTMT;
   if (! hDbc || ! SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, hDbc, &hStmt))) { return false; }
   std::u16string sCat = sCatalog.toStdU16String(), sType = (bViews ? u"VIEW" : u"TABLE");
   SQLRETURN iResult = SQLTablesW(hStmt, reinterpret_cast<SQLWCHAR*>(&sCat[0]), static_cast<SQLSMALLINT>(sCat.size()), nullptr, 0, nullptr, 0,
                                  reinterpret_cast<SQLWCHAR*>(&sType[0]), static_cast<SQLSMALLINT>(sType.size()));
   while (SQL_SUCCEEDED(iResult) && SQL_SUCCEEDED(iResult = SQLFetch(hStmt)))
   {
      // TABLE_NAME, read in pieces when it is longer than the buffer
      QString sName;
      SQLWCHAR szPiece[256];
      SQLLEN iBytes = 0;
      while (SQL_SUCCEEDED(iResult = SQLGetData(hStmt, 3, SQL_C_WCHAR, szPiece, sizeof(szPiece), &iBytes)) && (iBytes != SQL_NULL_DATA))
      {
         const SQLLEN iFull = static_cast<SQLLEN>(sizeof(szPiece) - sizeof(SQLWCHAR));
         sName += fromWide(szPiece, static_cast<int>((((iBytes == SQL_NO_TOTAL) || (iBytes > iFull)) ? iFull : iBytes) / sizeof(SQLWCHAR)));
         if (iResult == SQL_SUCCESS) { break; }
      }
      if (! SQL_SUCCEEDED(iResult) && (iResult != SQL_NO_DATA)) { break; }
      lstNames.append(sName);
      iResult = SQL_SUCCESS;
   }
   SQLFreeHandle(SQL_HANDLE_STMT, hStmt);
   return (iResult == SQL_NO_DATA);
}

bool odbc_import_driver_manager::isConnectionLost(const QSqlDatabase& database, const QString& sError)
{
   // what libpq, Connector/ODBC and FreeTDS say of a link that went down in the middle of a statement
   static const QRegularExpression lost(R"(server closed the connection|no connection to the server|could not receive data|Lost connection to|)"
                                        R"(server has gone away|Communication link failure|\b08S01\b|\b08003\b|connection is dead|Broken pipe)",
                                        QRegularExpression::CaseInsensitiveOption);
   if (! sError.isEmpty() && sError.contains(lost)) { return true; }
   const SQLHDBC hDbc = handleOf(database);
   SQLUINTEGER iDead = SQL_CD_FALSE;
   return (hDbc && SQL_SUCCEEDED(SQLGetConnectAttr(hDbc, SQL_ATTR_CONNECTION_DEAD, &iDead, 0, nullptr)) && (iDead == SQL_CD_TRUE));
}

} // namespace plugin
