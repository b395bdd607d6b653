#ifndef PLUGIN_ODBC_IMPORT_GENERIC_H
#define PLUGIN_ODBC_IMPORT_GENERIC_H

#include <QStringList>

#include "odbc_import_process.h"

namespace plugin {

/** Any database the Qt driver opens: only what the driver reports (tables, views, fields). */
class odbc_import_generic : public odbc_import_process
{
   Q_OBJECT

public:
   explicit odbc_import_generic(QSqlDatabase* pDatabase) : odbc_import_process(pDatabase) { ; }
   ~odbc_import_generic() override = default;

   vx::VxBool startProcess() override;

private:
   /** Names of the tables or views of the connection's own database, as the driver reports them. */
   QStringList listTables(bool bViews) const;
   /** iTotal: number of names of both passes (tables, then views), the divisor of the progress. */
   void updateModel(const QStringList& lstNames, int iTotal, bool bIsView, odbc_import_keys& tableKeys);
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_GENERIC_H
