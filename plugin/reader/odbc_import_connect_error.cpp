#include "odbc_import_connect_error.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include "odbc_import_connection.h"
#include "odbc_import_driver_manager.h"

namespace plugin {

namespace {

enum class cause { unreachable, login, no_driver, no_data_source, no_file };

// What the driver manager and the drivers here say (unixODBC, psqlODBC, MariaDB Connector/ODBC,
// FreeTDS, SQLite ODBC), first match wins
const struct
{
   cause eCause;
   const char* sPattern;
} k_rules[] = {
   { cause::no_driver, R"(\[Driver Manager\]Can't open lib)" },
   { cause::no_data_source, R"(\[Driver Manager\]Data source name not found)" },
   { cause::login, R"(password authentication failed|role ".*" does not exist|no pg_hba\.conf entry|Access denied for user|Login failed for user)" },
   { cause::unreachable, R"(Connection refused|could not translate host name|Can't connect to .*server|Unknown (MySQL |MariaDB )?server host|)"
                         R"(Adaptive Server is unavailable|timeout expired|timed out|No route to host|Network is unreachable|reading initial communication packet)" },
   { cause::no_file, R"(\[SQLite\]connect failed)" },
};

// a message box with thousands of names would run off the screen with its buttons
QString listed(const QStringList& lst)
{
   const int k_iShown = 12;
   if (lst.isEmpty()) { return QStringLiteral("none"); }
   if (lst.size() <= k_iShown) { return lst.join(", "); }
   return (QStringList(lst.mid(0, k_iShown)).join(", ") + QString(" and %1 more").arg(lst.size() - k_iShown));
}

} // namespace

QString odbc_import_connect_error::getCause(const QString& sConnection, const QString& sDriverText)
{
   const auto value = [&sConnection](std::initializer_list<const char*> lstKeys) {
      for (const char* sKey : lstKeys) { const QString s = odbc_import_connection::getValue(sConnection, sKey); if (! s.isEmpty()) { return s; } }
      return QString();
   };
   const QString sDriver = value({ "DRIVER" });
   const QString sDataSource = value({ "DSN" });
   for (const auto& rule : k_rules)
   {
      if (! sDriverText.contains(QRegularExpression(rule.sPattern, QRegularExpression::CaseInsensitiveOption))) { continue; }
      switch (rule.eCause)
      {
         case cause::unreachable:
         {
            const QString sHost = value({ "SERVER", "SERVERNAME", "HOST" });
            const QString sPort = value({ "PORT" });
            if (sHost.isEmpty()) { return QStringLiteral("The database server could not be reached: is it running, and are its host and port right?"); }
            return QString("The database server could not be reached at %1: is it running there, and does it accept connections?").arg(sPort.isEmpty() ? sHost : (sHost + ":" + sPort));
         }
         case cause::login:
         {
            const QString sLogin = value({ "UID", "USER", "USERNAME" });
            return (sLogin.isEmpty() ? QStringLiteral("The server refused the login: check the login and the password.")
                                     : QString("The server refused the login \"%1\": check the login and the password.").arg(sLogin));
         }
         case cause::no_driver:
            return QString("The ODBC driver \"%1\" is not installed. Installed drivers: %2.").arg(sDriver.isEmpty() ? sDataSource : sDriver, listed(odbc_import_driver_manager::getDrivers()));
         case cause::no_data_source:
         {
            // unixODBC says the same of a data source whose driver is not installed
            const QString sDataSourceDriver = (sDataSource.isEmpty() ? QString() : odbc_import_driver_manager::getDataSourceSetting(sDataSource, "Driver"));
            const bool bInstalled = (odbc_import_driver_manager::getDrivers().contains(sDataSourceDriver, Qt::CaseInsensitive)
                                     || (sDataSourceDriver.contains('/') && QFileInfo::exists(sDataSourceDriver)));
            if (! sDataSourceDriver.isEmpty() && ! bInstalled)
            {
               return QString("The data source \"%1\" uses the ODBC driver \"%2\", which is not installed. Installed drivers: %3.")
                  .arg(sDataSource, sDataSourceDriver, listed(odbc_import_driver_manager::getDrivers()));
            }
         }
            return QString("No ODBC data source is named \"%1\". Data sources: %2; installed drivers: %3.")
               .arg(sDataSource, listed(odbc_import_driver_manager::getDataSources()), listed(odbc_import_driver_manager::getDrivers()));
         case cause::no_file:
            return QString("The SQLite database \"%1\" does not exist or cannot be opened.").arg(value({ "DATABASE" }));
      }
   }
   return QString();
}

QString odbc_import_connect_error::getMessage(const QString& sConnection, const QString& sDriverText)
{
   // a driver's text none of the rules knows still comes after a plain line
   QString sCause = getCause(sConnection, sDriverText);
   if (sCause.isEmpty()) { sCause = QStringLiteral("The connection to the database could not be opened: the driver says why below."); }
   return (sCause + "\n\nError connecting to database :\n" + sDriverText);
}

} // namespace plugin
