#ifndef KEL_TESTS_READERS_READER_SUPPORT_H
#define KEL_TESTS_READERS_READER_SUPPORT_H

#include <functional>
#include <memory>

#include <QSignalSpy>
#include <QStringList>

#include <model/app_model.h>
#include <odbc_import_process.h>

#include "test_connection.h"
#include "test_env.h"

/*
 * What the reader tests share: QODBC connections opened as a user's import opens them, fresh
 * databases built from DDL, one reader run with its progress, and views of the resulting model
 * (where each column sits, what each column holds) compact enough to compare with QCOMPARE.
 */
namespace kel_readers {

using namespace kel_test;   // engine types, test servers, connections

using table_ptr = std::shared_ptr<model::app_table>;
using column_ptr = std::shared_ptr<model::app_column>;
using foreign_key_ptr = std::shared_ptr<model::app_foreign_key>;
using column_list_ptr = std::shared_ptr<model::type_lst_column>;

/**
 * A connection to a new database built with ddl: a file in sSqliteDir for SQLite, a database of the
 * test server otherwise; null (with the reason in the log) when it cannot be made.
 */
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
};

/** Creates the reader of the engine type on db, as an import does, and runs it once. onProgress runs inside the progress signal. */
inline read_result runReader(int iType, QSqlDatabase* pDatabase, const std::function<void(int)>& onProgress = {})
{
   std::unique_ptr<plugin::odbc_import_process> reader(plugin::odbc_import_process::createReader(iType, pDatabase));
   QSignalSpy spy(reader.get(), &plugin::odbc_import_process::onProcessState);
   if (onProgress) { QObject::connect(reader.get(), &plugin::odbc_import_process::onProcessState, onProgress); }
   read_result read;
   read.result = reader->startProcess();
   read.tables = reader->getListOfTables();
   for (const QList<QVariant>& args : spy) { read.progress.append(args.at(0).toInt()); }
   return read;
}

/** Creates the database with ddl on the engine's test server and reads it once with the engine's reader. */
inline read_result readNew(engine_type engine, const QString& sName, const QStringList& lstDdl)
{
   const auto pConnection = connectNew(engine, sName, lstDdl);
   return (pConnection ? runReader(engine, pConnection->db()) : read_result{ vx::VxBool(false, -1, "set-up failed, see the log"), nullptr, {} });
}

/** The table stored under the key of ns + "." + name (catalogue readers), null when absent. */
inline table_ptr findTable(const plugin::type_lst_table_ptr& pTables, const QString& sNamespace, const QString& sName)
{
   return (pTables ? pTables->getByKey(plugin::odbc_import_process::getKey(sNamespace + "." + sName)) : table_ptr());
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
 * Where the columns of a table sit: "cols[a,b] pk[c] fk[name->ns.target(c>x,d>y)] ...", foreign keys
 * sorted; with bSorted every column list sorted too (for servers that return columns in no fixed order).
 */
inline QString layout(const table_ptr& pTable, bool bSorted = false)
{
   QString s = "cols[" + columnNames(pTable->getListOfColumns(), bSorted).join(",") + "] pk[" + columnNames(pTable->getPrimaryKey()->getListColumns(), bSorted).join(",") + "]";
   QStringList lstForeignKeys;
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
      lstForeignKeys.append("fk[" + pForeignKey->getConstraintName() + "->" + (sNamespace.isEmpty() ? QString() : (sNamespace + ".")) + pForeignKey->getTargetTable() + "(" + lstPairs.join(",") + ")]");
   }
   lstForeignKeys.sort();
   return QStringList(QStringList(s) + lstForeignKeys).join(" ");
}

/** A column of the table by name, wherever it sits (column list, primary key, foreign keys), null when absent. */
inline column_ptr findColumn(const table_ptr& pTable, const QString& sName)
{
   const long lKey = plugin::odbc_import_process::getKey(sName);
   if (column_ptr p = pTable->getListOfColumns()->getByKey(lKey)) { return p; }
   if (column_ptr p = pTable->getPrimaryKey()->getListColumns()->getByKey(lKey)) { return p; }
   for (long i = 0; i < pTable->getListOfRelations()->count(); ++i)
   {
      if (column_ptr p = pTable->getListOfRelations()->getByIndex(i)->getListColumns()->getByKey(lKey)) { return p; }
   }
   return column_ptr();
}

/** What a catalogue reader stored on a column: "sql type|value type|default|not null or null|description". */
inline QString describe(const column_ptr& pColumn)
{
   if (! pColumn) { return "(missing)"; }
   return QString("%1|%2|%3|%4|%5").arg(pColumn->getSqlType()).arg(pColumn->getType().toInt()).arg(pColumn->getDefaultValue(), (pColumn->getNotNull() ? "not null" : "null"), pColumn->getDescription());
}

/** Data columns of verifyPlacement: table name, expected layout. */
inline void addPlacementData() { QTest::addColumn<QString>("table"); QTest::addColumn<QString>("expected"); }

/** Body of a data-driven test (addPlacementData) of where the columns of a table of the empty namespace sit; v_line alone is a view. */
inline void verifyPlacement(const plugin::type_lst_table_ptr& pTables, bool bSorted)
{
   QFETCH(QString, table);
   QFETCH(QString, expected);
   const table_ptr pTable = findTable(pTables, QString(), table);
   QVERIFY(pTable);
   QCOMPARE(pTable->getNamespace(), QString());
   QCOMPARE(pTable->getIsView(), (table == "v_line"));
   QCOMPARE(layout(pTable, bSorted), expected);
}

/** Data columns of verifyColumn: table name, column name, expected description. */
inline void addColumnData() { QTest::addColumn<QString>("table"); QTest::addColumn<QString>("column"); QTest::addColumn<QString>("expected"); }

