#ifndef MODEL_APP_TABLE_H
#define MODEL_APP_TABLE_H

#include <memory>

#include <vx/VxCollection.h>

#include "persistable.h"

namespace model {

class app_column;
class app_primary_key;
class app_foreign_key;

typedef vx::VxCollection<long, std::shared_ptr<app_column>> type_lst_column;
typedef vx::VxCollection<long, std::shared_ptr<app_foreign_key>> type_lst_foreign_key;

/** A table or view read from a database catalogue. */
class app_table : public persistable, public std::enable_shared_from_this<app_table>
{
public:
   app_table() = default;
   ~app_table() override = default;

   QString getName() const { return m_sName; }
   QString getDescription() const { return m_sDescription; }
   QString getNamespace() const { return m_sNamespace; }
   bool getIsView() const { return m_bIsView; }
   std::shared_ptr<app_primary_key> getPrimaryKey() const { return m_pPrimaryKey; }
   std::shared_ptr<type_lst_column> getListOfColumns() const { return m_pListOfColumns; }
   std::shared_ptr<type_lst_foreign_key> getListOfRelations() const { return m_pListOfRelations; }

   void setName(const QString& s) { m_sName = s; }
   void setDescription(const QString& s) { m_sDescription = s; }
   void setNamespace(const QString& s) { m_sNamespace = s; }
   void setIsView(bool b) { m_bIsView = b; }
   void setPrimaryKey(const std::shared_ptr<app_primary_key>& p) { m_pPrimaryKey = p; }
   void setListOfColumns(const std::shared_ptr<type_lst_column>& p) { m_pListOfColumns = p; }
   void setListOfRelations(const std::shared_ptr<type_lst_foreign_key>& p) { m_pListOfRelations = p; }

   /** Releases columns, keys and relations (a table dropped from an import). */
   virtual void terminate();

private:
   QString m_sName;
   QString m_sDescription;
   QString m_sNamespace;
   bool m_bIsView = false;
   std::shared_ptr<app_primary_key> m_pPrimaryKey;
   std::shared_ptr<type_lst_column> m_pListOfColumns;
   std::shared_ptr<type_lst_foreign_key> m_pListOfRelations;
};

} // namespace model

#endif // MODEL_APP_TABLE_H
