// What the plug-in stands on: the connection it opens (bounded waits on a silent server, accounts,
// data-source names, SQLite paths), the stored type mapping, the project session, the module as the
// host loads it, and the host's importer fed by the real readers.
#include <QtTest>
#include <QJsonDocument>

#include <vx/VxCollection.h>
#include <vx/VxDao.h>
#include <vx/VxSerializeQt.h>
#include <vx/VxSessionHost.h>

#include <context/ctx_project.h>
#include <context/ctx_scoped.h>
#include <model/plugin_params.h>
#include <plugin/generic_importer.h>
#include <plugin/import_interface.h>

#include "odbc_import_connect_error.h"
#include "odbc_import_driver_manager.h"
#include "odbc_import_connection.h"
#include "odbc_import_read.h"
#include "silent_proxy.h"
#include "test_env.h"

Q_DECLARE_METATYPE(model::entity)

namespace {

/** The names of the tables the plug-in's read finds (it makes and closes the connection), else why not. */
QString tablesRead(const plugin::odbc_import_source& source)
{
   plugin::odbc_import_read read(source);
   if (! read.run().getValue()) { return ((read.isConnectionError() ? "not open: " : "failed: ") + read.getResult().getDesc()); }
   QStringList lst;
   for (long i = 0; i < read.getListOfTables()->count(); ++i) { lst << read.getListOfTables()->getByIndex(i)->getName(); }
   return lst.join(',');
}

/** The items of a file of this folder, as the separator cuts them. */
QStringList itemsOf(const char* szFile, const char* szSeparator)
{
   QFile file(QString(KEL_SOURCE_DIR "/tests/foundation/") + szFile);
   return (file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(QRegularExpression(szSeparator), Qt::SkipEmptyParts) : QStringList());
}

// magic 000024DE, count, then each text as its byte length and UTF-16BE units: "int4" "int" "text" "QString"
const QByteArray k_twoPairs = QByteArray::fromHex("000024DE 00000002 00000008 0069006E00740034 00000006 0069006E0074"
                                                  "00000008 0074006500780074 0000000E 00510053007400720069006E0067");

// the decoration and collection options are cast from ints: any int must be a value of these enumerations
static_assert(std::is_same<std::underlying_type<model::property_type::enum_decoration>::type, int>::value
              && std::is_same<std::underlying_type<model::property_type::enum_collection>::type, int>::value, "decoration and collection values are ints");

} // namespace

class tst_foundation : public QObject
{
   Q_OBJECT

   QTemporaryDir m_dir;
   kel_test::silent_proxy m_silentPostgreSQL { 0, 30 };   // silent from the start
   kel_test::silent_proxy m_silentMariaDB { kel_test::env("KEL_TEST_MYSQL_PORT").toInt(), 30, "information_schema" };   // once the catalogue is asked for
   kel_test::silent_proxy m_silentAfterLogin { kel_test::env("KEL_TEST_PG_PORT").toInt(), 30, "pg_class" };
   // silent once the catalogue-wide keys are asked for, then gone: the link drops in the middle of the read
   kel_test::silent_proxy m_droppingPostgreSQL { kel_test::env("KEL_TEST_PG_PORT").toInt(), 1, "pg_index" };
   kel_test::silent_proxy m_droppingMariaDB { kel_test::env("KEL_TEST_MYSQL_PORT").toInt(), 1, "key_column_usage" };

private Q_SLOTS:
   void initTestCase()
   {
      // data sources of the user's own, for the driver manager of this process only
      QFile ini(m_dir.filePath("odbc.ini"));
      QVERIFY(ini.open(QIODevice::WriteOnly) && (ini.write(("[kel_shop]\nDriver=SQLite3\nDatabase=" + m_dir.filePath("dsn.db") + "\n"
                                                            "[kel_new]\nDriver=SQLite3\nNoCreat=0\nDatabase=" + m_dir.filePath("new.db") + "\n[kel_gone]\nDriver=Gone Driver\n").toUtf8()) > 0) && ini.flush());
      qputenv("ODBCINI", QFile::encodeName(ini.fileName()));
      for (const QString& sFile : { "dsn.db", "shöp.db", "店 #1 100%.db" }) { QCOMPARE(kel_test::makeSqlite(m_dir.filePath(sFile), { "CREATE TABLE shop (id INT)" }), QString()); }
      // short enough for a test, long enough for a loaded machine to log in
      plugin::odbc_import_connection::setLoginTimeout(3);
      plugin::odbc_import_connection::setReadTimeout(3);
   }
   void cleanupTestCase() { context::ctx_project::closeProject(); }

