#ifndef MODEL_PROJECT_H
#define MODEL_PROJECT_H

#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

#include <vx/VxBool.h>

namespace model {

struct entity_property
{
   QString name;
   QString cppType;
   QString sqlType;
   QString description;
   QString defaultValue;
   bool notNull = false;
   bool primaryKey = false;
   bool operator==(const entity_property& o) const;
};

/** "many-to-one" (a foreign key of this entity) or "one-to-many" (the way back from its target). */
struct entity_relationship
{
   QString name;
   QString kind;
   QString cppType;
   QString targetNamespace;
   QString targetEntity;
   QStringList columns;
   QStringList targetColumns;
   bool operator==(const entity_relationship& o) const;
};

struct entity
{
   QString nameSpace;
   QString name;
   QString description;
   QString generatedBy;
   bool isView = false;
   QList<entity_property> properties;
   QList<entity_relationship> relationships;
   QString fullName() const { return (nameSpace.isEmpty() ? name : (nameSpace + "::" + name)); }
   bool operator==(const entity& o) const;
};

/**
 * The opened project: a SQLite file holding the entities and the plug-ins' settings. The entities are kept in
 * memory as well, read from the file once and changed with every write that commits: what the designer shows,
 * undoes or prints is not read back from the file after each write.
 */
class project
{
public:
   explicit project(const QString& sFilePath) : m_sFilePath(sFilePath) { ; }

   QString getFilePath() const { return m_sFilePath; }

   /** Entities in creation order (read from the project file the first time). */
   QList<entity> getEntities(vx::VxBool* pResult = nullptr) const;
   /** Writes entities, in one transaction: one of the same namespace and name is replaced in its place, the others appended. */
   vx::VxBool addEntities(const QList<entity>& lst);
   /** Writes lst as addEntities does, and removes the other entities of the namespaces (and of the namespaces below
       them), in one transaction: all of it or nothing. pReplaced gets how many of lst replaced an entity. */
   vx::VxBool replaceNamespaces(const QStringList& lstNamespaces, const QList<entity>& lst, int* pReplaced = nullptr);
   /** Makes the project's entities exactly lst (undo and redo), in one transaction. */
   vx::VxBool replaceEntities(const QList<entity>& lst);

private:
   struct write_plan;
   static QSqlError writeEntities(QSqlDatabase* db, const QList<entity>& lst, const QStringList& lstNamespaces, write_plan& plan, int& iReplaced);
   /** Brings the entities kept in memory to what a committed write left in the file (or lets them go when the file was not as they were). */
   void afterWrite(const QList<entity>& lst, const write_plan& plan);

   QString m_sFilePath;
   // the file's entities in its order (entity_id) and their row ids; valid once read
   mutable QList<entity> m_lstEntities;
   mutable QList<qint64> m_lstIds;
   mutable bool m_bLoaded = false;
};

} // namespace model

#endif // MODEL_PROJECT_H
