#ifndef PLUGIN_ODBC_IMPORT_TABLE_BUILDER_H
#define PLUGIN_ODBC_IMPORT_TABLE_BUILDER_H

#include <memory>

#include <QPair>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <model/app_model.h>

namespace plugin {

/**
 * Builds one host table from what a reader learned of it, the same way for every reader: the columns in the
 * table's column list, its primary key or its foreign keys, a column in several foreign keys cloned per key.
 * The readers differ only in how they learn it (SQL on a catalogue, or ODBC's catalogue functions).
 */
class odbc_import_table_builder
{
public:
   struct table_row
   {
      QString name;
      QString rawNamespace;   // as the database names it (bound to ":table_namespace")
      QString nameSpace;      // what the model shows (the connection's default schema is empty)
      QString description;
      bool isView = false;
      QString unreadable;     // why the row cannot be read: the run fails with this message
   };

   struct relation_row
   {
      QString column;
      QString targetTable;
      QString targetNamespace;
      QString targetColumn;
      QString constraintName;
      QString keyText;        // hashed into the foreign-key key
      bool hasConstraintName = true;
   };

   struct column_row
   {
      QString name;
      QString sqlType;
      QVariant valueType;     // the Qt value type of sqlType
      QString description;
      QString defaultValue;
      bool notNull = false;
      bool isPrimaryKey = false;
      bool isHidden = false;  // a row that is no column of the table (a virtual table's hidden column)
      QVector<QPair<QString, QVariant>> metaData;
   };

   /** What the primary-key, relationship and columns queries say of one table, rows in their order. */
   struct table_content
   {
      QStringList primaryKey;
      QVector<relation_row> relations;
      QVector<column_row> columns;
   };

   /** Why the project could not hold a table of this name apart from others, empty when it can: the project
       joins namespace and name with "::", so a name holding "::" or beginning with ":" would read as another
       namespace's table ("b::c" in the default schema is schema b's table c). */
   static QString unusableName(const QString& sName);
   /** "namespace.name", or the name alone in the empty namespace: a table as messages name it. */
   static QString qualified(const QString& sNamespace, const QString& sName) { return (sNamespace.isEmpty() ? sName : (sNamespace + "." + sName)); }
   /** The warning for a table left out, up to its reason. */
   static QString leftOut(const table_row& row) { return QString(row.isView ? "View '" : "Table '") + qualified(row.nameSpace, row.name) + "' is left out : "; }

   /** The table of row, keyed lTableKey; null when it is left out, with the reason in lstWarnings. A table with
       no column is left out unless bEmptyTableIsReal (a read from one snapshot of the catalogue): elsewhere it
       was dropped while the catalogue was read. */
   static std::shared_ptr<model::app_table> build(const table_row& row, long lTableKey, const table_content& content, bool bEmptyTableIsReal, QStringList& lstWarnings);
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_TABLE_BUILDER_H