   // a login and a password holding ; { } = and a keyword: they log in with exactly that text, in the database asked for
   void account()
   {
      KEL_REQUIRE_MYSQL();
      const QString sLogin("kel;{x}}"), sPassword("a;b{c}d=e}};Database=mysql"), sUser("'kel;{x}}'@'%'");
      QCOMPARE(kel_test::createDatabase(kel_test::k_mysql, "kel_accounts", { "CREATE TABLE t (id INT)" }), QString());
      QCOMPARE(kel_test::connection(kel_test::mysqlDsn(QString())).exec({ "DROP USER IF EXISTS " + sUser, "CREATE USER " + sUser + " IDENTIFIED BY '" + sPassword + "'", "GRANT SELECT ON kel_accounts.* TO " + sUser }), QString());
      const QString sDsn = QString("Driver={MariaDB Unicode};Server=127.0.0.1;Port=%1;Database=kel_accounts").arg(kel_test::env("KEL_TEST_MYSQL_PORT"));
      QCOMPARE(tablesRead({ kel_test::k_mysql, sDsn, sLogin, sPassword }), QString("t"));
      QVERIFY(tablesRead({ kel_test::k_mysql, sDsn, sLogin, sPassword + "x" }).contains("Access denied"));
   }

   // What a read through the plug-in's reading program finds. Data-source names: with a login Qt would take for
   // part of a connection string, with settings of their own. SQLite paths with non-ASCII letters, # and %: the
   // file is read, no other file appears, a missing one is an error. A server that accepts and then never
   // answers, at the login or once the read began, ends the read before the proxy closes everything itself
   // after 30 s (released()), whatever the driver. A driver that crashes ends the reading program only.
   void read_data()
   {
      QTest::addColumn<int>("iType");
      QTest::addColumn<QString>("sDsn");
      QTest::addColumn<QString>("sLogin");
      QTest::addColumn<QString>("sRead");
      QTest::newRow("name, login with ;") << int(kel_test::k_sqlite) << "kel_shop" << "me;Server=x" << "shop";
      QTest::newRow("name, may create its file") << int(kel_test::k_sqlite) << "kel_new" << "" << "failed";   // open, with no table
      QTest::newRow("umlaut, generic reader") << int(kel_test::k_generic) << kel_test::sqliteDsn(m_dir.filePath("shöp.db")) << "" << "shop";
      QTest::newRow("CJK, space, # and %") << int(kel_test::k_sqlite) << kel_test::sqliteDsn(m_dir.filePath("店 #1 100%.db")) << "" << "shop";
      QTest::newRow("missing, umlaut") << int(kel_test::k_sqlite) << kel_test::sqliteDsn(m_dir.filePath("göne.db")) << "" << "not open";
      auto through = [](QString sDsn, const kel_test::silent_proxy& proxy) { return sDsn.replace(QRegularExpression("Port=\\d+"), QString("Port=%1").arg(proxy.port())); };
      QTest::newRow("PostgreSQL silent at the login") << int(kel_test::k_postgresql) << through(kel_test::postgresqlDsn("postgres"), m_silentPostgreSQL) << "" << "not open";
      QTest::newRow("MariaDB silent at the login") << int(kel_test::k_mysql) << through(kel_test::mysqlDsn("mysql"), m_silentPostgreSQL) << ""
         << "not open: The database server could not be reached at 127.0.0.1:";
      QTest::newRow("MariaDB silent in the read") << int(kel_test::k_mysql) << through(kel_test::mysqlDsn("mysql"), m_silentMariaDB) << "" << "failed";
      QTest::newRow("PostgreSQL silent in the read") << int(kel_test::k_postgresql) << through(kel_test::postgresqlDsn("postgres"), m_silentAfterLogin) << ""
         << "failed: The database server did not answer within 3 s while the read waited for the list of tables: the read was stopped and nothing was imported.";
      // said as a lost connection, with no table-by-table read on the dead link
      QTest::newRow("PostgreSQL link lost in the read") << int(kel_test::k_postgresql) << through(kel_test::postgresqlDsn("kel_foundation_lost"), m_droppingPostgreSQL) << ""
         << "failed: The connection to the database server was lost : ";
      QTest::newRow("MariaDB link lost in the read") << int(kel_test::k_mysql) << through(kel_test::mysqlDsn("mysql"), m_droppingMariaDB) << ""
         << "failed: The connection to the database server was lost : ";
      const QString sTds = QString("Driver={FreeTDS};Server=127.0.0.1;Port=%1;Database=master;TDS_Version=7.4;Uid=sa;Pwd=x").arg(m_silentPostgreSQL.port());
      QTest::newRow("FreeTDS silent at the login, SQL Server type") << int(kel_test::k_mssqlserver) << sTds << "" << "not open";
      QTest::newRow("FreeTDS silent at the login, generic") << int(kel_test::k_generic) << sTds << "" << "not open";
      QTest::newRow("driver crashes") << int(kel_test::k_generic) << QString("Driver=" KEL_CRASH_DRIVER_FILE) << ""
         << "failed: The " KEL_CRASH_DRIVER_FILE " driver stopped the reading process: ";
   }