/** Body of a data-driven test (addColumnData) of what the reader stored on a column of a table of the empty namespace. */
inline void verifyColumn(const plugin::type_lst_table_ptr& pTables)
{
   QFETCH(QString, table);
   QFETCH(QString, column);
   QFETCH(QString, expected);
   const table_ptr pTable = findTable(pTables, QString(), table);
   QVERIFY(pTable);
   QCOMPARE(describe(findColumn(pTable, column)), expected);
}

/**
 * Breaks of the model rules that hold for every table a catalogue reader builds: keys are the hashes
 * of their texts, TABLE_HASH_ID is the table key as a 64-bit integer, every column points back at its
 * table and at the keys holding it (so a column in two foreign keys must be two objects), a column in
 * the table's list sits in no key, views have no keys.
 */
inline QStringList shapeProblems(const plugin::type_lst_table_ptr& pTables)
{
   using plugin::odbc_import_process;
   QStringList lst;
   if (! pTables) { return QStringList("no list of tables"); }
   for (long i = 0; i < pTables->count(); ++i)
   {
      const table_ptr pTable = pTables->getByIndex(i);
      const QString sWhere = pTable->getNamespace() + "." + pTable->getName();
      const long lKey = odbc_import_process::getKey(sWhere);
      if (pTables->getKeyByIndex(i) != lKey) { lst.append(sWhere + ": table key"); }
      const QVariant vHash = pTable->getMetaData("TABLE_HASH_ID");
      if ((vHash.userType() != QMetaType::LongLong) || (vHash.toLongLong() != static_cast<qlonglong>(lKey))) { lst.append(sWhere + ": TABLE_HASH_ID " + vHash.toString()); }
      const auto pPrimaryKey = pTable->getPrimaryKey();
      if (! pPrimaryKey || ! pTable->getListOfColumns() || ! pTable->getListOfRelations()) { lst.append(sWhere + ": key or list missing"); continue; }
      if (pPrimaryKey->getTable() != pTable) { lst.append(sWhere + ": primary key's table"); }
      if (pTable->getIsView() && ((pPrimaryKey->getListColumns()->count() > 0) || (pTable->getListOfRelations()->count() > 0))) { lst.append(sWhere + ": view with keys"); }
      auto check = [&](const column_list_ptr& pColumns, const QString& sList, const std::function<bool(const column_ptr&)>& isPlaced) {
         for (long c = 0; c < pColumns->count(); ++c)
         {
            const column_ptr pColumn = pColumns->getByIndex(c);
            const QString sColumn = sWhere + "." + pColumn->getName() + " in " + sList + ": ";
            if (pColumns->getKeyByIndex(c) != odbc_import_process::getKey(pColumn->getName())) { lst.append(sColumn + "column key"); }
            if (pColumn->getTable() != pTable) { lst.append(sColumn + "table"); }
            if (pColumn->getType().userType() != QMetaType::Int) { lst.append(sColumn + "value type is no int"); }
            if (! isPlaced(pColumn)) { lst.append(sColumn + "key pointers"); }
         }
      };
      const auto pRelations = pTable->getListOfRelations();
      check(pTable->getListOfColumns(), "columns", [&](const column_ptr& p) {
         const long lColumn = odbc_import_process::getKey(p->getName());
         bool bInKey = pPrimaryKey->getListColumns()->exist(lColumn);
         for (long f = 0; f < pRelations->count(); ++f) { bInKey = bInKey || pRelations->getByIndex(f)->getListColumns()->exist(lColumn); }
         return (! p->getPrimaryKey() && ! p->getForeignKey() && ! bInKey);
      });
      check(pPrimaryKey->getListColumns(), "primary key", [&](const column_ptr& p) { return (p->getPrimaryKey() == pPrimaryKey); });
      for (long f = 0; f < pRelations->count(); ++f)
      {
         const foreign_key_ptr pForeignKey = pRelations->getByIndex(f);
         if (pForeignKey->getTable() != pTable) { lst.append(sWhere + ": foreign key's table"); }
         // SQLite keys its foreign keys by their number, the other engines by constraint name
         if (! pForeignKey->getConstraintName().isEmpty() && (pRelations->getKeyByIndex(f) != odbc_import_process::getKey(pForeignKey->getConstraintName())))
         { lst.append(sWhere + ": key of " + pForeignKey->getConstraintName()); }
         check(pForeignKey->getListColumns(), "foreign key " + pForeignKey->getConstraintName(), [&](const column_ptr& p) {
            const bool bPrimary = pPrimaryKey->getListColumns()->exist(odbc_import_process::getKey(p->getName()));
            return ((p->getForeignKey() == pForeignKey) && (bPrimary == (p->getPrimaryKey() == pPrimaryKey)));
         });
      }
   }
   return lst;
}

} // namespace kel_readers

/** Skips (or fails under CI) when the server of the engine is not running. */
#define KEL_REQUIRE_ENGINE(engine)                                                                 \
   do {                                                                                          \
      if ((engine) == kel_readers::k_postgresql) { KEL_REQUIRE_POSTGRESQL(); }                   \
      if ((engine) == kel_readers::k_mysql) { KEL_REQUIRE_MYSQL(); }                             \
   } while (false)

#define KEL_VERIFY_SHAPE(tables)                                                                   \
   do {                                                                                          \
      const QStringList lstProblems = kel_readers::shapeProblems(tables);                        \
      QVERIFY2(lstProblems.isEmpty(), qPrintable(lstProblems.join("\n")));                      \
   } while (false)

#endif // KEL_TESTS_READERS_READER_SUPPORT_H
