// What the plug-in relies on in the host's libraries: sessions on a real SQLite project file,
// query results by column name, and the host's command-line access.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <vx/VxDao.h>
#include <vx/VxSession.h>
#include <vx/VxSqlQuery.h>

#include <context/ctx_project.h>
#include <context/ctx_scoped.h>
#include <model/plugin_params.h>
#include <view/main_wnd.h>

using Params = vx::VxCollection<long, std::shared_ptr<model::plugin_params>>;

namespace {

const QString k_sGuid = QStringLiteral("0B7E5C21-6A3D-4F88-9D02-E4C1A7F35B90_WND_ODBC_IMPORT");

Params makeRows(const QStringList& keys, const QString& sGuid = k_sGuid)
{
   Params rows;
   for (const QString& key : keys)
   {
      auto row = std::make_shared<model::plugin_params>();
      row->setGuid(sGuid);
      row->setParamKey(key);
      row->setParamValue(key.toLower());
      rows.insert(rows.count(), row);
   }
   return rows;
}

vx::VxSqlQuery byGuid() { return vx::VxSqlQuery("").where("t_plugin_params.plugin_guid", k_sGuid); }

// "ours/KEY" or "other/KEY" for every row that the connection sees, sorted
QStringList rowsSeenBy(const QSqlDatabase& db)
{
   QStringList lst;
   QSqlQuery q(db);
   if (q.exec("SELECT plugin_guid, param_key FROM t_plugin_params"))
   {
      while (q.next()) { lst.append(((q.value(0).toString() == k_sGuid) ? "ours/" : "other/") + q.value(1).toString()); }
   }
   lst.sort();
   return lst;
}

} // namespace

class tst_foundation_platform : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;

private Q_SLOTS:
   void initTestCase()
   {
      QVERIFY(m_dir.isValid());
      const vx::VxBool opened = context::ctx_project::openProject(m_dir.filePath("project.kel"));
      QVERIFY2(opened.getValue(), qPrintable(opened.getDesc()));
   }

   void cleanupTestCase() { context::ctx_project::closeProject(); }

   void sessionEndsTransaction_data()
   {
      QTest::addColumn<QStringList>("newKeys");
      QTest::addColumn<bool>("fails");
      QTest::addColumn<QStringList>("expected");
      // a row without key breaks the NOT NULL constraint after the first new row went in
      QTest::newRow("error rolls back") << QStringList({ "NAMESPACE", QString() }) << true
                                        << QStringList({ "other/DSN", "ours/DSN", "ours/LOGIN" });
      QTest::newRow("no error commits") << QStringList({ "NAMESPACE", "VERBOSE" }) << false
                                        << QStringList({ "other/DSN", "ours/NAMESPACE", "ours/VERBOSE" });
   }

   void sessionEndsTransaction()
   {
      QFETCH(QStringList, newKeys);
      QFETCH(bool, fails);
      QFETCH(QStringList, expected);
      context::ctx_scoped scoped(context::ctx_project::getSingleton());
      QSqlError error;
      QSqlDatabase project = vx::VxSqlDatabase::getDatabase(error);
      QVERIFY(QSqlQuery(project).exec("DELETE FROM t_plugin_params"));
      QVERIFY(! vx::dao::insert(makeRows({ "DSN", "LOGIN" })).isValid());
      QVERIFY(! vx::dao::insert(makeRows({ "DSN" }, "OTHER")).isValid());
      {
         vx::VxSession session;
         QVERIFY(session.isValid());
         session += vx::dao::delete_by_query<model::plugin_params>(byGuid(), session.database());
         QVERIFY(session.isValid());
         session += vx::dao::insert(makeRows(newKeys), session.database());
         QCOMPARE(session.isValid(), ! fails);
         QCOMPARE(session.firstError().isValid(), fails);
      }
      // the project's connection is out of the transaction, and another one sees the same rows
      QCOMPARE(rowsSeenBy(project), expected);
      {
         QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
         other.setDatabaseName(m_dir.filePath("project.kel"));
         QVERIFY(other.open());
         QCOMPARE(rowsSeenBy(other), expected);
      }
      QSqlDatabase::removeDatabase("other");
   }

   void resultByColumn_data()
   {
      QTest::addColumn<long>("row");
      QTest::addColumn<QVariant>("column");
      QTest::addColumn<QVariant>("expected");
      QTest::newRow("abc") << 0L << QVariant("abc") << QVariant(1);
      QTest::newRow("ABC") << 1L << QVariant("ABC") << QVariant(2);
      QTest::newRow("dEF") << 1L << QVariant("dEF") << QVariant("y");
      QTest::newRow("position 1") << 0L << QVariant(1) << QVariant("x");
      QTest::newRow("unknown name") << 0L << QVariant("abcd") << QVariant();
      QTest::newRow("row 2") << 2L << QVariant("abc") << QVariant();
      QTest::newRow("row -1") << -1L << QVariant("abc") << QVariant();
      QTest::newRow("position 2") << 0L << QVariant(2) << QVariant();
      QTest::newRow("position -1") << 0L << QVariant(-1) << QVariant();
   }

   void resultByColumn()
   {
      QFETCH(long, row);
      QFETCH(QVariant, column);
      QFETCH(QVariant, expected);
      {
         QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "results");
         db.setDatabaseName(":memory:");
         QVERIFY(db.open());
         vx::VxSqlQuery query("SELECT 1 AS Abc, 'x' AS Def UNION ALL SELECT 2, 'y'");
         QVERIFY(! vx::dao::call_query(query, &db).isValid());
         QCOMPARE(query.getSqlResultRowCount(), 2L);
         const QVariant actual = ((column.type() == QVariant::String) ? query.getSqlResultAt(row, column.toString())
                                                                      : query.getSqlResultAt(row, long(column.toInt())));
         QCOMPARE(actual.isValid(), expected.isValid());
         if (expected.isValid()) { QCOMPARE(actual.toString(), expected.toString()); }
      }
      QSqlDatabase::removeDatabase("results");
   }

   void appArg_data()
   {
      QTest::addColumn<QStringList>("args");
      QTest::addColumn<QString>("name");
      QTest::addColumn<QStringList>("expected");
      const QString dsn = "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;Database=shop";
      QTest::newRow("value whole") << QStringList({ "kelmar", "--KelOdbcImport_dsn=" + dsn, "--KelOdbcImport_db_type=1" })
                                   << "--KelOdbcImport_dsn" << QStringList({ dsn });
      QTest::newRow("several in order") << QStringList({ "kelmar", "--KelOdbcImport_namespace=b", "--other=x", "--KelOdbcImport_namespace=a=c" })
                                        << "--KelOdbcImport_namespace" << QStringList({ "b", "a=c" });
      QTest::newRow("absent") << QStringList({ "kelmar", "--KelOdbcImport_db_type=1" }) << "--KelOdbcImport_dsn" << QStringList();
      QTest::newRow("longer name or no value") << QStringList({ "kelmar", "--KelOdbcImport_dsnX=1", "--KelOdbcImport_dsn" })
                                               << "--KelOdbcImport_dsn" << QStringList();
   }

   void appArg()
   {
      QFETCH(QStringList, args);
      QFETCH(QString, name);
      QFETCH(QStringList, expected);
      view::main_wnd wnd;
      wnd.setAppArgs(args);
      QCOMPARE(wnd.getAppArg(name), expected);
   }
};

QTEST_MAIN(tst_foundation_platform)
#include "tst_foundation_platform.moc"