   void read()
   {
      QFETCH(int, iType);
      QFETCH(QString, sDsn);
      QFETCH(QString, sLogin);
      QFETCH(QString, sRead);
      if (iType == kel_test::k_postgresql) { KEL_REQUIRE_POSTGRESQL(); } else if (iType == kel_test::k_mysql) { KEL_REQUIRE_MYSQL(); }
      if (sDsn.contains("kel_foundation_lost")) { QCOMPARE(kel_test::createDatabase(kel_test::k_postgresql, "kel_foundation_lost", { "CREATE TABLE t (id INT PRIMARY KEY)" }), QString()); }
      const QString sResult = tablesRead({ iType, sDsn, sLogin });
      QVERIFY2(sResult.startsWith(sRead) && ! m_silentPostgreSQL.released() && ! m_silentMariaDB.released() && ! m_silentAfterLogin.released(), qPrintable(sResult));
      QVERIFY2(! sRead.contains("stopped the reading process") || sResult.endsWith("nothing was imported.") || sResult.contains("nothing was imported.\n\n"), qPrintable(sResult));
      QCOMPARE(QDir(m_dir.path()).entryList({ "*ö*", "*店*" }, QDir::Files), QStringList({ "shöp.db", "店 #1 100%.db" }));
   }

   // every data source of odbc.ini, however many (the driver manager's own listing stopped at a few hundred of 5,000)
   void dataSources()
   {
      QCOMPARE(plugin::odbc_import_driver_manager::getDataSources(), QStringList({ "kel_gone", "kel_new", "kel_shop" }));
      QFile many(m_dir.filePath("many.ini"));
      QVERIFY(many.open(QIODevice::WriteOnly));
      for (int i = 0; i < 2000; ++i) { many.write(QString("[kel_%1]\nDriver=SQLite3\nDatabase=/nowhere/%1.db\n").arg(i, 4, 10, QChar('0')).toUtf8()); }
      many.close();
      const QByteArray ini = qgetenv("ODBCINI");
      qputenv("ODBCINI", QFile::encodeName(many.fileName()));
      const QStringList lst = plugin::odbc_import_driver_manager::getDataSources();
      qputenv("ODBCINI", ini);
      QCOMPARE(lst.count(), 2000);
      QCOMPARE(lst.value(1999), QString("kel_1999"));
   }

