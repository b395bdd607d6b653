#include "odbc_import_sources.h"

#include <sql.h>
#include <sqlext.h>

namespace plugin {

namespace {

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

QStringList odbc_import_sources::getDataSources() { return list(&SQLDataSources); }

QStringList odbc_import_sources::getDrivers() { return list(&SQLDrivers); }

QStringList odbc_import_sources::getCompletions()
{
   QStringList lst = getDataSources();
   for (const QString& sDriver : getDrivers()) { lst.append("Driver={" + sDriver + "};"); }
   return lst;
}

} // namespace plugin
