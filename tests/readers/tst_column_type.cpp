// Qt value types the readers give to SQL type names: the table shared by the MySQL, SQL Server and
// Oracle readers, PostgreSQL's pg_type names and SQLite's declared types.
#include <QtTest>

#include <odbc_import_column_type.h>

using plugin::odbc_import_column_type;

class tst_column_type : public QObject
{
   Q_OBJECT

   static void columns()
   {
      QTest::addColumn<QString>("sqlType");
      QTest::addColumn<int>("expected");
   }
   static void row(const char* sqlType, int expected) { QTest::newRow(*sqlType ? sqlType : "(empty)") << QString::fromLatin1(sqlType) << expected; }

   static void check(QVariant (*map)(const QString&))
   {
      QFETCH(QString, sqlType);
      QFETCH(int, expected);
      const QVariant type = map(sqlType);
      QCOMPARE(type.userType(), int(QMetaType::Int));
      QCOMPARE(type.toInt(), expected);
   }

private Q_SLOTS:
   void shared_data()
   {
      columns();
      // integers: "int" comes before "tinyint", "bigint" maps to ULongLong
      row("INT", QVariant::LongLong); row("int(10) unsigned", QVariant::LongLong); row("interval", QVariant::LongLong); row("tinyint(1)", QVariant::Int);
      row("smallint", QVariant::Int); row("mediumint(8)", QVariant::LongLong); row("bigint(20) unsigned", QVariant::ULongLong);
      row("serial", QVariant::ULongLong); row("bool", QVariant::Bool); row("BOOLEAN", QVariant::Bool);
      // texts
      row("character varying", QVariant::String); row("nchar", QVariant::String); row("VARCHAR2", QVariant::String); row("NVARCHAR2", QVariant::String);
      row("tinytext", QVariant::String); row("longtext", QVariant::String); row("CLOB", QVariant::String); row("enum('a','b')", QVariant::String);
      // numbers
      row("real", QVariant::Double); row("float", QVariant::Double); row("double", QVariant::Double);
      row("decimal(5,2)", QVariant::Double); row("NUMBER", QVariant::Double); row("numeric(8,2)", QVariant::Double);
      // dates: "timestamp" before "time", "datetime" before "date"
      row("datetime2", QVariant::DateTime); row("datetimeoffset", QVariant::DateTime); row("DATETIME", QVariant::DateTime);
      row("TIMESTAMP(6)", QVariant::DateTime); row("date", QVariant::Date); row("time(7)", QVariant::Time);
      // bytes
      row("byte", QVariant::ByteArray); row("blob", QVariant::ByteArray);
      // no prefix of the table
      row("NCLOB", 0); row("mediumblob", 0); row("varbinary", 0); row("bit", 0); row("year", 0); row("json", 0);
      row("smalldatetime", 0); row("ntext", 0); row("set('a')", 0); row("unsigned int", 0); row("", 0);
   }
   void shared() { check(&odbc_import_column_type::fromShared); }

   void postgresql_data()
   {
      columns();
      row("int2", QVariant::LongLong); row("int8", QVariant::LongLong); row("smallint", QVariant::Int); row("bigint", QVariant::ULongLong);
      row("bool", QVariant::Bool); row("float8", QVariant::Double); row("double precision", QVariant::Double); row("varchar", QVariant::String);
      row("timestamptz", QVariant::DateTime); row("timetz", QVariant::Time); row("date", QVariant::Date); row("bytea", QVariant::ByteArray);
      // what the shared table knows and this one does not: "datetime" begins with "date"
      row("bpchar", 0); row("numeric", 0); row("uuid", 0); row("tinyint", 0); row("blob", 0); row("enum", 0); row("longtext", 0);
      row("datetime", QVariant::Date); row("", 0);
   }
   void postgresql() { check(&odbc_import_column_type::fromPostgreSQL); }

   // the shared table, then a prefix of SQLite's own
   void sqlite_data()
   {
      columns();
      row("NUMERIC(10,2)", QVariant::Double); row("INTEGER", QVariant::LongLong); row("BIGINT", QVariant::ULongLong);
      row("TIMESTAMP", QVariant::DateTime); row("enum", QVariant::String); row("unsigned int", QVariant::LongLong);
      row("UNSIGNED INT(4)", QVariant::LongLong); row("UNSIGNED BIG INT", 0); row("", 0);
   }
   void sqlite() { check(&odbc_import_column_type::fromSQLite); }
};

QTEST_APPLESS_MAIN(tst_column_type)
#include "tst_column_type.moc"
