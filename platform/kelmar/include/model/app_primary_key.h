#ifndef MODEL_APP_PRIMARY_KEY_H
#define MODEL_APP_PRIMARY_KEY_H

#include <memory>

#include "app_table.h"

namespace model {

class app_primary_key : public persistable, public std::enable_shared_from_this<app_primary_key>
{
public:
   app_primary_key() : m_pListColumns(std::make_shared<type_lst_column>()) { ; }

   /** Name of the key: the table's name followed by "_pk" unless set. */
   QString getName() const { return ((m_sName.isEmpty() && getTable()) ? (getTable()->getName() + "_pk") : m_sName); }
   std::shared_ptr<app_table> getTable() const { return m_pTable.lock(); }
   std::shared_ptr<type_lst_column> getListColumns() const { return m_pListColumns; }
   void setName(const QString& s) { m_sName = s; }
   void setTable(const std::shared_ptr<app_table>& p) { m_pTable = p; }

private:
   QString m_sName;
   std::weak_ptr<app_table> m_pTable;
   std::shared_ptr<type_lst_column> m_pListColumns;
};

} // namespace model

#endif // MODEL_APP_PRIMARY_KEY_H
