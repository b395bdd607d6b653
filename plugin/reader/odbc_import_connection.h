#ifndef PLUGIN_ODBC_IMPORT_CONNECTION_H
#define PLUGIN_ODBC_IMPORT_CONNECTION_H

#include <QSqlDatabase>
#include <QString>

namespace plugin {

/**
 * One connection as the user gave it (data source name or connection string, login, password, engine type),
 * parsed once: what the headless import, the settings dialog and the reading program all use. It knows the
 * ODBC quoting of values, the driver behind a data source, the driver's keywords and timeouts, the text for
 * logs with the password masked, and the plain first line of a failed connection.
 */
class odbc_import_connection
{
public:
   odbc_import_connection(int iDatabaseType, const QString& sDsn, const QString& sLogin = QString(), const QString& sPassword = QString());

   /** Qt's connect options: ODBC's login and connection timeouts. */
   QString getConnectOptions() const;
   /** The user's text with the value of every PWD or Password replaced by stars: for logs. */
   QString getMasked() const { return maskPassword(m_sDsn); }
   /** "the MDBTools driver", "the driver of data source \"shop\"": who is meant when the driver fails. */
   QString describeDriver() const;
   /** A value of the text (any case, braces taken off), else what odbc.ini sets for its data source. */
   QString getValue(const QString& sKey) const { return getValue(m_sDsn, sKey); }

   /** Opens a new QODBC connection of this name with the string and the options above. */
   QSqlDatabase open(const QString& sConnectionName, QSqlError& error) const;

   /** The connection string with the value of every PWD or Password replaced by stars. */
   static QString maskPassword(const QString& sConnection);
   /** The value of a keyword of a connection string (any case, braces taken off), else what odbc.ini sets for
       its data source (a bare name is one); empty when neither has it. */
   static QString getValue(const QString& sConnection, const QString& sKey);
   /** A connection-string value as ODBC reads it back: in braces, "}" doubled, when it holds ; { } = or outer spaces. */
   static QString quoteValue(const QString& sValue);

   /** Seconds a login may take (15 by default). */
   static int getLoginTimeout();
   static void setLoginTimeout(int iSeconds);
   /** Seconds one statement may wait for the server's answer (60 by default). */
   static int getReadTimeout();
   static void setReadTimeout(int iSeconds);

private:
   QString m_sDsn;
   QString m_sConnection;   // what QODBC gets as its database name: login and password quoted, the driver's keywords added
   QString m_sDataSource;   // the data source the text names (a bare name is one)
   QString m_sDriver;       // the text's Driver=, else the one odbc.ini names for its data source
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_CONNECTION_H
