#ifndef PLUGIN_ODBC_IMPORT_CONNECT_ERROR_H
#define PLUGIN_ODBC_IMPORT_CONNECT_ERROR_H

#include <QString>

namespace plugin {

/** Says in plain words why a connection failed, from the driver's own text. */
class odbc_import_connect_error
{
public:
   /** A first line in plain words where the driver's text tells the cause (the server not reached, the login
       refused, the driver or data source unknown, the SQLite file missing), then the driver's own text. */
   static QString getMessage(const QString& sConnection, const QString& sDriverText);
   /** The plain-words line alone, empty when the driver's text says nothing known. */
   static QString getCause(const QString& sConnection, const QString& sDriverText);
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_CONNECT_ERROR_H
