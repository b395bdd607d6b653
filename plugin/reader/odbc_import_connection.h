#ifndef PLUGIN_ODBC_IMPORT_CONNECTION_H
#define PLUGIN_ODBC_IMPORT_CONNECTION_H

#include <QSqlDatabase>
#include <QString>

namespace context { class ctx_custom; }

namespace plugin {

/** How the plug-in reaches a database: one place for the headless import and the settings dialog. */
class odbc_import_connection
{
public:
   /**
    * Clears the plug-in's connection context and fills it for QODBC with this data source and account,
    * for an engine type (0 to 5). Login and password go into the ODBC connection string as quoted values;
    * the login and, where the driver has one, the read are bounded by the timeouts below.
    */
   static void fillContext(context::ctx_custom* pContext, int iDatabaseType, const QString& sDsn, const QString& sLogin, const QString& sPassword);

   /** The connection string with the value of every PWD or Password replaced by stars: for logs. */
   static QString maskPassword(const QString& sConnection);

   /** The value of a keyword of a connection string (any case, braces taken off), else what odbc.ini sets for
       its data source (a bare name is one); empty when neither has it. */
   static QString getValue(const QString& sConnection, const QString& sKey);

   /** A connection-string value as ODBC reads it back: in braces, "}" doubled, when it holds ; { } = or outer spaces. */
   static QString quoteValue(const QString& sValue);

   /** Seconds a login may take (15 by default). */
   static int getLoginTimeout();
   static void setLoginTimeout(int iSeconds);
   /** Seconds the driver may wait for the server's answer once connected (60 by default). */
   static int getReadTimeout();
   static void setReadTimeout(int iSeconds);
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_CONNECTION_H
