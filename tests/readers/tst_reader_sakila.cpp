// The catalogue readers on the Sakila sample schema, loaded by tests/services/with_servers.sh from
// the shared fixtures. What the model must hold is taken from the script text itself: the tables,
// the views and every foreign key the script declares.
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include "reader_support.h"

using namespace kel_readers;

namespace {

struct declared_foreign_key
{
   QString table, name, target;
   QStringList columns, targetColumns;
};

struct declared_schema
{
   QStringList tables, views;
   QList<declared_foreign_key> foreignKeys;
};

QStringList identifiers(const QString& sList)
{
   QStringList lst;
   for (QString s : sList.split(',')) { lst.append(s.remove('`').remove('"').trimmed()); }
   return lst;
}

// Tables, views and foreign keys a Sakila script declares outside its comments. A foreign key
// belongs to the table of the CREATE TABLE or ALTER TABLE statement it stands in.
declared_schema parseScript(const QString& sFile)
{
   declared_schema schema;
   QFile file(sFile);
   if (! file.open(QIODevice::ReadOnly)) { return schema; }
   QString sql = QString::fromUtf8(file.readAll());
   sql.remove(QRegularExpression("/\\*.*?\\*/", QRegularExpression::DotMatchesEverythingOption));
   sql.remove(QRegularExpression("--[^\n]*"));
   const auto ci = QRegularExpression::CaseInsensitiveOption;
   const QRegularExpression table("\\b(CREATE\\s+TABLE|ALTER\\s+TABLE(?:\\s+ONLY)?)\\s+[`\"]?(?:\\w+[`\"]?\\.[`\"]?)?(\\w+)", ci);
   const QRegularExpression view("\\bCREATE\\s+(?:OR\\s+REPLACE\\s+)?(?:DEFINER\\s*=\\s*\\S+\\s+)?(?:SQL\\s+SECURITY\\s+\\w+\\s+)?VIEW\\s+[`\"]?(\\w+)", ci);
   const QRegularExpression foreignKey("CONSTRAINT\\s+[`\"]?(\\w+)[`\"]?\\s+FOREIGN\\s+KEY\\s*\\(([^)]*)\\)\\s*REFERENCES\\s+[`\"]?(\\w+)[`\"]?\\s*\\(([^)]*)\\)", ci);
   for (auto itr = view.globalMatch(sql); itr.hasNext();) { schema.views.append(itr.next().captured(1)); }
   QList<QPair<int, QString>> lstOwners;
   for (auto itr = table.globalMatch(sql); itr.hasNext();)
   {
      const auto match = itr.next();
      lstOwners.append(qMakePair(match.capturedStart(), match.captured(2)));
      if (match.captured(1).startsWith("CREATE", Qt::CaseInsensitive)) { schema.tables.append(match.captured(2)); }
   }
   for (auto itr = foreignKey.globalMatch(sql); itr.hasNext();)
   {
      const auto match = itr.next();
      declared_foreign_key key;
      for (const auto& owner : lstOwners) { if (owner.first < match.capturedStart()) { key.table = owner.second; } }
      key.name = match.captured(1);
      key.columns = identifiers(match.captured(2));
      key.target = match.captured(3);
      key.targetColumns = identifiers(match.captured(4));
      schema.foreignKeys.append(key);
   }
   return schema;
}

// "col>target,..." of a foreign key, in the script's order or the model's order.
QString pairs(const QStringList& lstColumns, const QStringList& lstTargets)
{
   QStringList lst;
   for (int i = 0; i < lstColumns.count(); ++i) { lst.append(lstColumns.at(i) + ">" + lstTargets.value(i)); }
   lst.sort();
   return lst.join(",");
}

QString pairs(const foreign_key_ptr& pForeignKey)
{
   QStringList lstColumns, lstTargets;
   for (long i = 0; i < pForeignKey->getListColumns()->count(); ++i)
   {
      lstColumns.append(pForeignKey->getListColumns()->getByIndex(i)->getName());
      lstTargets.append(pForeignKey->getListColumns()->getByIndex(i)->getTargetColumn());
   }
   return pairs(lstColumns, lstTargets);
}

} // namespace

