// The catalogue readers on the Sakila sample schema, loaded by tests/services/with_servers.sh from
// the shared fixtures. What the model must hold is taken from the script text itself: the tables,
// the views and every foreign key the script declares.
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include "catalogue_emulation.h"
#include "reader_support.h"

using namespace kel_readers;

namespace {

// "col>target,..." sorted, of the column lists of a FOREIGN KEY (...) REFERENCES t (...) clause
QString pairs(QString sColumns, QString sTargets)
{
   const QRegularExpression noise("[\\s`\"]");
   const QStringList lstColumns = sColumns.remove(noise).split(','), lstTargets = sTargets.remove(noise).split(',');
   QStringList lst;
   for (int i = 0; i < lstColumns.count(); ++i) { lst.append(lstColumns.at(i) + ">" + lstTargets.value(i)); }
   lst.sort();
   return lst.join(",");
}

struct declared_schema
{
   QStringList tables, views;
   QStringList foreignKeys; // "table: fk[name->target(col>target,...)]", as layout() shows them
};

// Tables, views and foreign keys a Sakila script declares outside its comments. A foreign key
// belongs to the table of the CREATE TABLE or ALTER TABLE statement it stands in.
declared_schema parseScript(const QString& sFile)
{
   declared_schema schema;
   QFile file(sFile);
   if (! file.open(QIODevice::ReadOnly)) { return schema; }
   QString sql = QString::fromUtf8(file.readAll());
   sql.remove(QRegularExpression("/\\*.*?\\*/", QRegularExpression::DotMatchesEverythingOption)).remove(QRegularExpression("--[^\n]*"));
   const auto ci = QRegularExpression::CaseInsensitiveOption;
   const QRegularExpression table("\\b(CREATE\\s+TABLE|ALTER\\s+TABLE(?:\\s+ONLY)?)\\s+[`\"]?(?:\\w+[`\"]?\\.[`\"]?)?(\\w+)", ci);
   const QRegularExpression view("\\bCREATE\\s+(?:OR\\s+REPLACE\\s+)?(?:DEFINER\\s*=\\s*\\S+\\s+)?(?:SQL\\s+SECURITY\\s+\\w+\\s+)?VIEW\\s+[`\"]?(\\w+)", ci);
   const QRegularExpression foreignKey("CONSTRAINT\\s+[`\"]?(\\w+)[`\"]?\\s+FOREIGN\\s+KEY\\s*\\(([^)]*)\\)\\s*REFERENCES\\s+[`\"]?(\\w+)[`\"]?\\s*\\(([^)]*)\\)", ci);
   for (auto itr = view.globalMatch(sql); itr.hasNext();) { schema.views.append(itr.next().captured(1)); }
   QMap<int, QString> owners; // statement start -> table
   for (auto itr = table.globalMatch(sql); itr.hasNext();)
   {
      const auto match = itr.next();
      owners.insert(match.capturedStart(), match.captured(2));
      if (match.captured(1).startsWith("CREATE", Qt::CaseInsensitive)) { schema.tables.append(match.captured(2)); }
   }
   for (auto itr = foreignKey.globalMatch(sql); itr.hasNext();)
   {
      const auto m = itr.next();
      schema.foreignKeys.append((--owners.upperBound(m.capturedStart())).value() + ": fk[" + m.captured(1) + "->" + m.captured(3) + "(" + pairs(m.captured(2), m.captured(4)) + ")]");
   }
   return schema;
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
      QTest::addColumn<QList<int>>("counts"); // tables, views, foreign keys
      QTest::newRow("mariadb") << int(k_mysql) << "KEL_TEST_SAKILA_MYSQL_DB" << "mysql-sakila-schema.sql" << QList<int>({ 16, 7, 22 });
      // the six payment partitions made with INHERITS are tables of their own, with three foreign keys each
      QTest::newRow("postgresql") << int(k_postgresql) << "KEL_TEST_SAKILA_PG_DB" << "postgres-sakila-schema.sql" << QList<int>({ 21, 7, 40 });
      // actor_info is commented out in the SQLite script
      QTest::newRow("sqlite") << int(k_sqlite) << "KEL_TEST_SAKILA_SQLITE" << "sqlite-sakila-schema.sql" << QList<int>({ 16, 5, 22 });
      // no server of their own: their catalogues, made from the scripts, served by the PostgreSQL test server
      QTest::newRow("sql server") << int(k_mssqlserver) << "" << "sql-server-sakila-schema.sql" << QList<int>({ 16, 5, 22 });
      QTest::newRow("oracle") << int(k_oracle) << "" << "oracle-sakila-schema.sql" << QList<int>({ 16, 5, 22 });
   }
   void sakila()
   {
      QFETCH(int, type);
      QFETCH(QString, variable);
      QFETCH(QString, script);
      QFETCH(QList<int>, counts);
      KEL_REQUIRE(QFile::exists(kel_test::sakilaDir() + "/" + script), "Sakila fixtures in " + kel_test::sakilaDir());
      const bool bEmulated = variable.isEmpty(), bOracle = (type == k_oracle);
      QString sDatabase = (bEmulated ? QString("kel_readers_sakila_%1").arg(type) : qEnvironmentVariable(qPrintable(variable)));
      if (bEmulated) { KEL_REQUIRE_POSTGRESQL(); }
      KEL_REQUIRE(! sDatabase.isEmpty(), variable + " (Sakila loaded by tests/services/with_servers.sh)");

      declared_schema declared = parseScript(kel_test::sakilaDir() + "/" + script);
      QCOMPARE(QList<int>({ declared.tables.count(), declared.views.count(), declared.foreignKeys.count() }), counts);
      if (bEmulated)
      {
         QFile file(kel_test::sakilaDir() + "/" + script);
         QVERIFY(file.open(QIODevice::ReadOnly));
         const auto engine = (bOracle ? kel_emulation::dialect::oracle : kel_emulation::dialect::mssqlserver);
         QCOMPARE(kel_test::createDatabase(k_postgresql, sDatabase, kel_emulation::catalogue(engine, bOracle ? "SAKILA" : "dbo", QString::fromUtf8(file.readAll()))), QString());
         // Oracle keeps unquoted names in upper case
         if (bOracle)
         {
            for (QStringList* p : { &declared.tables, &declared.views, &declared.foreignKeys }) { *p = p->join('\n').toUpper().split('\n'); }
            declared.foreignKeys.replaceInStrings(": FK[", ": fk[").replaceInStrings("->", "->SAKILA.");
         }
      }

      const QString sDsn = ((type == k_mysql) ? kel_test::mysqlDsn(sDatabase) : ((type == k_sqlite) ? kel_test::sqliteDsn(sDatabase) : kel_test::postgresqlDsn(sDatabase)));
      kel_test::connection connection(sDsn);
      QVERIFY2(connection.isOpen(), qPrintable(connection.openError()));
      const read_result read = runReader(type, connection.db());
      QVERIFY2(read.result.getValue(), qPrintable(read.result.getDesc()));
      KEL_VERIFY_SHAPE(read.tables);

      // every table and view, all in the empty namespace (Oracle: the owner's), and every declared foreign key and no other;
      // SQLite keeps no constraint names, so its foreign keys go by target and columns alone
      declared_schema read_back;
      for (long i = 0; i < read.tables->count(); ++i)
      {
         const table_ptr pTable = read.tables->getByIndex(i);
         QCOMPARE(pTable->getNamespace(), QString(bOracle ? "SAKILA" : ""));
         (pTable->getIsView() ? read_back.views : read_back.tables).append(pTable->getName());
         for (const QString& sKey : layout(pTable, true).split(' ').filter(QRegularExpression("^fk\\["))) { read_back.foreignKeys.append(pTable->getName() + ": " + sKey); }
      }
      if (type == k_sqlite) { declared.foreignKeys.replaceInStrings(QRegularExpression(": fk\\[\\w+->"), ": fk[->"); }
      for (QStringList* p : { &declared.tables, &declared.views, &declared.foreignKeys, &read_back.tables, &read_back.views, &read_back.foreignKeys }) { p->sort(); }
      QCOMPARE(read_back.tables, declared.tables);
      QCOMPARE(read_back.views, declared.views);
      QCOMPARE(read_back.foreignKeys, declared.foreignKeys);

      // the two composite primary keys
      for (const QString& sTable : { "film_actor", "film_category" })
      {
         const auto name = [&](const QString& s) { return (bOracle ? s.toUpper() : s); };
         const table_ptr pTable = findTable(read.tables, name(sTable), bOracle ? "SAKILA" : "");
         QVERIFY(pTable);
         QCOMPARE(columnNames(pTable->getPrimaryKey()->getListColumns(), true), QStringList({ name(sTable.mid(5) + "_id"), name("film_id") }));
      }
   }
};

QTEST_GUILESS_MAIN(tst_reader_sakila)
#include "tst_reader_sakila.moc"