   // a connection that fails says first, in plain words, what is wrong, then gives the driver's own text
   void connectError_data()
   {
      QTest::addColumn<QString>("sDsn");
      QTest::addColumn<QString>("sFirst");
      QTest::newRow("driver not installed") << "Driver={No Such Driver}" << "The ODBC driver \"No Such Driver\" is not installed. Installed drivers: ";
      QTest::newRow("no such data source") << "DSN=kel_nowhere" << "No ODBC data source is named \"kel_nowhere\". Data sources: ";
      QTest::newRow("data source of a driver not installed") << "DSN=kel_gone" << "The data source \"kel_gone\" uses the ODBC driver \"Gone Driver\", which is not installed. Installed drivers: ";
      QTest::newRow("nothing listening") << "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1" << "The database server could not be reached at 127.0.0.1:1: ";
      QTest::newRow("login refused") << (kel_test::mysqlDsn(QString()) + "x") << "The server refused the login \"kel\": ";
   }
   void connectError()
   {
      QFETCH(QString, sDsn);
      QFETCH(QString, sFirst);
      if (sDsn.contains("MariaDB")) { KEL_REQUIRE_MYSQL(); }
      const QString sDriverText = kel_test::odbcOpenError(sDsn), sMessage = plugin::odbc_import_connect_error::getMessage(sDsn, sDriverText);
      QVERIFY2(sMessage.startsWith(sFirst) && sMessage.endsWith("\n\nError connecting to database :\n" + sDriverText) && ! sDriverText.isEmpty(), qPrintable(sMessage));
      QVERIFY(! sFirst.startsWith("No ODBC data source") || sMessage.contains("kel_shop"));
   }

   // the verbose line never shows the password, whatever the segments around it
   void maskedPassword()
   {
      QCOMPARE(plugin::odbc_import_connection::maskPassword("DSN=shop;;PWD=secret"), QString("DSN=shop;;PWD=****"));
      QCOMPARE(plugin::odbc_import_connection::maskPassword("Driver={x};Pwd={a;b};ReadOnly"), QString("Driver={x};Pwd=****;ReadOnly"));
   }

   // the type mapping as stored: read over a list that held something else and written back to the same bytes;
   // corrupt bytes fail with the message and leave the list exactly as it was
   void mappingBytes_data()
   {
      QTest::addColumn<QByteArray>("data");
      QTest::addColumn<QString>("error");
      const QString sCorrupt("input binary data is not valid");
      QTest::newRow("one pair") << QByteArray::fromHex("000024DE 00000001 00000002 0061 00000004 00620063") << "";
      for (int n = 1; n < k_twoPairs.size(); n += 3) { QTest::addRow("first %d bytes", n) << k_twoPairs.left(n) << sCorrupt; }
      QTest::newRow("negative count") << QByteArray::fromHex("000024DE FFFFFFFF 00000002 0061 00000002 0062") << sCorrupt;
      QTest::newRow("count beyond the bytes left") << QByteArray::fromHex("000024DE 7FFFFFFF 00000002 0061 00000000") << sCorrupt;
      // two good pairs are read before the missing third one is noticed
      QTest::newRow("count above pairs") << QByteArray(k_twoPairs).replace(7, 1, "\x03").append(QByteArray::fromHex("00000002 0061")) << sCorrupt;
   }

   void mappingBytes()
   {
      QFETCH(QByteArray, data);
      QFETCH(QString, error);
      vx::VxCollection<QString, QString> lst;
      QVERIFY(vx::serialization::qt::from_byte_array(lst, k_twoPairs).getValue());
      const vx::VxBool read = vx::serialization::qt::from_byte_array(lst, data);
      QCOMPARE(read.getDesc(), error);
      QCOMPARE(vx::serialization::qt::to_byte_array(lst), read.getValue() ? data : k_twoPairs);
   }

   // the plug-in's table lists: a key already present is refused and changes nothing; removal by key or index moves the
   // later pairs up and each key still finds its value and index; what is not there is no value
   void collection()
   {
      vx::VxCollection<QString, int> coll;
      for (const QString& s : { "z2", "a7", "m5", "k0" }) { QVERIFY(coll.insert(s, s.mid(1).toInt())); }
      QVERIFY(! coll.insert("a7", 99) && coll.removeByKey("a7") && coll.removeByIndex(2) && ! coll.removeByKey("a7") && ! coll.removeByIndex(2) && coll.insert("a7", 8));
      QStringList lst;
      for (long i = 0; i < coll.count(); ++i) { lst << QString("%1=%2@%3").arg(coll.getKeyByIndex(i)).arg(coll.getByKey(coll.getKeyByIndex(i))).arg(coll.getIndex(coll.getKeyByIndex(i))); }
      QCOMPARE(lst, QStringList({ "z2=2@0", "m5=5@1", "a7=8@2" }));
      QVERIFY((coll.getByIndex(3) == 0) && coll.getKeyByIndex(-1).isNull() && (coll.getByKey("k0") == 0));
      // a long one looks its keys up otherwise: the same answers
      vx::VxCollection<long, int> many;
      for (long i = 0; i < 40; ++i) { QVERIFY(many.insert(i * 7, int(i))); }
      QVERIFY(! many.insert(35, 0) && many.removeByIndex(3) && many.removeByKey(70) && ! many.exist(70) && ! many.exist(21) && many.insert(21, 99));
      for (long i = 0; i < many.count(); ++i) { QVERIFY((many.getIndex(many.getKeyByIndex(i)) == i) && (many.getByKey(many.getKeyByIndex(i)) == many.getByIndex(i))); }
      QVERIFY((many.count() == 39) && (many.getByKey(21) == 99) && (many.getIndex(21) == 38));
   }

