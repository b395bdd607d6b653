#ifndef MODEL_PROJECT_H
#define MODEL_PROJECT_H

#include <QList>
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

/** The opened project: a SQLite file holding the entities and the plug-ins' settings. */
class project
{
public:
   explicit project(const QString& sFilePath) : m_sFilePath(sFilePath) { ; }

   QString getFilePath() const { return m_sFilePath; }

   /** Entities in creation order (read from the project file). */
   QList<entity> getEntities(vx::VxBool* pResult = nullptr) const;
   /** Writes entities, in one transaction: one of the same namespace and name is replaced in its place, the others appended. */
   vx::VxBool addEntities(const QList<entity>& lst);
   /** Writes lst as addEntities does, and removes the other entities of the namespaces (and of the namespaces below
       them), in one transaction: all of it or nothing. pReplaced gets how many of lst replaced an entity. */
   vx::VxBool replaceNamespaces(const QStringList& lstNamespaces, const QList<entity>& lst, int* pReplaced = nullptr);
   /** Makes the project's entities exactly lst (undo and redo), in one transaction. */
   vx::VxBool replaceEntities(const QList<entity>& lst);

private:
   QString m_sFilePath;
};

} // namespace model

#endif // MODEL_PROJECT_H
