#ifndef PLUGIN_ODBC_IMPORT_STANDARD_KEYS_H
#define PLUGIN_ODBC_IMPORT_STANDARD_KEYS_H

#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QStringList>
#include <QVector>

namespace plugin {

/**
 * The keys of whole schemas from the SQL standard's INFORMATION_SCHEMA views, which PostgreSQL, MariaDB, SQL Server
 * and many other databases keep: a few queries a schema where ODBC's catalogue functions take two calls a table. A
 * table's keys are given only when the views tell them whole; otherwise the caller asks the driver, table by table:
 * - a table the views do not show (PostgreSQL shows the constraints of the tables one owns or may change only);
 * - a primary key the driver may see where the views see none (MariaDB's driver calls a UNIQUE NOT NULL key the
 *   primary key of a table without one);
 * - a foreign key whose target the views cannot name for sure (PostgreSQL lets two tables of a schema have keys of
 *   one name; SQL Server's views have no POSITION_IN_UNIQUE_CONSTRAINT).
 */
class odbc_import_standard_keys
{
public:
   struct foreign_key_column
   {
      QString column;
      QString targetSchema;   // as the views name it: MariaDB's database, elsewhere the schema
      QString targetTable;
      QString targetColumn;
      QString constraintName;
   };
   struct table_keys
   {
      bool primaryKeyKnown = false;
      QStringList primaryKey;   // in key order
      bool foreignKeysKnown = false;
      QVector<foreign_key_column> foreignKeys;   // key after key, each in its column order
   };

   /** Nothing is asked of a connection whose rows cannot come in sets: the views are read through odbc_import_fetch. */
   explicit odbc_import_standard_keys(const QSqlDatabase& database);

   /** Reads what the views hold of one schema (read once); false when the database has no such views or refuses
       them, and from then on for every schema. */
   bool readSchema(const QString& sSchema);
   /** What the views tell whole of one table of a schema read before. */
   table_keys keysOf(const QString& sSchema, const QString& sTable);

private:
   struct key_column
   {
      QString column;
      int position = 0;
      int uniquePosition = 0;   // 0: none given
      QString targetSchema, targetTable, targetColumn;   // where the views name them (MariaDB)
   };
   struct constraint
   {
      QString name;
      QString type;
      QVector<key_column> columns;   // in key order
   };
   struct schema_keys
   {
      QHash<QString, QVector<constraint>> tables;               // a table's constraints, by its name
      QHash<QString, QString> uniqueTables;                     // the table of a primary or unique key, by the key's name; empty when two share it
      QHash<QString, QSet<QString>> referencedKeys;             // the unique keys a foreign key of this name refers to, as "schema\x1fname"
      bool namesTargets = false;                                // the foreign keys' rows name their target columns
   };

   /** The target columns of a foreign key by the unique key it refers to; false when they cannot be named for sure. */
   bool resolveTargets(const QString& sSchema, const constraint& foreignKey, QVector<foreign_key_column>& lstColumns);

   QSqlDatabase m_database;
   bool m_bAvailable = false;
   QHash<QString, schema_keys> m_mapSchemas;
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_STANDARD_KEYS_H
