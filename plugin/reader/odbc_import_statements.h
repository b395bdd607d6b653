#ifndef PLUGIN_ODBC_IMPORT_STATEMENTS_H
#define PLUGIN_ODBC_IMPORT_STATEMENTS_H

#include <QSqlDatabase>
#include <QSqlError>

#include <vx/VxSqlQuery.h>

namespace plugin {

/**
 * Where the per-table queries of one catalogue read go. They are sent through the ORM as they are
 * (vx::dao::call_query, prepared anew each time): the ORM offers a plug-in no statement kept prepared
 * between calls, and running its queries through its own QSqlQuery would need the ORM's insides,
 * which the host's library does not export. The catalogue-wide queries make them the exception.
 */
class odbc_import_statements
{
public:
   explicit odbc_import_statements(QSqlDatabase* pDatabase) : m_pDatabase(pDatabase) { ; }
   odbc_import_statements(const odbc_import_statements&) = delete;
   odbc_import_statements& operator=(const odbc_import_statements&) = delete;

   /** Runs query and keeps its rows in it; an invalid error on success. */
   QSqlError run(vx::VxSqlQuery& query);

private:
   QSqlDatabase* m_pDatabase = nullptr;
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_STATEMENTS_H