   // the readers ask a result by column name in any case, or by number; a row, column or name that is not there is no value, never a crash
   void resultByColumn()
   {
      kel_test::connection db(":memory:", "QSQLITE");
      vx::VxSqlQuery query("SELECT 1 AS Abc, 'x' AS Def UNION ALL SELECT 2, 'y'");
      QVERIFY(! vx::dao::call_query(query, db.db()).isValid());
      QCOMPARE(QStringList({ query.getSqlResultAt(0, QString("abc")).toString(), query.getSqlResultAt(1, QString("dEF")).toString(), query.getSqlResultAt(0, 1L).toString() }),
               QStringList({ "1", "y", "x" }));
      for (const QVariant& v : { query.getSqlResultAt(0, QString("abcd")), query.getSqlResultAt(2, QString("abc")), query.getSqlResultAt(0, 2L), query.getSqlResultAt(-1, 0L) }) { QVERIFY(! v.isValid()); }
   }

   // a settings save whose commit fails (another connection reads in a transaction) says so, and changes nothing
   void failedCommitIsReported()
   {
      const QString sFile = m_dir.filePath("session.kelmar"), sKeys("SELECT group_concat(param_key) FROM t_plugin_params");
      QVERIFY(context::ctx_project::openProject(sFile).getValue());
      kel_test::connection reader(sFile, "QSQLITE");
      QCOMPARE(reader.exec({ "INSERT INTO t_plugin_params VALUES ('G', 'DSN', NULL)", "BEGIN", sKeys }), QString());
      context::ctx_scoped scoped(context::ctx_project::getSingleton());
      vx::VxSessionHost session;
      session += vx::dao::delete_by_query<model::plugin_params>(vx::VxSqlQuery(""), session.database());
      QVERIFY(session.isValid() && session.commit().isValid());
      // the project's own connection is out of the transaction too
      QSqlQuery query(*session.database());
      QVERIFY(query.exec(sKeys) && query.next() && (query.value(0).toString() == "DSN"));
   }

   // the host loads the module by its metadata, and refuses one that calls its libraries beyond what they
   // offer plug-ins: every symbol it takes from the host's core library and from Vexa is one of these
   void hostContract()
   {
      QPluginLoader loader(QString(KEL_PLUGIN_FILE));
      const QJsonObject meta = loader.metaData();
      QCOMPARE(QStringList({ meta.value("IID").toString(), meta.value("className").toString() }), QStringList({ "KelOdbcImport", "odbc_import" }));
      QCOMPARE(meta.value("MetaData").toObject(), QJsonObject({ { "Keys", QJsonArray({ "KelOdbcImport" }) } }));
      QVERIFY2(qobject_cast<plugin::import_interface*>(loader.instance()), qPrintable(loader.errorString()));
      QProcess nm;
      nm.start("nm", { "-D", "--undefined-only", "-C", QString(KEL_PLUGIN_FILE) });
      QVERIFY(nm.waitForFinished() && (nm.exitCode() == 0));
      const QStringList lstOffered = itemsOf("host_offers.txt", "\n");
      QStringList lstOther;
      for (const QString& sLine : QString::fromLatin1(nm.readAllStandardOutput()).split('\n').filter(QRegularExpression("\\b(vx|context|model|plugin|view|tools|undo_redo)::")))
      {
         if (std::none_of(lstOffered.begin(), lstOffered.end(), [&sLine](const QString& s) { return sLine.contains(s); })) { lstOther << sLine.trimmed(); }
      }
      QCOMPARE(lstOther, (lstOffered.size() > 30) ? QStringList() : QStringList("host_offers.txt not read"));
   }

