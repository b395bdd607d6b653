#include "odbc_import_connection.h"

#include <QFileInfo>
#include <QList>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include <QSqlDriver>
#include <QSqlError>

#include "odbc_import_driver_manager.h"
#include "odbc_import_engine.h"

namespace plugin {

namespace {

int g_iLoginTimeout = 15;
int g_iReadTimeout = 60;

/** One "keyword=value" of a connection string; the value as written, braces included, spans [iStart, iEnd). */
struct attribute
{
   QString sKey;
   int iStart = 0;
   int iEnd = 0;
};

// ODBC's rules: pairs separated by ";", a value in braces runs to its closing brace, "}}" standing for "}"
QList<attribute> parseAttributes(const QString& s)
{
   QList<attribute> lst;
   int i = 0;
   while (i < s.size())
   {
      const int iEqual = s.indexOf('=', i);
      const int iSemicolon = s.indexOf(';', i);
      if ((iEqual < 0) || ((iSemicolon >= 0) && (iSemicolon < iEqual))) { i = ((iSemicolon < 0) ? s.size() : (iSemicolon + 1)); continue; }
      attribute a;
      a.sKey = s.mid(i, iEqual - i).trimmed();
      a.iStart = iEqual + 1;
      int j = a.iStart;
      if ((j < s.size()) && (s.at(j) == '{'))
      {
         for (++j; j < s.size(); ++j)
         {
            if (s.at(j) != '}') { continue; }
            if (((j + 1) < s.size()) && (s.at(j + 1) == '}')) { ++j; continue; }
            ++j;
            break;
         }
      }
      const int iSeparator = s.indexOf(';', j);
      a.iEnd = ((iSeparator < 0) ? s.size() : iSeparator);
      lst.append(a);
      i = (a.iEnd + 1);
   }
   return lst;
}

int indexOfKey(const QList<attribute>& lst, const QString& sKey)
{
   for (int i = 0; i < lst.size(); ++i) { if (lst.at(i).sKey.compare(sKey, Qt::CaseInsensitive) == 0) { return i; } }
   return -1;
}

QString valueOf(const QString& s, const attribute& a)
{
   const QString sValue = s.mid(a.iStart, (a.iEnd - a.iStart)).trimmed();
   if ((sValue.size() >= 2) && sValue.startsWith('{') && sValue.endsWith('}')) { return sValue.mid(1, (sValue.size() - 2)).replace("}}", "}"); }
   return sValue;
}

// What Qt's ODBC driver puts before its database name to make the connection string it hands on.
QString qodbcPrefix(const QString& s)
{
   if (s.contains(".dsn", Qt::CaseInsensitive)) { return QStringLiteral("FILEDSN="); }
   if (s.contains("DRIVER=", Qt::CaseInsensitive) || s.contains("SERVER=", Qt::CaseInsensitive)) { return QString(""); }
   return QStringLiteral("DSN=");
}

// The database name from which Qt's ODBC driver makes exactly this connection string. Only a value
// holding ".dsn" defeats it: Qt then reads the string as a file DSN, which the driver manager refuses.
QString qodbcDatabaseName(const QString& sConnection)
{
   for (const QString& sPrefix : { QString(""), QStringLiteral("DSN="), QStringLiteral("FILEDSN=") })
   {
      if (! sConnection.startsWith(sPrefix, Qt::CaseInsensitive)) { continue; }
      const QString s = sConnection.mid(sPrefix.size());
      if (qodbcPrefix(s).compare(sPrefix, Qt::CaseInsensitive) == 0) { return s; }
   }
   return sConnection;
}

// The SQLite3 ODBC driver has no wide-character entry points: the driver manager converts Qt's UTF-16
// string to the locale's 8-bit encoding but passes the length in UTF-16 units, so a path with non-ASCII
// letters arrives cut short (or, in the C locale, with other letters) and SQLite creates that file.
// A file: URI spells the same path in ASCII.
QString sqliteUri(const QString& sPath)
{
   return ("file://" + QString::fromLatin1(QUrl::toPercentEncoding(QFileInfo(sPath).absoluteFilePath(), "/")));
}

bool isAscii(const QString& s)
{
   for (const QChar c : s) { if (c.unicode() > 0x7f) { return false; } }
   return true;
}

} // namespace

odbc_import_connection::odbc_import_connection(int iDatabaseType, const QString& sDsn, const QString& sLogin, const QString& sPassword) : m_sDsn(sDsn)
{
   QString sConnection = (qodbcPrefix(sDsn) + sDsn);
   while (sConnection.endsWith(';') || (! sConnection.isEmpty() && sConnection.at(sConnection.size() - 1).isSpace())) { sConnection.chop(1); }
   const QList<attribute> lst = parseAttributes(sConnection);
   const int iDsn = indexOfKey(lst, "DSN");
   m_sDataSource = ((iDsn >= 0) ? valueOf(sConnection, lst.at(iDsn)) : QString());
   const int iDriver = indexOfKey(lst, "DRIVER");
   m_sDriver = ((iDriver >= 0) ? valueOf(sConnection, lst.at(iDriver)) : (m_sDataSource.isEmpty() ? QString() : odbc_import_driver_manager::getDataSourceSetting(m_sDataSource, "Driver")));
   // by its driver, else by the engine type
   const odbc_import_engine::row* pDriverEngine = odbc_import_engine::fromDriverName(m_sDriver);
   const odbc_import_engine::row& engine = (pDriverEngine ? (*pDriverEngine) : odbc_import_engine::get(iDatabaseType));
   const int iDatabase = indexOfKey(lst, "DATABASE");
   if ((engine.engine == odbc_import_engine::engine_sqlite) && (iDatabase >= 0))
   {
      const QString sPath = valueOf(sConnection, lst.at(iDatabase));
      const attribute& a = lst.at(iDatabase);
      if (! isAscii(sPath) && ! sPath.startsWith("file:", Qt::CaseInsensitive)) { sConnection.replace(a.iStart, (a.iEnd - a.iStart), sqliteUri(sPath)); }
   }

   // Qt would paste login and password unquoted after the string: a ";" in them would add keywords
   QStringList lstMore;
   if (! sLogin.isEmpty()) { lstMore << ("UID=" + quoteValue(sLogin)); }
   if (! sPassword.isEmpty()) { lstMore << ("PWD=" + quoteValue(sPassword)); }
   // the driver's own keywords (its timeouts); a value the user gave, in the string or in the data source, stays
   for (const QString& sKeyword : engine.driverKeywords(g_iLoginTimeout, g_iReadTimeout))
   {
      const QString sKey = sKeyword.section('=', 0, 0);
      if ((indexOfKey(lst, sKey) < 0) && (m_sDataSource.isEmpty() || odbc_import_driver_manager::getDataSourceSetting(m_sDataSource, sKey).isEmpty())) { lstMore << sKeyword; }
   }
   if (! lstMore.isEmpty()) { sConnection += (";" + lstMore.join(';')); }
   m_sConnection = qodbcDatabaseName(sConnection);
}

QString odbc_import_connection::getConnectOptions() const
{
   return QString("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%2").arg(g_iLoginTimeout).arg(g_iReadTimeout);
}

QString odbc_import_connection::describeDriver() const
{
   if (! m_sDriver.isEmpty()) { return QString("the %1 driver").arg(m_sDriver); }
   return (m_sDataSource.isEmpty() ? QStringLiteral("the ODBC driver") : QString("the driver of data source \"%1\"").arg(m_sDataSource));
}

QSqlDatabase odbc_import_connection::open(const QString& sConnectionName, QSqlError& error) const
{
   QSqlDatabase database = QSqlDatabase::addDatabase("QODBC", sConnectionName);
   database.setDatabaseName(m_sConnection);
   database.setConnectOptions(getConnectOptions());
   error = (database.open() ? QSqlError() : database.lastError());
   return database;
}

QString odbc_import_connection::maskPassword(const QString& sConnection)
{
   QString sMasked = sConnection;
   const QList<attribute> lst = parseAttributes(sConnection);
   // from the last to the first, so that the positions still to visit stay right
   for (int i = (lst.size() - 1); i >= 0; --i)
   {
      const attribute& a = lst.at(i);
      if ((a.sKey.compare("PWD", Qt::CaseInsensitive) == 0) || (a.sKey.compare("PASSWORD", Qt::CaseInsensitive) == 0)) { sMasked.replace(a.iStart, (a.iEnd - a.iStart), "****"); }
   }
   return sMasked;
}

QString odbc_import_connection::getValue(const QString& sConnection, const QString& sKey)
{
   const QList<attribute> lst = parseAttributes(sConnection);
   const int i = indexOfKey(lst, sKey);
   if (i >= 0) { return valueOf(sConnection, lst.at(i)); }
   // a bare name is a data source name, as the driver manager reads it
   const int iDsn = indexOfKey(lst, "DSN");
   const QString sDsn = (sConnection.contains('=') ? ((iDsn < 0) ? QString() : valueOf(sConnection, lst.at(iDsn))) : sConnection.trimmed());
   return ((sDsn.isEmpty() || (sKey.compare("DSN", Qt::CaseInsensitive) == 0)) ? sDsn : odbc_import_driver_manager::getDataSourceSetting(sDsn, sKey));
}

QString odbc_import_connection::quoteValue(const QString& sValue)
{
   static const QRegularExpression special("[;{}=]");
   if (! sValue.contains(special) && (sValue.trimmed() == sValue)) { return sValue; }
   return ("{" + QString(sValue).replace("}", "}}") + "}");
}

int odbc_import_connection::getLoginTimeout() { return g_iLoginTimeout; }
void odbc_import_connection::setLoginTimeout(int iSeconds) { g_iLoginTimeout = iSeconds; }
int odbc_import_connection::getReadTimeout() { return g_iReadTimeout; }
void odbc_import_connection::setReadTimeout(int iSeconds) { g_iReadTimeout = iSeconds; }

} // namespace plugin
