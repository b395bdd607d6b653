#ifndef PLUGIN_ODBC_IMPORT_STATEMENTS_H
#define PLUGIN_ODBC_IMPORT_STATEMENTS_H

#include <list>
#include <memory>
#include <utility>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <vx/VxSqlQuery.h>

namespace plugin {

/**
 * The prepared statements of one catalogue read. The per-table queries send the same SQL text for
 * every table with other values: preparing each text once and running it again with the new values
 * spares the driver a prepare, a describe and a deallocation per query (with psqlODBC four round
 * trips to the server become one, and the server plans each text once). A text that does not repeat
 * (the SQLite pragmas carry the table name) soon leaves the few kept. Results and errors are those of
 * vx::dao::call_query. The statements must not outlive the read: the caller's connection closes after.
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
   // more than the texts a reader repeats
   static constexpr std::size_t k_iKept = 8;

   QSqlDatabase* m_pDatabase = nullptr;
   std::list<std::pair<QString, std::unique_ptr<QSqlQuery>>> m_lstStatements;   // most recently used first
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_STATEMENTS_H
