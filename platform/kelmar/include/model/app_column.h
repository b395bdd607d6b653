#ifndef MODEL_APP_COLUMN_H
#define MODEL_APP_COLUMN_H

#include <memory>

#include "persistable.h"

namespace model {

class app_table;
class app_primary_key;
class app_foreign_key;

/** A column; back references to its table and keys are weak, the owners hold the columns. */
class app_column : public persistable, public std::enable_shared_from_this<app_column>
{
public:
   app_column() = default;
   ~app_column() override = default;

   QString getName() const { return m_sName; }
   QString getDescription() const { return m_sDescription; }
   QString getSqlType() const { return m_sSqlType; }
   QVariant getType() const { return m_vType; }
   QString getDefaultValue() const { return m_sDefaultValue; }
   bool getNotNull() const { return m_bNotNull; }
   QString getTargetColumn() const { return m_sTargetColumn; }
   std::shared_ptr<app_table> getTable() const { return m_pTable.lock(); }
   std::shared_ptr<app_primary_key> getPrimaryKey() const { return m_pPrimaryKey.lock(); }
   std::shared_ptr<app_foreign_key> getForeignKey() const { return m_pForeignKey.lock(); }

   void setName(const QString& s) { m_sName = s; }
   void setDescription(const QString& s) { m_sDescription = s; }
   void setSqlType(const QString& s) { m_sSqlType = s; }
   void setType(const QVariant& v) { m_vType = v; }
   void setDefaultValue(const QString& s) { m_sDefaultValue = s; }
   void setNotNull(bool b) { m_bNotNull = b; }
   void setTargetColumn(const QString& s) { m_sTargetColumn = s; }
   void setTable(const std::shared_ptr<app_table>& p) { m_pTable = p; }
   void setPrimaryKey(const std::shared_ptr<app_primary_key>& p) { m_pPrimaryKey = p; }
   void setForeignKey(const std::shared_ptr<app_foreign_key>& p) { m_pForeignKey = p; }

   /** A new column carrying everything set on this one. */
   std::shared_ptr<app_column> clone() const { return std::make_shared<app_column>(*this); }

private:
   QString m_sName;
   QString m_sDescription;
   QString m_sSqlType;
   QVariant m_vType;
   QString m_sDefaultValue;
   bool m_bNotNull = false;
   QString m_sTargetColumn;
   std::weak_ptr<app_table> m_pTable;
   std::weak_ptr<app_primary_key> m_pPrimaryKey;
   std::weak_ptr<app_foreign_key> m_pForeignKey;
};

} // namespace model

#endif // MODEL_APP_COLUMN_H