class tst_reader_sakila : public QObject
{
   Q_OBJECT

private Q_SLOTS:
   void sakila_data()
   {
      QTest::addColumn<int>("type");
      QTest::addColumn<QString>("variable");
      QTest::addColumn<QString>("script");
      QTest::addColumn<int>("tableCount");
      QTest::addColumn<int>("viewCount");
      QTest::addColumn<int>("foreignKeyCount");
      QTest::newRow("mariadb") << int(k_mysql) << "KEL_TEST_SAKILA_MYSQL_DB" << "mysql-sakila-schema.sql" << 16 << 7 << 22;
      // the six payment partitions made with INHERITS are tables of their own, with three foreign keys each
      QTest::newRow("postgresql") << int(k_postgresql) << "KEL_TEST_SAKILA_PG_DB" << "postgres-sakila-schema.sql" << 21 << 7 << 40;
      // actor_info is commented out in the SQLite script
      QTest::newRow("sqlite") << int(k_sqlite) << "KEL_TEST_SAKILA_SQLITE" << "sqlite-sakila-schema.sql" << 16 << 5 << 22;
   }
   void sakila()
   {
      QFETCH(int, type);
      QFETCH(QString, variable);
      QFETCH(QString, script);
      QFETCH(int, tableCount);
      QFETCH(int, viewCount);
      QFETCH(int, foreignKeyCount);
      KEL_REQUIRE(QFile::exists(kel_test::sakilaDir() + "/" + script), "Sakila fixtures in " + kel_test::sakilaDir());
      const QString sDatabase = qEnvironmentVariable(qPrintable(variable));
      KEL_REQUIRE(! sDatabase.isEmpty(), variable + " (Sakila loaded by tests/services/with_servers.sh)");

      const declared_schema declared = parseScript(kel_test::sakilaDir() + "/" + script);
      QCOMPARE(declared.tables.count(), tableCount);
      QCOMPARE(declared.views.count(), viewCount);
      QCOMPARE(declared.foreignKeys.count(), foreignKeyCount);

      const QString sDsn = ((type == k_mysql) ? kel_test::mysqlDsn(sDatabase) : ((type == k_postgresql) ? kel_test::postgresqlDsn(sDatabase) : kel_test::sqliteDsn(sDatabase)));
      kel_test::connection connection(sDsn);
      QVERIFY2(connection.isOpen(), qPrintable(connection.openError()));
      const read_result read = runReader(type, connection.db());
      QVERIFY2(read.result.getValue(), qPrintable(read.result.getDesc()));
      KEL_VERIFY_SHAPE(read.tables);

      QStringList lstTables, lstViews;
      for (long i = 0; i < read.tables->count(); ++i)
      {
         const table_ptr pTable = read.tables->getByIndex(i);
         QCOMPARE(pTable->getNamespace(), QString());
         (pTable->getIsView() ? lstViews : lstTables).append(pTable->getName());
      }
      lstTables.sort();
      lstViews.sort();
      QStringList lstDeclaredTables = declared.tables, lstDeclaredViews = declared.views;
      lstDeclaredTables.sort();
      lstDeclaredViews.sort();
      QCOMPARE(lstTables, lstDeclaredTables);
      QCOMPARE(lstViews, lstDeclaredViews);

      // the two composite primary keys, each column also in a foreign key of its own
      const table_ptr pFilmActor = findTable(read.tables, "", "film_actor");
      const table_ptr pFilmCategory = findTable(read.tables, "", "film_category");
      QVERIFY(pFilmActor && pFilmCategory);
      QCOMPARE(columnNames(pFilmActor->getPrimaryKey()->getListColumns(), true), QStringList({ "actor_id", "film_id" }));
      QCOMPARE(columnNames(pFilmActor->getListOfColumns()), QStringList({ "last_update" }));
      QCOMPARE(columnNames(pFilmCategory->getPrimaryKey()->getListColumns(), true), QStringList({ "category_id", "film_id" }));
      QCOMPARE(columnNames(pFilmCategory->getListOfColumns()), QStringList({ "last_update" }));

      // every declared foreign key, and no other
      int iForeignKeys = 0;
      for (long i = 0; i < read.tables->count(); ++i) { iForeignKeys += read.tables->getByIndex(i)->getListOfRelations()->count(); }
      QCOMPARE(iForeignKeys, declared.foreignKeys.count());
      for (const declared_foreign_key& key : declared.foreignKeys)
      {
         const table_ptr pTable = findTable(read.tables, "", key.table);
         QVERIFY2(pTable, qPrintable(key.table));
         const auto pRelations = pTable->getListOfRelations();
         foreign_key_ptr pFound;
         for (long i = 0; i < pRelations->count(); ++i)
         {
            const foreign_key_ptr p = pRelations->getByIndex(i);
            // SQLite keeps no constraint names: its foreign keys are told apart by their columns
            const bool bSame = ((type == k_sqlite) ? ((p->getTargetTable() == key.target) && (pairs(p) == pairs(key.columns, key.targetColumns)))
                                                   : (p->getConstraintName() == key.name));
            if (bSame) { pFound = p; }
         }
         QVERIFY2(pFound, qPrintable(key.table + ": " + key.name));
         QCOMPARE(pFound->getTargetTable(), key.target);
         QCOMPARE(pFound->getTargetTableNamespace(), QString());
         QCOMPARE(pairs(pFound), pairs(key.columns, key.targetColumns));
      }
   }
};

QTEST_GUILESS_MAIN(tst_reader_sakila)
#include "tst_reader_sakila.moc"
