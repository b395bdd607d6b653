#ifndef PLUGIN_ODBC_IMPORT_CATALOG_RESULT_H
#define PLUGIN_ODBC_IMPORT_CATALOG_RESULT_H

#include <QString>

#include <vx/VxSqlQuery.h>

#include "odbc_import_fetch.h"

namespace plugin {

/**
 * The rows a reader reads of one catalogue query, whichever way they came: those the ORM kept of a query,
 * or the set of rows a fetch on the connection's handle holds now. Readers read texts by column name.
 */
class odbc_import_catalog_result
{
public:
   explicit odbc_import_catalog_result(const vx::VxSqlQuery& query) : m_pQuery(&query) { ; }
   explicit odbc_import_catalog_result(const odbc_import_fetch& fetch) : m_pFetch(&fetch) { ; }

   long rows() const { return (m_pFetch ? m_pFetch->rows() : m_pQuery->getSqlResultRowCount()); }
   /** The text of column (any case) of row; NULL and an unknown column give a null text. */
   QString text(long row, const char* column) const
   {
      return (m_pFetch ? m_pFetch->text(row, column) : m_pQuery->getSqlResultAt(row, QString::fromLatin1(column)).toString());
   }

private:
   const vx::VxSqlQuery* m_pQuery = nullptr;
   const odbc_import_fetch* m_pFetch = nullptr;
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_CATALOG_RESULT_H
