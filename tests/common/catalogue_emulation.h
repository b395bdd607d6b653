#ifndef KEL_TESTS_CATALOGUE_EMULATION_H
#define KEL_TESTS_CATALOGUE_EMULATION_H

#include <tuple>

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include "test_env.h"

// The catalogues of SQL Server and Oracle, served by the PostgreSQL test server so that the readers'
// own SQL runs on them unchanged, through QODBC and psqlODBC as a production import runs.
//
// A small reader of each engine's DDL (the subset the fixtures use) turns a script into what the
// server would keep of it: SQL Server's sys.* rows, Oracle's ALL_* rows, with the server's forms
// (upper-case Oracle names, 'Y'/'N', DATA_DEFAULT as written with its blanks; 'YES'/'NO', data types
// without length, defaults as SQL Server reprints them). The database then serves them under the
// real names: PostgreSQL's own information_schema is dropped; schemas information_schema and sys
// hold views over the rows (INFORMATION_SCHEMA computed from sys.*, as SQL Server defines it);
// OBJECT_ID, OBJECTPROPERTY, QUOTENAME and the string "+" are server functions.
namespace kel_emulation {

enum class dialect { mssqlserver, oracle };

struct column_def
{
   QString name, type, defaultText;
   bool hasDefault = false, notNull = false, isVirtual = false;
};

struct key_def
{
   QString name;
   QStringList columns;
   QString refOwner, refTable;
   QStringList refColumns;
};

struct table_def
{
   QString owner, name;
   bool view = false;
   QList<column_def> columns;
   key_def primaryKey;
   QList<key_def> foreignKeys;
   QString tablespace = "USERS";   // Oracle; empty is NULL
   bool indexOrganized = false, overflow = false;
   QStringList nestedStores;        // Oracle: storage tables of nested-table columns
   QStringList domainIndexes;       // Oracle: indexes of an index type (Oracle Text...)
   int column(const QString& sName) const
   {
      for (int i = 0; i < columns.count(); ++i) { if (columns.at(i).name == sName) { return i; } }
      return -1;
   }
};

using schema_def = QList<table_def>;

namespace detail {

const QString k_sIdent = R"((?:"[^"]+"|\[(?:[^\]]|\]\])+\]|[\w$#]+))";
const QString k_sName = "(" + k_sIdent + R"((?:\s*\.\s*)" + k_sIdent + ")?)";

inline QRegularExpression re(const QString& sPattern)
{
   return QRegularExpression(sPattern, QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
}

inline QString sqlText(const QString& s) { return "'" + QString(s).replace("'", "''") + "'"; }
inline QString sqlTextOrNull(const QString& s, bool bNull) { return (bNull ? QString("NULL") : sqlText(s)); }

/** Splits at commas (or semicolons) outside parentheses and quotes. */
inline QStringList splitTopLevel(const QString& s, QChar separator)
{
   QStringList lst;
   int iDepth = 0, iStart = 0;
   QChar quote;
   for (int i = 0; i < s.length(); ++i)
   {
      const QChar c = s.at(i);
      if (! quote.isNull()) { if (c == quote) { quote = QChar(); } continue; }
      if ((c == '\'') || (c == '"')) { quote = c; }
      else if (c == '[') { quote = ']'; }
      else if (c == '(') { ++iDepth; }
      else if (c == ')') { --iDepth; }
      else if ((c == separator) && (iDepth == 0)) { lst.append(s.mid(iStart, i - iStart)); iStart = i + 1; }
   }
   lst.append(s.mid(iStart));
   return lst;
}

/** Position just after the parenthesis that closes the one at iOpen. */
inline int closing(const QString& s, int iOpen)
{
   int iDepth = 0;
   for (int i = iOpen; i < s.length(); ++i)
   {
      if (s.at(i) == '(') { ++iDepth; }
      if ((s.at(i) == ')') && (--iDepth == 0)) { return i + 1; }
   }
   return s.length();
}

/** A dictionary's own order is not the columns' order: every other column, then the rest (read backwards by a hash join, still not it). */
inline QList<int> storageOrder(int n)
{
   QList<int> lst;
   for (int i = 0; i < n; i += 2) { lst.append(i); }
   for (int i = 1; i < n; i += 2) { lst.append(i); }
   return lst;
}

} // namespace detail

/** Reads the CREATE TABLE, ALTER TABLE, CREATE VIEW and CREATE INDEX statements of a script. */
class ddl_reader
{
public:
   ddl_reader(dialect engine, const QString& sDefaultOwner) : m_engine(engine), m_sDefaultOwner(sDefaultOwner) { ; }

   schema_def read(QString sql)
   {
      using namespace detail;
      sql.remove(re(R"(/\*.*?\*/)")).remove(QRegularExpression("--[^\n]*"));
      // batches end at GO or "/"; T-SQL needs no separator between statements at all
      sql.replace(QRegularExpression(R"(^\s*(GO|/)\s*$)", QRegularExpression::MultilineOption | QRegularExpression::CaseInsensitiveOption), ";");
      sql.replace(QRegularExpression(R"(^(\s*)(CREATE|ALTER)\b)", QRegularExpression::MultilineOption | QRegularExpression::CaseInsensitiveOption), ";\\1\\2");
      for (QString statement : splitTopLevel(sql, ';'))
      {
         statement = statement.trimmed();
         QRegularExpressionMatch m;
         if ((m = re("^CREATE\\s+(GLOBAL\\s+TEMPORARY\\s+)?TABLE\\s+" + k_sName + "\\s*\\(").match(statement)).hasMatch()) { createTable(statement, m); }
         else if ((m = re("^CREATE\\s+(?:OR\\s+REPLACE\\s+)?VIEW\\s+" + k_sName + "\\s+AS\\s+SELECT\\s+(.*)$").match(statement)).hasMatch()) { createView(m); }
         else if ((m = re("^ALTER\\s+TABLE\\s+" + k_sName + "\\s+ADD\\s+(.*)$").match(statement)).hasMatch()) { constraint(table(m.captured(1)), m.captured(2)); }
         else if ((m = re("^CREATE\\s+INDEX\\s+" + k_sIdent + "\\s+ON\\s+" + k_sName + ".*INDEXTYPE\\s+IS").match(statement)).hasMatch())
         { table(m.captured(1)).domainIndexes.append(ident(re("^CREATE\\s+INDEX\\s+(" + k_sIdent + ")").match(statement).captured(1))); }
      }
      return m_schema;
   }

private:
   /** A name as the server keeps it: Oracle folds unquoted names to upper case. */
   QString ident(QString s) const
   {
      s = s.trimmed();
      if (s.startsWith('"')) { return s.mid(1, s.length() - 2); }
      if (s.startsWith('[')) { return s.mid(1, s.length() - 2).replace("]]", "]"); }
      return ((m_engine == dialect::oracle) ? s.toUpper() : s);
   }
   QStringList idents(const QString& s) const
   {
      QStringList lst;
      for (const QString& part : detail::splitTopLevel(s, ',')) { lst.append(ident(part)); }
      return lst;
   }
   /** (owner, name) of "[owner.]name". */
   std::pair<QString, QString> qualified(const QString& s) const
   {
      const QStringList parts = detail::splitTopLevel(QString(s).replace(QRegularExpression("\\s*\\.\\s*"), "\x01"), '\x01');
      return ((parts.count() == 2) ? std::make_pair(ident(parts.at(0)), ident(parts.at(1))) : std::make_pair(m_sDefaultOwner, ident(parts.at(0))));
   }
   table_def& table(const QString& sName)
   {
      const auto name = qualified(sName);
      for (table_def& t : m_schema) { if ((t.owner == name.first) && (t.name == name.second)) { return t; } }
      m_schema.append(table_def());
      std::tie(m_schema.last().owner, m_schema.last().name) = name;
      return m_schema.last();
   }
   QString typeName(const QString& sType) const
   {
      const QString base = sType.section('(', 0, 0).trimmed();
      if (m_engine == dialect::mssqlserver) { return base.toLower(); }
      const QString up = base.toUpper();
      if (QStringList({ "INT", "INTEGER", "SMALLINT", "DECIMAL", "NUMERIC", "DEC", "NUMBER" }).contains(up)) { return "NUMBER"; }
      if ((up == "VARCHAR") || (up == "VARCHAR2")) { return "VARCHAR2"; }
      if (up == "TIMESTAMP") { return "TIMESTAMP(" + (sType.contains('(') ? sType.section('(', 1).section(')', 0, 0).trimmed() : QString("6")) + ")"; }
      return up;
   }

   /** A default as the catalogue keeps it: Oracle the text as written (its blanks too), SQL Server reprinted in parentheses. */
   QString defaultOf(const QString& sWritten) const
   {
      if (m_engine == dialect::oracle) { return sWritten; }
      QString s = sWritten.trimmed();
      while (s.startsWith('(') && (detail::closing(s, 0) == s.length())) { s = s.mid(1, s.length() - 2).trimmed(); }
      return (QRegularExpression("^[-+]?[0-9.]+$").match(s).hasMatch() ? "((" + s + "))" : "(" + s + ")");
   }

   void createTable(const QString& statement, const QRegularExpressionMatch& m)
   {
      using namespace detail;
      table_def& t = table(m.captured(2));
      const int iOpen = m.capturedEnd() - 1, iClose = closing(statement, iOpen);
      for (const QString& item : splitTopLevel(statement.mid(iOpen + 1, iClose - iOpen - 2), ','))
      {
         if (item.trimmed().isEmpty()) { continue; }
         if (re("^\\s*(CONSTRAINT|PRIMARY|FOREIGN|UNIQUE|CHECK)\\b").match(item).hasMatch()) { constraint(t, item); }
         else { column(t, item); }
      }
      const QString options = statement.mid(iClose);
      t.indexOrganized = re("\\bORGANIZATION\\s+INDEX\\b").match(options).hasMatch();
      t.overflow = re("\\bOVERFLOW\\b").match(options).hasMatch();
      const QRegularExpressionMatch space = re("\\bTABLESPACE\\s+(" + k_sIdent + ")").match(options);
      if (space.hasMatch()) { t.tablespace = ident(space.captured(1)); }
      // no segment of its own: the rows live in the index, the partitions or the session
      if (t.indexOrganized || ! m.captured(1).isEmpty() || re("\\bPARTITION\\s+BY\\b").match(options).hasMatch()) { t.tablespace.clear(); }
      for (auto itr = re("\\bNESTED\\s+TABLE\\s+" + k_sIdent + "\\s+STORE\\s+AS\\s+(" + k_sIdent + ")").globalMatch(options); itr.hasNext();) { t.nestedStores.append(ident(itr.next().captured(1))); }
   }

   void column(table_def& t, const QString& item)
   {
      using namespace detail;
      const QRegularExpressionMatch m = re("^\\s*(" + k_sIdent + ")\\s+(.*)$").match(item);
      column_def c;
      c.name = ident(m.captured(1));
      QString rest = m.captured(2);
      const QRegularExpressionMatch virt = re("^(?:(\\w+(?:\\s*\\([^)]*\\))?)\\s+GENERATED\\s+ALWAYS\\s+)?AS\\s*\\(").match(rest);
      if (virt.hasMatch())
      {
         // Oracle keeps a virtual column's expression where defaults go
         const int iEnd = closing(rest, virt.capturedEnd() - 1);
         c.type = (virt.captured(1).isEmpty() ? QString("NUMBER") : typeName(virt.captured(1)));
         c.isVirtual = c.hasDefault = true;
         c.defaultText = rest.mid(virt.capturedEnd(), iEnd - virt.capturedEnd() - 1);
         rest = rest.mid(iEnd);
      }
      else
      {
         const QRegularExpressionMatch type = re("^(\\w+(?:\\s*\\([^)]*\\))?)").match(rest);
         c.type = typeName(type.captured(1));
         rest = rest.mid(type.capturedEnd());
      }
      const QRegularExpressionMatch def = re("\\bDEFAULT\\s+(\\(.*?\\)|'(?:[^']|'')*'|\\S+)(.*?)(?=\\b(?:NOT\\s+NULL|NULL|CONSTRAINT|PRIMARY|REFERENCES|CHECK|UNIQUE)\\b|$)").match(rest);
      if (def.hasMatch() && ! c.isVirtual) { c.hasDefault = true; c.defaultText = defaultOf(def.captured(1) + def.captured(2)); }
      c.notNull = re("\\bNOT\\s+NULL\\b|\\bIDENTITY\\b").match(rest).hasMatch();
      t.columns.append(c);
      if (re("\\bPRIMARY\\s+KEY\\b").match(rest).hasMatch()) { t.primaryKey.columns.append(c.name); }
   }

   void constraint(table_def& t, const QString& item)
   {
      using namespace detail;
      const QString sName = ident(re("^\\s*CONSTRAINT\\s+(" + k_sIdent + ")").match(item).captured(1));
      QRegularExpressionMatch m;
      if ((m = re("PRIMARY\\s+KEY\\s+(?:NON)?(?:CLUSTERED\\s*)?\\(([^)]*)\\)").match(item)).hasMatch())
      {
         t.primaryKey.name = sName;
         t.primaryKey.columns = idents(m.captured(1));
      }
      else if ((m = re("FOREIGN\\s+KEY\\s*\\(([^)]*)\\)\\s*REFERENCES\\s+" + k_sName + "\\s*\\(([^)]*)\\)").match(item)).hasMatch())
      {
         const auto target = qualified(m.captured(2));
         t.foreignKeys.append({ sName, idents(m.captured(1)), target.first, target.second, idents(m.captured(3)) });
      }
      else if ((m = re("DEFAULT\\s+(.*)\\s+FOR\\s+(" + k_sIdent + ")\\s*$").match(item)).hasMatch())
      {
         const int i = t.column(ident(m.captured(2)));
         if (i >= 0) { t.columns[i].hasDefault = true; t.columns[i].defaultText = defaultOf(m.captured(1)); }
      }
   }

   /** A view's columns: each item's alias or column name (their types are read by no test). */
   void createView(const QRegularExpressionMatch& m)
   {
      using namespace detail;
      table_def v;
      std::tie(v.owner, v.name) = qualified(m.captured(1));
      v.view = true;
      const QString body = m.captured(2);
      for (const QString& item : splitTopLevel(body.left(re("\\bFROM\\b").match(body).capturedStart()), ','))
      {
         v.columns.append(column_def{ ident(re("(?:\\bAS\\s+|[.\\s]|^)(" + k_sIdent + ")\\s*$").match(item.trimmed()).captured(1)), (m_engine == dialect::oracle) ? "VARCHAR2" : "varchar" });
      }
      m_schema.append(v);
   }

   dialect m_engine;
   QString m_sDefaultOwner;
   schema_def m_schema;
};

/** A catalogue view, created as name over the select. */
inline QString view(const QString& sName, const QString& sSelect) { return "CREATE VIEW " + sName + " AS " + sSelect; }

/** SQL Server's catalogue of the schema, for the database it is served from. */
inline QStringList sqlServerCatalogue(const schema_def& schema)
{
   using namespace detail;
   QStringList ddl = {
      "CREATE SCHEMA emul", "DROP SCHEMA IF EXISTS information_schema CASCADE", "CREATE SCHEMA information_schema", "CREATE SCHEMA sys",
      "CREATE TABLE emul.schemas (name text, schema_id int, principal_id int)",
      "CREATE TABLE emul.objects (name text, object_id int, principal_id int, schema_id int, parent_object_id int, type text, type_desc text, is_ms_shipped boolean)",
      "CREATE TABLE emul.columns (object_id int, name text, column_id int, type_name text, is_nullable boolean, is_identity boolean, default_definition text)",
      "CREATE TABLE emul.key_columns (constraint_object_id int, parent_object_id int, column_id int, key_ordinal int)",
      "CREATE TABLE emul.foreign_keys (name text, object_id int, schema_id int, parent_object_id int, referenced_object_id int, type text)",
      "CREATE TABLE emul.foreign_key_columns (constraint_object_id int, constraint_column_id int, parent_object_id int, parent_column_id int, referenced_object_id int, referenced_column_id int)" };
   QStringList lstSchemas = { "dbo" };
   for (const table_def& t : schema) { if (! lstSchemas.contains(t.owner)) { lstSchemas.append(t.owner); } }
   for (int i = 0; i < lstSchemas.count(); ++i) { ddl.append(QString("INSERT INTO emul.schemas VALUES (%1, %2, 1)").arg(sqlText(lstSchemas.at(i))).arg(i + 1)); }
   auto objectId = [&](const QString& sOwner, const QString& sName) {
      for (int i = 0; i < schema.count(); ++i) { if ((schema.at(i).owner == sOwner) && (schema.at(i).name == sName)) { return 1000 + 100 * i; } }
      return 0;
   };
   auto object = [&](const QString& sName, int iId, const QString& sOwner, int iParent, const QString& sType, const QString& sDesc) {
      ddl.append(QString("INSERT INTO emul.objects VALUES (%1, %2, NULL, %3, %4, '%5', '%6', false)").arg(sqlText(sName)).arg(iId).arg(lstSchemas.indexOf(sOwner) + 1).arg(iParent).arg(sType, sDesc));
   };
   for (const table_def& t : schema)
   {
      const int iId = objectId(t.owner, t.name);
      object(t.name, iId, t.owner, 0, (t.view ? "V" : "U"), (t.view ? "VIEW" : "USER_TABLE"));
      for (int c : storageOrder(t.columns.count()))
      {
         const column_def& col = t.columns.at(c);
         ddl.append(QString("INSERT INTO emul.columns VALUES (%1, %2, %3, %4, %5, false, %6)").arg(iId).arg(sqlText(col.name)).arg(c + 1).arg(sqlText(col.type))
                       .arg((col.notNull || t.primaryKey.columns.contains(col.name)) ? "false" : "true", sqlTextOrNull(col.defaultText, ! col.hasDefault)));
      }
      if (! t.primaryKey.columns.isEmpty())
      {
         const QString sName = (t.primaryKey.name.isEmpty() ? QString("PK__%1__%2").arg(t.name.left(8)).arg(iId, 16, 16, QChar('0')) : t.primaryKey.name);
         object(sName, iId + 1, t.owner, iId, "PK", "PRIMARY_KEY_CONSTRAINT");
         for (int k = 0; k < t.primaryKey.columns.count(); ++k) { ddl.append(QString("INSERT INTO emul.key_columns VALUES (%1, %2, %3, %4)").arg(iId + 1).arg(iId).arg(t.column(t.primaryKey.columns.at(k)) + 1).arg(k + 1)); }
      }
      for (int f = 0; f < t.foreignKeys.count(); ++f)
      {
         const key_def& fk = t.foreignKeys.at(f);
         const int iFk = iId + 10 + f, iRef = objectId(fk.refOwner, fk.refTable);
         const QString sName = (fk.name.isEmpty() ? QString("FK__%1__%2").arg(t.name.left(8)).arg(iFk, 16, 16, QChar('0')) : fk.name);
         object(sName, iFk, t.owner, iId, "F", "FOREIGN_KEY_CONSTRAINT");
         ddl.append(QString("INSERT INTO emul.foreign_keys VALUES (%1, %2, %3, %4, %5, 'F')").arg(sqlText(sName)).arg(iFk).arg(lstSchemas.indexOf(t.owner) + 1).arg(iId).arg(iRef));
         const table_def& ref = schema.at((iRef - 1000) / 100);
         for (int k = 0; k < fk.columns.count(); ++k)
         {
            ddl.append(QString("INSERT INTO emul.foreign_key_columns VALUES (%1, %2, %3, %4, %5, %6)").arg(iFk).arg(k + 1).arg(iId).arg(t.column(fk.columns.at(k)) + 1).arg(iRef).arg(ref.column(fk.refColumns.at(k)) + 1));
         }
      }
   }
   const QString db = "current_database()::text";
   ddl << view("sys.schemas", "SELECT * FROM emul.schemas") << view("sys.objects", "SELECT * FROM emul.objects")
       << view("sys.tables", "SELECT * FROM emul.objects WHERE type = 'U'") << view("sys.views", "SELECT * FROM emul.objects WHERE type = 'V'")
       << view("sys.columns", "SELECT object_id, name, column_id, is_nullable, is_identity FROM emul.columns")
       << view("sys.foreign_keys", "SELECT * FROM emul.foreign_keys") << view("sys.foreign_key_columns", "SELECT * FROM emul.foreign_key_columns")
       << view("information_schema.tables", "SELECT " + db + " AS table_catalog, s.name AS table_schema, o.name AS table_name, "
                        "CASE o.type WHEN 'U' THEN 'BASE TABLE' ELSE 'VIEW' END AS table_type FROM emul.objects o JOIN emul.schemas s ON s.schema_id = o.schema_id "
                        "WHERE o.type IN ('U', 'V') AND NOT o.is_ms_shipped")
       << view("information_schema.columns", "SELECT " + db + " AS table_catalog, s.name AS table_schema, o.name AS table_name, c.name AS column_name, "
                        "c.column_id AS ordinal_position, c.default_definition AS column_default, CASE WHEN c.is_nullable THEN 'YES' ELSE 'NO' END AS is_nullable, "
                        "c.type_name AS data_type FROM emul.columns c JOIN emul.objects o ON o.object_id = c.object_id JOIN emul.schemas s ON s.schema_id = o.schema_id")
       << view("information_schema.key_column_usage", "SELECT " + db + " AS constraint_catalog, ks.name AS constraint_schema, k.name AS constraint_name, "
                        + db + " AS table_catalog, ts.name AS table_schema, t.name AS table_name, c.name AS column_name, u.ordinal AS ordinal_position FROM "
                        "(SELECT constraint_object_id, parent_object_id, column_id, key_ordinal AS ordinal FROM emul.key_columns UNION ALL "
                        "SELECT constraint_object_id, parent_object_id, parent_column_id, constraint_column_id FROM emul.foreign_key_columns) u "
                        "JOIN emul.objects k ON k.object_id = u.constraint_object_id JOIN emul.schemas ks ON ks.schema_id = k.schema_id "
                        "JOIN emul.objects t ON t.object_id = u.parent_object_id JOIN emul.schemas ts ON ts.schema_id = t.schema_id "
                        "JOIN emul.columns c ON c.object_id = u.parent_object_id AND c.column_id = u.column_id")
       // SQL Server's functions: names in brackets (a "]" doubled) or double quotes, or bare regular identifiers;
       // up to three parts, the database the current one, an empty schema "dbo"
       << "CREATE FUNCTION quotename(s text) RETURNS text LANGUAGE sql IMMUTABLE AS $$ SELECT CASE WHEN length(s) > 128 THEN NULL ELSE '[' || replace(s, ']', ']]') || ']' END $$"
       << "CREATE FUNCTION object_id(p_name text) RETURNS int LANGUAGE plpgsql STABLE AS $$ DECLARE parts text[] := '{}'; part text; c text; closer text; "
          "i int := 1; n int := length(p_name); k int; sch text; result int; BEGIN "
          "IF p_name IS NULL OR n = 0 THEN RETURN NULL; END IF; "
          "LOOP c := substr(p_name, i, 1); "
          "IF c = '[' OR c = '\"' THEN closer := CASE c WHEN '[' THEN ']' ELSE '\"' END; part := ''; i := i + 1; "
          "LOOP IF i > n THEN RETURN NULL; END IF; c := substr(p_name, i, 1); "
          "IF c = closer AND substr(p_name, i + 1, 1) = closer THEN part := part || c; i := i + 2; "
          "ELSIF c = closer THEN i := i + 1; EXIT; ELSE part := part || c; i := i + 1; END IF; END LOOP; "
          "ELSE part := substring(substr(p_name, i) from '^[^.]*'); i := i + length(part); "
          "IF part <> '' AND part !~ '^[A-Za-z_@#][A-Za-z0-9_@#$]*$' THEN RETURN NULL; END IF; END IF; "
          "parts := parts || part; EXIT WHEN i > n; "
          "IF substr(p_name, i, 1) <> '.' THEN RETURN NULL; END IF; i := i + 1; END LOOP; "
          "k := array_length(parts, 1); IF k > 3 OR parts[k] = '' THEN RETURN NULL; END IF; "
          "IF k = 3 AND parts[1] <> '' AND parts[1] <> current_database() THEN RETURN NULL; END IF; "
          "sch := CASE WHEN k >= 2 AND parts[k - 1] <> '' THEN parts[k - 1] ELSE 'dbo' END; "
          "SELECT o.object_id INTO result FROM emul.objects o JOIN emul.schemas s ON s.schema_id = o.schema_id WHERE s.name = sch AND o.name = parts[k]; "
          "RETURN result; END $$"
       << "CREATE FUNCTION objectproperty(id int, property text) RETURNS int LANGUAGE sql STABLE AS $$ SELECT CASE property "
          "WHEN 'IsPrimaryKey' THEN (type = 'PK')::int WHEN 'IsForeignKey' THEN (type = 'F')::int WHEN 'IsUserTable' THEN (type = 'U')::int "
          "WHEN 'IsView' THEN (type = 'V')::int END FROM emul.objects WHERE object_id = id $$"
       << "CREATE OPERATOR + (LEFTARG = text, RIGHTARG = text, FUNCTION = textcat)";
   return ddl;
}

/** Oracle's dictionary of the schema, with the rows of Oracle's own schemas that every database has. */
inline QStringList oracleCatalogue(schema_def schema)
{
   using namespace detail;
   QStringList ddl = {
      "CREATE SCHEMA emul", "CREATE SCHEMA sys",
      "CREATE TABLE emul.all_tables (owner text, table_name text, tablespace_name text, iot_type text, nested text, secondary text, dropped text DEFAULT 'NO')",
      "CREATE TABLE emul.all_views (owner text, view_name text)",
      "CREATE TABLE emul.all_tab_cols (owner text, table_name text, column_name text, data_type text, nullable text, column_id int, data_default text, "
      "virtual_column text, user_generated text)",
      "CREATE TABLE emul.all_constraints (owner text, constraint_name text, constraint_type text, table_name text, r_owner text, r_constraint_name text)",
      "CREATE TABLE emul.all_cons_columns (owner text, constraint_name text, table_name text, column_name text, position int)" };
   // "owner name tablespace" of tables and views ("-": none) of Oracle's own schemas
   for (const QString& sRow : { "SYS DUAL SYSTEM", "SYSTEM HELP SYSTEM", "OUTLN OL$ SYSTEM", "XDB XDB$CONFIG SYSAUX", "MDSYS SDO_GEOM_METADATA_TABLE SYSAUX",
                                "APEX_230100 WWV_FLOWS SYSAUX", "SYS ALL_TABLES -", "SYSTEM PRODUCT_PRIVS -", "APEX_230100 APEX_APPLICATIONS -" })
   {
      const QStringList lst = sRow.split(' ');
      schema.append(table_def());
      schema.last().owner = lst.at(0); schema.last().name = lst.at(1); schema.last().tablespace = lst.at(2); schema.last().view = (lst.at(2) == "-");
      schema.last().columns.append(column_def{ "DUMMY", "VARCHAR2" });
   }
   int iObject = 73000, iConstraint = 13000;
   auto tableRow = [&](const QString& sOwner, const QString& sName, const QString& sSpace, const QString& sIot, const QString& sNested = "NO", const QString& sSecondary = "N") {
      ddl.append(QString("INSERT INTO emul.all_tables VALUES (%1, %2, %3, %4, '%5', '%6')").arg(sqlText(sOwner), sqlText(sName), sqlTextOrNull(sSpace, sSpace.isEmpty()), sqlTextOrNull(sIot, sIot.isEmpty()), sNested, sSecondary));
   };
   auto consColumns = [&](const QString& sOwner, const QString& sConstraint, const QString& sTable, const QStringList& lstColumns, bool bPositions) {
      for (int k = 0; k < lstColumns.count(); ++k) { ddl.append(QString("INSERT INTO emul.all_cons_columns VALUES (%1, %2, %3, %4, %5)").arg(sqlText(sOwner), sqlText(sConstraint), sqlText(sTable), sqlText(lstColumns.at(k)), bPositions ? QString::number(k + 1) : "NULL")); }
   };
   for (table_def& t : schema) { if (! t.primaryKey.columns.isEmpty() && t.primaryKey.name.isEmpty()) { t.primaryKey.name = QString("SYS_C00%1").arg(++iConstraint); } }
   for (const table_def& t : schema)
   {
      ++iObject;
      if (t.view) { ddl.append(QString("INSERT INTO emul.all_views VALUES (%1, %2)").arg(sqlText(t.owner), sqlText(t.name))); }
      else
      {
         tableRow(t.owner, t.name, t.tablespace, t.indexOrganized ? "IOT" : "");
         if (t.overflow) { tableRow(t.owner, QString("SYS_IOT_OVER_%1").arg(iObject), "USERS", "IOT_OVERFLOW"); }
         for (const QString& sStore : t.nestedStores) { tableRow(t.owner, sStore, "USERS", "", "YES"); }
         // an Oracle Text index keeps its data in four tables, two of them index-organized
         for (const QString& sSuffix : { "I", "K", "N", "R" }) { for (const QString& sIndex : t.domainIndexes) { tableRow(t.owner, "DR$" + sIndex + "$" + sSuffix, QString("IR").contains(sSuffix) ? "USERS" : "", QString("IR").contains(sSuffix) ? "" : "IOT", "NO", "Y"); } }
      }
      for (int c : storageOrder(t.columns.count()))
      {
         const column_def& col = t.columns.at(c);
         const bool bNotNull = (col.notNull || t.primaryKey.columns.contains(col.name));
         ddl.append(QString("INSERT INTO emul.all_tab_cols VALUES (%1, %2, %3, %4, '%5', %6, %7, '%8', 'YES')").arg(sqlText(t.owner), sqlText(t.name), sqlText(col.name), sqlText(col.type))
                       .arg(bNotNull ? "N" : "Y").arg(c + 1).arg(sqlTextOrNull(col.defaultText, ! col.hasDefault), col.isVirtual ? "YES" : "NO"));
         if (col.notNull && ! t.view)
         {
            const QString sCheck = QString("SYS_C00%1").arg(++iConstraint);
            ddl.append(QString("INSERT INTO emul.all_constraints VALUES (%1, '%2', 'C', %3, NULL, NULL)").arg(sqlText(t.owner), sCheck, sqlText(t.name)));
            consColumns(t.owner, sCheck, t.name, { col.name }, false);
         }
      }
      if (! t.primaryKey.columns.isEmpty())
      {
         ddl.append(QString("INSERT INTO emul.all_constraints VALUES (%1, %2, 'P', %3, NULL, NULL)").arg(sqlText(t.owner), sqlText(t.primaryKey.name), sqlText(t.name)));
         consColumns(t.owner, t.primaryKey.name, t.name, t.primaryKey.columns, true);
      }
      for (const key_def& fk : t.foreignKeys)
      {
         const QString sName = (fk.name.isEmpty() ? QString("SYS_C00%1").arg(++iConstraint) : fk.name);
         QString sReferenced;
         for (const table_def& ref : schema) { if ((ref.owner == fk.refOwner) && (ref.name == fk.refTable)) { sReferenced = ref.primaryKey.name; } }
         ddl.append(QString("INSERT INTO emul.all_constraints VALUES (%1, %2, 'R', %3, %4, %5)").arg(sqlText(t.owner), sqlText(sName), sqlText(t.name), sqlText(fk.refOwner), sqlText(sReferenced)));
         consColumns(t.owner, sName, t.name, fk.columns, true);
      }
   }
   // a table dropped into the recycle bin stays in the dictionary under a name of its own
   ddl << "INSERT INTO emul.all_tables VALUES ('" + (schema.isEmpty() ? QString("SHOP") : schema.first().owner) + "', 'BIN$pZ2Ab3xKQ2uB0tqY1Zc0Aw==$0', 'USERS', NULL, 'NO', 'N', 'YES')";
   ddl << view("sys.all_tables", "SELECT * FROM emul.all_tables") << view("sys.all_views", "SELECT * FROM emul.all_views")
       << view("sys.product_component_version", "SELECT * FROM (VALUES ('Oracle Database 19c Enterprise Edition', '19.0.0.0.0'), ('NLSRTL', '19.0.0.0.0')) AS v(product, version)")
       << view("sys.all_tab_cols", "SELECT * FROM emul.all_tab_cols")
       << view("sys.all_tab_columns", "SELECT owner, table_name, column_name, data_type, nullable, column_id, data_default FROM emul.all_tab_cols WHERE user_generated = 'YES'")
       << view("sys.all_constraints", "SELECT * FROM emul.all_constraints") << view("sys.all_cons_columns", "SELECT * FROM emul.all_cons_columns");
   return ddl;
}

/** The catalogue of a script, its unqualified names under sOwner, as the engine's server keeps it. */
inline QStringList catalogue(dialect engine, const QString& sOwner, const QString& sDdl)
{
   const schema_def schema = ddl_reader(engine, sOwner).read(sDdl);
   return ((engine == dialect::oracle) ? oracleCatalogue(schema) : sqlServerCatalogue(schema));
}

/** The SQL texts a reader's source file states (its namespace sql), placeholders written "?". */
inline QStringList readerTexts(const QString& sSourceFile)
{
   QFile file(sSourceFile);
   if (! file.open(QIODevice::ReadOnly)) { return QStringList(); }
   QString source = QString::fromUtf8(file.readAll());
   source = source.section("namespace sql {", 1).section("} // namespace sql", 0, 0);
   QStringList lst;
   const QRegularExpression literal(R"re("((?:[^"\\]|\\.)*)")re");
   for (auto itr = QRegularExpression(R"re(\bk_\w+\s*=\s*((?:"(?:[^"\\]|\\.)*"\s*)+);)re").globalMatch(source); itr.hasNext();)
   {
      QString sql;
      for (auto part = literal.globalMatch(itr.next().captured(1)); part.hasNext();) { sql += part.next().captured(1).replace("\\\"", "\"").replace("\\\\", "\\"); }
      lst.append(sql.replace(QRegularExpression(":\\w+"), "?"));
   }
   return lst;
}

/**
 * The statements this process prepares through ODBC, as the driver manager's trace shows them: the text
 * the driver is handed, before it makes anything of it. Tracing starts for connections opened after the
 * object is made (unixODBC reads its settings from ODBCSYSINI when a connection allocates its environment).
 */
class odbc_trace
{
public:
   odbc_trace()
   {
      QFile system("/etc/odbcinst.ini"), own(m_dir.filePath("odbcinst.ini"));
      if (! m_dir.isValid() || ! system.open(QIODevice::ReadOnly) || ! own.open(QIODevice::WriteOnly)) { return; }
      own.write(system.readAll() + "\n[ODBC]\nTrace=Yes\nTraceFile=" + m_dir.filePath("trace.log").toUtf8() + "\n");
      qputenv("ODBCSYSINI", m_dir.path().toUtf8());
   }
   ~odbc_trace() { qunsetenv("ODBCSYSINI"); }
   odbc_trace(const odbc_trace&) = delete;

   /** The driver manager writes the first 127 characters of a text and its length: "start...|length". */
   static QStringList traced(const QStringList& lstTexts)
   {
      QStringList lst;
      for (const QString& s : lstTexts) { lst.append(s.left(127) + ((s.length() > 127) ? "..." : "") + "|" + QString::number(s.length())); }
      lst.sort();
      return lst;
   }

   /** What was prepared, as traced(). */
   QStringList prepared() const
   {
      QFile file(m_dir.filePath("trace.log"));
      QStringList lst;
      if (! file.open(QIODevice::ReadOnly)) { return lst; }
      const QString trace = QString::fromUtf8(file.readAll());
      for (auto itr = detail::re(R"re(\[SQLPrepareW?\.c\]\[\d+\]\s*Entry:\s*Statement = \S+\s*SQL = \[(.*?)\]\[length = (\d+))re").globalMatch(trace); itr.hasNext();)
      {
         const auto m = itr.next();
         lst.append(m.captured(1) + "|" + m.captured(2));
      }
      lst.removeDuplicates();
      lst.sort();
      return lst;
   }

private:
   QTemporaryDir m_dir;
};

} // namespace kel_emulation

#endif // KEL_TESTS_CATALOGUE_EMULATION_H
