#ifndef MODEL_APP_FOREIGN_KEY_H
#define MODEL_APP_FOREIGN_KEY_H

#include <memory>

#include "app_table.h"

namespace model {

class app_foreign_key : public persistable, public std::enable_shared_from_this<app_foreign_key>
{
public:
   app_foreign_key() : m_pListColumns(std::make_shared<type_lst_column>()) { ; }

   /** The constraint's name, or the target table's when the engine names none (SQLite). */
   QString getName() const { return (m_sConstraintName.isEmpty() ? m_sTargetTable : m_sConstraintName); }
   QString getConstraintName() const { return m_sConstraintName; }
   QString getTargetTable() const { return m_sTargetTable; }
   QString getTargetTableNamespace() const { return m_sTargetTableNamespace; }
   std::shared_ptr<app_table> getTable() const { return m_pTable.lock(); }
   std::shared_ptr<type_lst_column> getListColumns() const { return m_pListColumns; }

   void setConstraintName(const QString& s) { m_sConstraintName = s; }
   void setTargetTable(const QString& s) { m_sTargetTable = s; }
   void setTargetTableNamespace(const QString& s) { m_sTargetTableNamespace = s; }
   void setTable(const std::shared_ptr<app_table>& p) { m_pTable = p; }

private:
   QString m_sConstraintName;
   QString m_sTargetTable;
   QString m_sTargetTableNamespace;
   std::weak_ptr<app_table> m_pTable;
   std::shared_ptr<type_lst_column> m_pListColumns;
};

} // namespace model

#endif // MODEL_APP_FOREIGN_KEY_H
