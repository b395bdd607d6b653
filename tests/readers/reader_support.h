#ifndef KEL_TESTS_READERS_READER_SUPPORT_H
#define KEL_TESTS_READERS_READER_SUPPORT_H

#include <functional>
#include <memory>

#include <QStringList>

#include <model/app_model.h>
#include <odbc_import_process.h>
#include <odbc_import_engine.h>

#include "test_env.h"

// What the reader tests share: fresh databases built from DDL and opened through QODBC as an import opens
// them, one reader run with its progress, and compact views of the model it built, to compare with QCOMPARE.
namespace kel_readers {

using namespace kel_test;   // engine types, test servers, connections

using table_ptr = std::shared_ptr<model::app_table>;
using column_ptr = std::shared_ptr<model::app_column>;
using foreign_key_ptr = std::shared_ptr<model::app_foreign_key>;
using column_list_ptr = std::shared_ptr<model::type_lst_column>;

/** A connection to a new database built with ddl: a file in sSqliteDir for SQLite, a database of the test server otherwise; null (the reason logged) when it cannot be made. */
inline std::unique_ptr<kel_test::connection> connectNew(engine_type engine, const QString& sName, const QStringList& lstDdl, const QString& sSqliteDir = QString())
{
   QString sDsn = sqliteDsn(sSqliteDir + "/" + sName + ".db"), sError;
   if (engine == k_sqlite) { sError = kel_test::connection(sDsn).exec(lstDdl); }
   else
   {
      sError = createDatabase(engine, sName, lstDdl);
      sDsn = ((engine == k_postgresql) ? postgresqlDsn(sName) : mysqlDsn(sName));
   }
   std::unique_ptr<kel_test::connection> pConnection(sError.isEmpty() ? new kel_test::connection(sDsn) : nullptr);
   if (pConnection && ! pConnection->isOpen()) { sError = pConnection->openError(); pConnection.reset(); }
   if (! sError.isEmpty()) { qWarning("set-up of %s: %s", qPrintable(sName), qPrintable(sError)); }
   return pConnection;
}

/** What one run of a reader gave. */
struct read_result
{
   vx::VxBool result;
   plugin::type_lst_table_ptr tables;
   QList<int> progress;
   QStringList warnings;
};

/** Runs the reader once and deletes it. onProgress runs inside the progress signal. */
inline read_result runReader(plugin::odbc_import_process* pReader, const std::function<void(int)>& onProgress = {})
{
   std::unique_ptr<plugin::odbc_import_process> reader(pReader);
   read_result read;
   QObject::connect(reader.get(), &plugin::odbc_import_process::onProcessState, [&](int iPercent) { read.progress.append(iPercent); if (onProgress) { onProgress(iPercent); } });
   read.result = reader->startProcess();
   read.tables = reader->getListOfTables();
   read.warnings = reader->getWarnings();
   return read;
}

/** Creates the reader of the engine type on db, as an import does, and runs it once. */
inline read_result runReader(int iType, QSqlDatabase* pDatabase, const std::function<void(int)>& onProgress = {})
{
   return runReader(plugin::odbc_import_engine::createReader(iType, pDatabase).release(), onProgress);
}

/** The table of that namespace and name, null when absent. */
inline table_ptr findTable(const plugin::type_lst_table_ptr& pTables, const QString& sName, const QString& sNamespace = QString())
{
   for (long i = 0; pTables && (i < pTables->count()); ++i)
   {
      if ((pTables->getByIndex(i)->getName() == sName) && (pTables->getByIndex(i)->getNamespace() == sNamespace)) { return pTables->getByIndex(i); }
   }
   return table_ptr();
}

/** Whether entry i of a list is keyed as it should be: by the hash of sText, unless an earlier entry holds that key. */
template <class Value>
bool isKeyedBy(const vx::VxCollection<long, Value>& lst, long i, const QString& sText)
{
   const long lHash = plugin::odbc_import_process::getKey(sText);
   return ((lst.getKeyByIndex(i) == lHash) || (lst.exist(lHash) && (lst.getIndex(lHash) < i)));
}

inline QStringList columnNames(const column_list_ptr& pColumns, bool bSorted = false)
{
   QStringList lst;
   for (long i = 0; pColumns && (i < pColumns->count()); ++i) { lst.append(pColumns->getByIndex(i)->getName()); }
   if (bSorted) { lst.sort(); }
   return lst;
}

/** "ns.name" of every table in list order ("name" for the empty namespace), views marked "(view)". */
inline QStringList tableNames(const plugin::type_lst_table_ptr& pTables)
{
   QStringList lst;
   for (long i = 0; pTables && (i < pTables->count()); ++i)
   {
      const table_ptr pTable = pTables->getByIndex(i);
      lst.append((pTable->getNamespace().isEmpty() ? QString() : (pTable->getNamespace() + ".")) + pTable->getName() + (pTable->getIsView() ? " (view)" : ""));
   }
   return lst;
}

/**
 * Where the columns of a table sit: "cols[a,b] pk[c] fk[name->ns.target(c>x,d>y)] ... desc[text]", foreign keys
 * sorted, desc[] only with a description; bSorted sorts the column lists too (for servers of no fixed order).
 */
inline QString layout(const table_ptr& pTable, bool bSorted = false)
{
   QStringList lst = { "cols[" + columnNames(pTable->getListOfColumns(), bSorted).join(",") + "] pk[" + columnNames(pTable->getPrimaryKey()->getListColumns(), bSorted).join(",") + "]" };
   const auto pRelations = pTable->getListOfRelations();
   for (long i = 0; i < pRelations->count(); ++i)
   {
      const foreign_key_ptr pForeignKey = pRelations->getByIndex(i);
      QStringList lstPairs;
      for (long c = 0; c < pForeignKey->getListColumns()->count(); ++c)
      {
         const column_ptr pColumn = pForeignKey->getListColumns()->getByIndex(c);
         lstPairs.append(pColumn->getName() + ">" + pColumn->getTargetColumn());
      }
      if (bSorted) { lstPairs.sort(); }
      const QString sNamespace = pForeignKey->getTargetTableNamespace();
      lst.append("fk[" + pForeignKey->getConstraintName() + "->" + (sNamespace.isEmpty() ? QString() : (sNamespace + ".")) + pForeignKey->getTargetTable() + "(" + lstPairs.join(",") + ")]");
   }
   std::sort(lst.begin() + 1, lst.end());
   if (! pTable->getDescription().isEmpty()) { lst.append("desc[" + pTable->getDescription() + "]"); }
   return lst.join(" ");
}

/** A column of the table by name, wherever it sits (column list, primary key, foreign keys), null when absent. */
inline column_ptr findColumn(const table_ptr& pTable, const QString& sName)
{
   QList<column_list_ptr> lstLists = { pTable->getListOfColumns(), pTable->getPrimaryKey()->getListColumns() };
   for (long i = 0; i < pTable->getListOfRelations()->count(); ++i) { lstLists.append(pTable->getListOfRelations()->getByIndex(i)->getListColumns()); }
   for (const column_list_ptr& pColumns : lstLists)
   {
      for (long c = 0; c < pColumns->count(); ++c) { if (pColumns->getByIndex(c)->getName() == sName) { return pColumns->getByIndex(c); } }
   }
   return column_ptr();
}

/** What a catalogue reader stored on a column: "sql type|value type|default|not null or null|description". */
inline QString describe(const column_ptr& pColumn)
{
   if (! pColumn) { return "(missing)"; }
   return QString("%1|%2|%3|%4|%5").arg(pColumn->getSqlType()).arg(pColumn->getType().toInt()).arg(pColumn->getDefaultValue(), (pColumn->getNotNull() ? "not null" : "null"), pColumn->getDescription());
}

/** Everything a catalogue reader put in the model, in list order with every key: two reads that give the same lines built the same model. */
inline QStringList modelLines(const plugin::type_lst_table_ptr& pTables)
{
   QStringList lst;
   const auto columns = [&lst](const char* sWhere, const column_list_ptr& pColumns) {
      for (long c = 0; c < pColumns->count(); ++c)
      {
         const column_ptr p = pColumns->getByIndex(c);
         lst << QString("  %1 %2 %3 %4 >%5 pk:%6 fk:%7").arg(sWhere).arg(pColumns->getKeyByIndex(c)).arg(p->getName(), describe(p), p->getTargetColumn())
                   .arg(p->getPrimaryKey() != nullptr).arg(p->getForeignKey() ? p->getForeignKey()->getConstraintName() : QString("-"));
      }
   };
   for (long i = 0; pTables && (i < pTables->count()); ++i)
   {
      const table_ptr pTable = pTables->getByIndex(i);
      lst << QString("%1 %2.%3 view:%4 %5 #%6").arg(pTables->getKeyByIndex(i)).arg(pTable->getNamespace(), pTable->getName()).arg(pTable->getIsView())
                .arg(pTable->getDescription(), pTable->getMetaData("TABLE_HASH_ID").toString());
      columns("col", pTable->getListOfColumns());
      columns("pk", pTable->getPrimaryKey()->getListColumns());
      for (long f = 0; f < pTable->getListOfRelations()->count(); ++f)
      {
         const foreign_key_ptr pForeignKey = pTable->getListOfRelations()->getByIndex(f);
         lst << QString("  fk %1 %2 -> %3.%4").arg(pTable->getListOfRelations()->getKeyByIndex(f)).arg(pForeignKey->getConstraintName(), pForeignKey->getTargetTableNamespace(), pForeignKey->getTargetTable());
         columns("fk", pForeignKey->getListColumns());
      }
   }
   return lst;
}

/**
 * Breaks of the model rules that hold for every table a catalogue reader builds: keys are the hashes
 * of their texts where no other entry took them, TABLE_HASH_ID is the table key as a 64-bit integer, every column points back at its
 * table and at the keys holding it (so a column in two foreign keys must be two objects), a column in
 * the table's list sits in no key, views have no keys.
 */
inline QStringList shapeProblems(const plugin::type_lst_table_ptr& pTables)
{
   QStringList lst;
   for (long i = 0; pTables && (i < pTables->count()); ++i)
   {
      const table_ptr pTable = pTables->getByIndex(i);
      const QString sTable = pTable->getNamespace() + "." + pTable->getName();
      const QVariant vHash = pTable->getMetaData("TABLE_HASH_ID");
      if (! isKeyedBy(*pTables, i, sTable) || (vHash.userType() != QMetaType::LongLong) || (vHash.toLongLong() != pTables->getKeyByIndex(i))) { lst.append(sTable + ": key or TABLE_HASH_ID"); }
      const auto pPrimaryKey = pTable->getPrimaryKey();
      const auto pRelations = pTable->getListOfRelations();
      if (pPrimaryKey->getTable() != pTable) { lst.append(sTable + ": primary key's table"); }
      if (pTable->getIsView() && ((pPrimaryKey->getListColumns()->count() > 0) || (pRelations->count() > 0))) { lst.append(sTable + ": view with keys"); }
      // a column has one key in every list of its table, and no other column has it
      QHash<QString, long> keyOf;
      QHash<long, QString> nameOf;
      auto check = [&](const column_list_ptr& pColumns, const QString& sList, const std::function<bool(const column_ptr&)>& isPlaced) {
         for (long c = 0; c < pColumns->count(); ++c)
         {
            const column_ptr p = pColumns->getByIndex(c);
            const long lKey = pColumns->getKeyByIndex(c);
            const bool bOneKey = ((keyOf.value(p->getName(), lKey) == lKey) && (nameOf.value(lKey, p->getName()) == p->getName()));
            keyOf.insert(p->getName(), lKey);
            nameOf.insert(lKey, p->getName());
            if (! bOneKey || (p->getTable() != pTable) || (p->getType().userType() != QMetaType::Int) || ! isPlaced(p))
            { lst.append(sTable + "." + p->getName() + " in " + sList); }
         }
      };
      const auto holds = [](const column_list_ptr& pColumns, const column_ptr& p) {
         bool bHeld = false;
         for (long c = 0; c < pColumns->count(); ++c) { bHeld = bHeld || (pColumns->getByIndex(c)->getName() == p->getName()); }
         return bHeld;
      };
      const auto inPrimaryKey = [&](const column_ptr& p) { return holds(pPrimaryKey->getListColumns(), p); };
      check(pTable->getListOfColumns(), "columns", [&](const column_ptr& p) {
         bool bInKey = inPrimaryKey(p);
         for (long f = 0; f < pRelations->count(); ++f) { bInKey = bInKey || holds(pRelations->getByIndex(f)->getListColumns(), p); }
         return (! p->getPrimaryKey() && ! p->getForeignKey() && ! bInKey);
      });
      check(pPrimaryKey->getListColumns(), "primary key", [&](const column_ptr& p) { return (p->getPrimaryKey() == pPrimaryKey); });
      for (long f = 0; f < pRelations->count(); ++f)
      {
         const foreign_key_ptr pForeignKey = pRelations->getByIndex(f);
         // SQLite keys its foreign keys by their number, the other engines by constraint name
         if ((pForeignKey->getTable() != pTable) || (! pForeignKey->getConstraintName().isEmpty() && ! isKeyedBy(*pRelations, f, pForeignKey->getConstraintName())))
         { lst.append(sTable + ": foreign key " + pForeignKey->getConstraintName()); }
         check(pForeignKey->getListColumns(), "foreign key " + pForeignKey->getConstraintName(), [&](const column_ptr& p) {
            return ((p->getForeignKey() == pForeignKey) && (inPrimaryKey(p) == (p->getPrimaryKey() == pPrimaryKey)));
         });
      }
      for (auto itr = keyOf.constBegin(); itr != keyOf.constEnd(); ++itr)
      {
         const long lHash = plugin::odbc_import_process::getKey(itr.key());
         if ((itr.value() != lHash) && (nameOf.value(lHash, itr.key()) == itr.key())) { lst.append(sTable + "." + itr.key() + ": key " + QString::number(itr.value()) + " though its hash is free"); }
      }
   }
   return lst;
}

} // namespace kel_readers

/** Skips (or fails under CI) when the server of the engine (PostgreSQL for the emulated SQL Server and Oracle) is not running. */
#define KEL_REQUIRE_ENGINE(engine)                                                                 \
   do {                                                                                          \
      if (QList<int>({ kel_readers::k_postgresql, kel_readers::k_oracle, kel_readers::k_mssqlserver }).contains(engine)) { KEL_REQUIRE_POSTGRESQL(); } \
      if ((engine) == kel_readers::k_mysql) { KEL_REQUIRE_MYSQL(); }                             \
   } while (false)

#define KEL_VERIFY_SHAPE(tables)                                                                   \
   do {                                                                                          \
      const QStringList lstProblems = kel_readers::shapeProblems(tables);                        \
      QVERIFY2(lstProblems.isEmpty(), qPrintable(lstProblems.join("\n")));                      \
   } while (false)

#endif // KEL_TESTS_READERS_READER_SUPPORT_H