   // a read imported into namespace "ns": ways back on the referenced table only, one per foreign key, no
   // name twice in an entity; "ns" and the namespaces below it replaced, those that only begin alike kept
   // the definition written is QJsonDocument's own compact text of the entity (the form projects have always held),
   // and the file read back gives the entity written, which is what the project keeps in memory
   void projectDefinition_data()
   {
      QTest::addColumn<model::entity>("e");
      model::entity plain{ "ns", "plain", "a table", "KEL_GENERATED_BY_ODBC_IMPORT_PLUGIN" };
      plain.properties.append({ "id", "long long", "int4", QString(), "nextval('plain_id_seq'::regclass)", true, true });
      plain.properties.append({ "note", "QString", "text", "free text", QString(), false, false });
      plain.relationships.append({ "plain_owner_fkey", "many-to-one", "std::shared_ptr<ns::owner>", "ns", "owner", { "owner_id", "kind" }, { "id", "kind" } });
      QTest::newRow("plain") << plain;
      model::entity odd{ QString(), "odd \"quoted\" \\ name", "line\nbreak\ttab \x01\x1f del\x7f", QString() };
      odd.isView = true;
      odd.properties.append({ QString::fromUtf8("prix_€_店"), "QString", "character varying", QString::fromUtf8("é ü \xF0\x9F\x98\x80 </script>"), "'a''b'", false, false });
      odd.relationships.append({ "list_of_x", "one-to-many", "QList<x>", QString(), "x", QStringList(), QStringList() });
      QTest::newRow("quotes, controls and Unicode") << odd;
   }

   void projectDefinition()
   {
      QFETCH(model::entity, e);
      const QString sFile = m_dir.filePath(QString("definition_%1.kelmar").arg(QTest::currentDataTag()).replace(' ', '_'));
      QVERIFY(context::ctx_project::openProject(sFile).getValue());
      QVERIFY(context::ctx_project::getProject()->getEntities().isEmpty());
      QVERIFY(context::ctx_project::getProject()->addEntities({ e }).getValue());
      const QList<model::entity> lstKept = context::ctx_project::getProject()->getEntities();
      const QStringList lstDefinitions = kel_test::connection(sFile, "QSQLITE").column("SELECT definition FROM t_entity");
      QCOMPARE(lstDefinitions.count(), 1);
      QCOMPARE(lstDefinitions.first(), QString::fromUtf8(QJsonDocument::fromJson(lstDefinitions.first().toUtf8()).toJson(QJsonDocument::Compact)));
      QVERIFY(context::ctx_project::openProject(sFile).getValue());
      QCOMPARE(context::ctx_project::getProject()->getEntities(), QList<model::entity>({ e }));
      QCOMPARE(lstKept, QList<model::entity>({ e }));
      context::ctx_project::closeProject();
   }

   // what the project keeps in memory after each write is what its file holds: rewritten in place (every row of a
   // name held twice), appended, removed with a namespace, restored as an undo restores it
   void projectKeptInMemory()
   {
      const QString sFile = m_dir.filePath("kept.kelmar");
      const auto fromFile = [&sFile]() {
         context::ctx_project::closeProject();
         return (context::ctx_project::openProject(sFile).getValue() ? context::ctx_project::getProject()->getEntities() : QList<model::entity>());
      };
      QVERIFY(context::ctx_project::openProject(sFile).getValue());
      const std::shared_ptr<model::project> pProject = context::ctx_project::getProject();
      QVERIFY(pProject->addEntities({ { "ns", "a" }, { "ns", "twice" }, { "ns::below", "b" }, { "other", "c" }, { "ns", "twice" } }).getValue());
      QVERIFY(pProject->getEntities().count() == 5);   // read once, kept from here on
      const QList<model::entity> lstBefore = pProject->getEntities();
      int iReplaced = -1;
      QVERIFY(pProject->replaceNamespaces({ "ns" }, { { "ns", "twice", "new" }, { "ns", "d", "new" }, { "other", "c", "new" } }, &iReplaced).getValue());
      QCOMPARE(iReplaced, 2);
      const QList<model::entity> lstAfter = pProject->getEntities();
      QStringList lstNames;
      for (const model::entity& e : lstAfter) { lstNames << (e.fullName() + " " + e.description); }
      QCOMPARE(lstNames, QStringList({ "ns::twice new", "other::c new", "ns::twice new", "ns::d new" }));
      QCOMPARE(fromFile(), lstAfter);
      QVERIFY(context::ctx_project::getProject()->replaceEntities(lstBefore).getValue());
      QCOMPARE(context::ctx_project::getProject()->getEntities(), lstBefore);
      QCOMPARE(fromFile(), lstBefore);
      context::ctx_project::closeProject();
   }

