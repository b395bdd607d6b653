#ifndef PLUGIN_ODBC_IMPORT_PROCESS_H
#define PLUGIN_ODBC_IMPORT_PROCESS_H

#include <functional>
#include <memory>

#include <QObject>
#include <QSqlDatabase>
#include <QStringList>

#include <vx/VxBool.h>
#include <vx/VxCollection.h>

#include <model/app_model.h>

#include "odbc_import_keys.h"

namespace plugin {

typedef std::shared_ptr<vx::VxCollection<long, std::shared_ptr<model::app_table>>> type_lst_table_ptr;

/** Reads the catalogue of one open database into a keyed list of tables; one class per engine. */
class odbc_import_process : public QObject
{
   Q_OBJECT

public:
   explicit odbc_import_process(QSqlDatabase* pDatabase);
   ~odbc_import_process() override;

   /** Reads the whole catalogue into a new list; call once, then getListOfTables() on success. */
   virtual vx::VxBool startProcess() = 0;
   /** The list of the last run, shared: it outlives the reader (null before the first run). */
   type_lst_table_ptr getListOfTables() const { return m_pListOfTables; }
   /** What the last run left out, one text each (a view the database cannot describe); empty when it read everything. */
   QStringList getWarnings() const { return m_lstWarnings; }

   /** What a read says of a database that holds nothing to import. */
   static QString getNoTableMessage() { return QStringLiteral("The database holds no table or view you may read"); }

   typedef std::function<bool(const QString& sNamespace, const QString& sName)> type_table_filter;
   /** The tables (and views) to read: asked once a table with its namespace as the model shows it (empty for the
       connection's default one) and its name; the tables it refuses are left out, their columns and keys unread.
       Set before startProcess(); none (the default) reads every table. */
   void setTableFilter(type_table_filter fnFilter) { m_fnTableFilter = std::move(fnFilter); }

   /** The key a text hashes to (Qt's string hash, seed 0, as a signed 32-bit number); odbc_import_keys gives it to an entry where it is free. */
   static long getKey(const QString& sText) { return odbc_import_keys::hashOf(sText); }

Q_SIGNALS:
   void onProcessState(int iPercent);

protected:
   /** Progress before handling row i of n: ((i + 1) * 100) / n in 32-bit integers. */
   void emitProgress(qint32 i, qint32 n) { Q_EMIT onProcessState(((i + 1) * 100) / n); }

   type_lst_table_ptr m_pListOfTables;
   QStringList m_lstWarnings;
   type_table_filter m_fnTableFilter;
   QSqlDatabase* m_pDatabase = nullptr;
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_PROCESS_H
