#ifndef PLUGIN_ODBC_IMPORT_GENERIC_H
#define PLUGIN_ODBC_IMPORT_GENERIC_H

#include <QHash>
#include <QStringList>
#include <QVector>

#include <memory>
#include <vector>

#include "odbc_import_catalog_calls.h"
#include "odbc_import_process.h"
#include "odbc_import_standard_keys.h"
#include "odbc_import_table_builder.h"

namespace plugin {

/**
 * Any database an ODBC driver opens, through ODBC's own catalogue functions: tables and views with their schema,
 * columns, whole primary keys and foreign keys, each function used where the driver has it. The key functions
 * answer a table at a time, so the keys of a whole schema come from the standard INFORMATION_SCHEMA views where
 * the database has them and they tell them whole (odbc_import_standard_keys), the driver asked for the rest. A
 * driver without SQLTables (or a connection that is no ODBC one) gives what Qt's driver reports: names and fields only.
 */
class odbc_import_generic : public odbc_import_process
{
   Q_OBJECT

public:
   explicit odbc_import_generic(QSqlDatabase* pDatabase) : odbc_import_process(pDatabase) { ; }
   ~odbc_import_generic() override = default;

   vx::VxBool startProcess() override;

private:
   typedef odbc_import_catalog_calls::type_row type_row;
   /** A table SQLTables listed, in its order: read, or left out with sWarning (or silently, a name seen before or filtered). */
   struct table_entry
   {
      odbc_import_table_builder::table_row row;
      QString sCatalog;
      QString sWarning;
      long lTableKey = 0;
      bool bRead = false;
      /** The schema as the standard views name it: a driver without schemas (MariaDB's) calls the database a catalogue. */
      const QString& viewSchema() const { return (row.rawNamespace.isEmpty() ? sCatalog : row.rawNamespace); }
   };
   /** The read through the catalogue functions; false when the driver cannot list the tables (then Qt's names are read). */
   bool readCatalogue(const odbc_import_catalog_calls& calls);
   /** The columns of every table to read, one SQLColumns call a schema, by columnsKey(); a schema the driver refuses is left to the per-table calls. */
   QHash<QString, QVector<type_row>> readAllColumns(const odbc_import_catalog_calls& calls, const std::vector<table_entry>& lstEntries) const;
   /** The keys of every schema of the tables to read from the standard views, where the database has them; null where it has not. */
   std::unique_ptr<odbc_import_standard_keys> readStandardKeys(const odbc_import_catalog_calls& calls, const std::vector<table_entry>& lstEntries) const;
   /** The primary key and foreign keys of one table: what pStandard tells whole, the rest asked of the driver. */
   void readKeys(const odbc_import_catalog_calls& calls, odbc_import_standard_keys* pStandard, const table_entry& entry, odbc_import_table_builder::table_content& content);
   /** Columns, primary key and foreign keys of one table; false when it is left out (with a warning). pColumns: its columns read
    *  ahead, null to ask the driver now. */
   bool readContent(const odbc_import_catalog_calls& calls, odbc_import_standard_keys* pStandard, const table_entry& entry, const QVector<type_row>* pColumns,
                    odbc_import_table_builder::table_content& content);
   /** The namespace of a table of this catalogue and schema: the connection's own catalogue and default schema are empty. */
   QString namespaceOf(const QString& sCatalog, const QString& sSchema) const;

   /** Names of the tables or views of the connection's own database, as Qt's driver reports them. */
   QStringList listTables(bool bViews) const;
   /** What Qt's driver reports of the named tables. iTotal: number of names of both passes (tables, then views), the divisor of the progress. */
   void updateModel(const QStringList& lstNames, int iTotal, bool bIsView, odbc_import_keys& tableKeys);

   QString m_sCurrentCatalog;
   QString m_sDefaultSchema;
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_GENERIC_H
