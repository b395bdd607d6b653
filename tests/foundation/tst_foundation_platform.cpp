// What the plug-in relies on in the host's libraries: sessions on a real SQLite project file and
// query results by column name.
#include <QTemporaryDir>
#include <QtTest>

#include <vx/VxDao.h>
#include <vx/VxSqlDatabase.h>
#include <vx/VxSessionHost.h>
#include <vx/VxSqlQuery.h>

#include <context/ctx_project.h>
#include <context/ctx_scoped.h>
#include <model/plugin_params.h>

#include "test_env.h"

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
      rows.insert(rows.count(), row);
   }
   return rows;
}

// "ours/KEY" or "other/KEY" for every row, sorted
const QString k_sRows = "SELECT CASE plugin_guid WHEN '" + k_sGuid + "' THEN 'ours/' ELSE 'other/' END || param_key FROM t_plugin_params ORDER BY 1";

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
      QTest::addColumn<bool>("locked");   // another connection reads in a transaction: every step succeeds, the commit cannot
      // a row without key breaks the NOT NULL constraint after the first new row went in
      QTest::newRow("error rolls back") << QStringList({ "NAMESPACE", QString() }) << true
                                        << QStringList({ "other/DSN", "ours/DSN", "ours/LOGIN" }) << false;
      QTest::newRow("no error commits") << QStringList({ "NAMESPACE", "VERBOSE" }) << false
                                        << QStringList({ "other/DSN", "ours/NAMESPACE", "ours/VERBOSE" }) << false;
      QTest::newRow("failed commit is the result") << QStringList({ "NAMESPACE" }) << true << QStringList({ "other/DSN", "ours/DSN", "ours/LOGIN" }) << true;
   }

   void sessionEndsTransaction()
   {
      QFETCH(QStringList, newKeys);
      QFETCH(bool, fails);
      QFETCH(QStringList, expected);
      QFETCH(bool, locked);
      context::ctx_scoped scoped(context::ctx_project::getSingleton());
      QSqlError error;
      QSqlDatabase project = vx::VxSqlDatabase::getDatabase(error);
      QVERIFY(QSqlQuery(project).exec("DELETE FROM t_plugin_params"));
      QVERIFY(! vx::dao::insert(makeRows({ "DSN", "LOGIN" })).isValid());
      QVERIFY(! vx::dao::insert(makeRows({ "DSN" }, "OTHER")).isValid());
      kel_test::connection reader(m_dir.filePath("project.kel"), "QSQLITE");
      if (locked) { QVERIFY(reader.db()->transaction() && (reader.column(k_sRows).count() == 3)); }
      {
         vx::VxSessionHost session;
         session += vx::dao::delete_by_query<model::plugin_params>(vx::VxSqlQuery("").where("t_plugin_params.plugin_guid", k_sGuid), session.database());
         QVERIFY(session.isValid());
         session += vx::dao::insert(makeRows(newKeys), session.database());
         QCOMPARE(session.isValid(), ! fails || locked);
         QCOMPARE(session.commit().isValid(), fails);
      }
      reader.db()->rollback();
      // the project's connection is out of the transaction, and another one sees the same rows
      QSqlQuery rows(project);
      QVERIFY(rows.exec(k_sRows));
      QStringList lstSeen;
      while (rows.next()) { lstSeen << rows.value(0).toString(); }
      QCOMPARE(lstSeen, expected);
      QCOMPARE(kel_test::connection(m_dir.filePath("project.kel"), "QSQLITE").column(k_sRows), expected);
   }

   // names ignore case; a row, name or position out of range gives an invalid QVariant
   void resultByColumn()
   {
      kel_test::connection db(":memory:", "QSQLITE");
      vx::VxSqlQuery query("SELECT 1 AS Abc, 'x' AS Def UNION ALL SELECT 2, 'y'");
      QVERIFY(! vx::dao::call_query(query, db.db()).isValid());
      const QStringList found = { query.getSqlResultAt(0, QString("abc")).toString(), query.getSqlResultAt(1, QString("ABC")).toString(),
                                  query.getSqlResultAt(1, QString("dEF")).toString(), query.getSqlResultAt(0, 1L).toString() };
      QCOMPARE(found, QStringList({ "1", "2", "y", "x" }));
      for (const QVariant& v : { query.getSqlResultAt(0, QString("abcd")), query.getSqlResultAt(2, QString("abc")), query.getSqlResultAt(0, 2L) }) { QVERIFY(! v.isValid()); }
   }
};

QTEST_MAIN(tst_foundation_platform)
#include "tst_foundation_platform.moc"