   void relationships_data()
   {
      QTest::addColumn<int>("iType");
      QTest::addColumn<QString>("sDsn");
      QTest::newRow("SQLite") << int(kel_test::k_sqlite) << kel_test::sqliteDsn(m_dir.filePath("relations.db"));
      QTest::newRow("PostgreSQL") << int(kel_test::k_postgresql) << kel_test::postgresqlDsn("kel_relations");
      QTest::newRow("MariaDB") << int(kel_test::k_mysql) << kel_test::mysqlDsn("kel_relations");
   }

   void relationships()
   {
      QFETCH(int, iType);
      QFETCH(QString, sDsn);
      QStringList lstDdl = itemsOf("relations.sql", "\\s*;\\s*");
      if (iType == kel_test::k_postgresql) { KEL_REQUIRE_POSTGRESQL(); } else if (iType == kel_test::k_mysql) { KEL_REQUIRE_MYSQL(); }
      // SQLite takes the cycle's second foreign key (the ALTER TABLE at the end) only in CREATE TABLE, where it may name a table still to come
      if (iType == kel_test::k_sqlite) { lstDdl = lstDdl.mid(0, 6).replaceInStrings("b_id INT)", "b_id INT, " + lstDdl.last().section(" ADD ", 1) + ")"); }
      QCOMPARE((iType == kel_test::k_sqlite) ? kel_test::makeSqlite(m_dir.filePath("relations.db"), lstDdl) : kel_test::createDatabase(kel_test::engine_type(iType), "kel_relations", lstDdl), QString());
      QVERIFY(context::ctx_project::openProject(m_dir.filePath(QString("project_%1.kelmar").arg(iType))).getValue());
      QVERIFY(context::ctx_project::getProject()->addEntities({ { "ns", "old" }, { "ns::dropped::deeper", "old" }, { "nsx", "old" }, { "other::ns", "old" } }).getValue());
      plugin::odbc_import_read read({ iType, sDsn });
      QVERIFY2(read.run().getValue(), qPrintable(read.getResult().getDesc()));
      plugin::generic_importer importer;
      importer.setListOfTables(read.getListOfTables());
      importer.setNamespace("ns");
      importer.setDeleteNamespace(true);
      const vx::VxBool imported = importer.import();
      QVERIFY2(imported.getValue(), qPrintable(imported.getDesc()));

      QStringList lstFound;   // "name: -> target, <- source..." of every imported entity, the full name of every other
      for (const model::entity& e : context::ctx_project::getProject()->getEntities())
      {
         QStringList lstNames, lstRelations;
         for (const model::entity_property& p : e.properties) { lstNames << p.name; }
         for (const model::entity_relationship& r : e.relationships) { lstNames << r.name; lstRelations << (((r.kind == "many-to-one") ? "-> " : "<- ") + r.targetEntity); }
         QVERIFY2(QSet<QString>(lstNames.begin(), lstNames.end()).count() == lstNames.count(), qPrintable(e.name + ": " + lstNames.join(", ")));
         lstRelations.sort();
         lstFound << ((e.name == "old") ? e.fullName() : (e.name + ": " + lstRelations.join(", ")));
      }
      lstFound.sort();
      QCOMPARE(lstFound, QStringList({ "child: -> child, -> parent, -> parent, <- child", "comp_fk: -> comp_pk", "comp_pk: <- comp_fk", "cyc_a: -> cyc_b, <- cyc_b",
                                       "cyc_b: -> cyc_a, <- cyc_a", "nsx::old", "other::ns::old", "parent: <- child, <- child" }));
   }
};

QTEST_MAIN(tst_foundation)
#include "tst_foundation.moc"
