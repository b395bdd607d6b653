#include <model/project.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QSqlQuery>

#include <vx/VxSessionHost.h>
#include <vx/VxSqlDatabase.h>

#include <context/ctx_project.h>
#include <context/ctx_scoped.h>

namespace model {

bool entity_property::operator==(const entity_property& o) const
{
   return ((name == o.name) && (cppType == o.cppType) && (sqlType == o.sqlType) && (description == o.description) && (defaultValue == o.defaultValue) && (notNull == o.notNull) && (primaryKey == o.primaryKey));
}

bool entity_relationship::operator==(const entity_relationship& o) const
{
   return ((name == o.name) && (kind == o.kind) && (cppType == o.cppType) && (targetNamespace == o.targetNamespace) && (targetEntity == o.targetEntity) && (columns == o.columns) && (targetColumns == o.targetColumns));
}

bool entity::operator==(const entity& o) const
{
   return ((nameSpace == o.nameSpace) && (name == o.name) && (description == o.description) && (generatedBy == o.generatedBy) && (isView == o.isView) && (properties == o.properties) && (relationships == o.relationships));
}

namespace {

// The properties and relationships of an entity are kept as one JSON text per entity row.
QString toDefinition(const entity& e)
{
   QJsonArray properties;
   for (const entity_property& p : e.properties)
   {
      properties.append(QJsonObject{ { "name", p.name }, { "cppType", p.cppType }, { "sqlType", p.sqlType }, { "description", p.description },
                                     { "defaultValue", p.defaultValue }, { "notNull", p.notNull }, { "primaryKey", p.primaryKey } });
   }
   QJsonArray relationships;
   for (const entity_relationship& r : e.relationships)
   {
      relationships.append(QJsonObject{ { "name", r.name }, { "kind", r.kind }, { "cppType", r.cppType }, { "targetNamespace", r.targetNamespace },
                                        { "targetEntity", r.targetEntity }, { "columns", QJsonArray::fromStringList(r.columns) },
                                        { "targetColumns", QJsonArray::fromStringList(r.targetColumns) } });
   }
   const QJsonObject root{ { "isView", e.isView }, { "properties", properties }, { "relationships", relationships } };
   return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Compact));
}

QStringList toStringList(const QJsonValue& v)
{
   QStringList lst;
   for (const QJsonValue& item : v.toArray()) { lst.append(item.toString()); }
   return lst;
}

void fromDefinition(const QString& definition, entity& e)
{
   const QJsonObject root = QJsonDocument::fromJson(definition.toUtf8()).object();
   e.isView = root.value("isView").toBool();
   for (const QJsonValue& v : root.value("properties").toArray())
   {
      const QJsonObject o = v.toObject();
      entity_property p;
      p.name = o.value("name").toString();
      p.cppType = o.value("cppType").toString();
      p.sqlType = o.value("sqlType").toString();
      p.description = o.value("description").toString();
      p.defaultValue = o.value("defaultValue").toString();
      p.notNull = o.value("notNull").toBool();
      p.primaryKey = o.value("primaryKey").toBool();
      e.properties.append(p);
   }
   for (const QJsonValue& v : root.value("relationships").toArray())
   {
      const QJsonObject o = v.toObject();
      entity_relationship r;
      r.name = o.value("name").toString();
      r.kind = o.value("kind").toString();
      r.cppType = o.value("cppType").toString();
      r.targetNamespace = o.value("targetNamespace").toString();
      r.targetEntity = o.value("targetEntity").toString();
      r.columns = toStringList(o.value("columns"));
      r.targetColumns = toStringList(o.value("targetColumns"));
      e.relationships.append(r);
   }
}

// SQL drivers bind a null QString as NULL
QString nonNull(const QString& s) { return (s.isNull() ? QString("") : s); }

vx::VxBool failure(const QString& sWhat, const QSqlError& error) { return vx::VxBool(false, 0, sWhat + " : " + error.text()); }

QSqlError insertEntities(QSqlDatabase* db, const QList<entity>& lst)
{
   QSqlQuery q(*db);
   if (! q.prepare("INSERT INTO t_entity (entity_namespace, entity_name, description, generated_by, definition) VALUES (?, ?, ?, ?, ?)")) { return q.lastError(); }
   for (const entity& e : lst)
   {
      q.addBindValue(nonNull(e.nameSpace));
      q.addBindValue(nonNull(e.name));
      q.addBindValue(nonNull(e.description));
      q.addBindValue(nonNull(e.generatedBy));
      q.addBindValue(toDefinition(e));
      if (! q.exec()) { return q.lastError(); }
   }
   return QSqlError();
}

/** An entity of the same namespace and name is rewritten where it stands (its row keeps its place), the others are appended. */
QSqlError writeEntities(QSqlDatabase* db, const QList<entity>& lst, int& iReplaced)
{
   QSqlQuery q(*db);
   if (! q.prepare("UPDATE t_entity SET description = ?, generated_by = ?, definition = ? WHERE entity_namespace = ? AND entity_name = ?")) { return q.lastError(); }
   QList<entity> lstNew;
   for (const entity& e : lst)
   {
      q.addBindValue(nonNull(e.description));
      q.addBindValue(nonNull(e.generatedBy));
      q.addBindValue(toDefinition(e));
      q.addBindValue(nonNull(e.nameSpace));
      q.addBindValue(nonNull(e.name));
      if (! q.exec()) { return q.lastError(); }
      if (q.numRowsAffected() > 0) { ++iReplaced; } else { lstNew.append(e); }
   }
   return insertEntities(db, lstNew);
}

/** Removes the entities of the namespaces (and of the namespaces below them) that lst does not hold. */
QSqlError deleteEntities(QSqlDatabase* db, const QStringList& lstNamespaces, const QList<entity>& lst)
{
   if (lstNamespaces.isEmpty()) { return QSqlError(); }
   QSet<QString> setKept;
   for (const entity& e : lst) { setKept.insert(e.fullName()); }
   // a namespace goes with the namespaces below it: "ns" takes "ns::s2" along, not "nsx"
   const auto inNamespaces = [&lstNamespaces](const QString& sNamespace) {
      for (const QString& ns : lstNamespaces) { if ((sNamespace == ns) || sNamespace.startsWith(ns + "::")) { return true; } }
      return false;
   };
   QSqlQuery q(*db);
   if (! q.exec("SELECT entity_id, entity_namespace, entity_name FROM t_entity")) { return q.lastError(); }
   QVariantList lstIds;
   while (q.next())
   {
      const entity e{ q.value(1).toString(), q.value(2).toString() };
      if (inNamespaces(e.nameSpace) && ! setKept.contains(e.fullName())) { lstIds.append(q.value(0)); }
   }
   QSqlQuery del(*db);
   if (! del.prepare("DELETE FROM t_entity WHERE entity_id = ?")) { return del.lastError(); }
   for (const QVariant& id : lstIds)
   {
      del.addBindValue(id);
      if (! del.exec()) { return del.lastError(); }
   }
   return QSqlError();
}

} // namespace

QList<entity> project::getEntities(vx::VxBool* pResult) const
{
   QList<entity> lst;
   context::ctx_scoped scoped(vx::VxSingleton<context::ctx_project>::getSingleton());
   QSqlError error;
   QSqlDatabase db = vx::VxSqlDatabase::getDatabase(error);
   QSqlQuery q(db);
   // each row is read once: no copy of the whole table kept beside the entities made of it
   q.setForwardOnly(true);
   if (! error.isValid() && ! q.exec("SELECT entity_namespace, entity_name, description, generated_by, definition FROM t_entity ORDER BY entity_id")) { error = q.lastError(); }
   while (! error.isValid() && q.next())
   {
      entity e;
      e.nameSpace = q.value(0).toString();
      e.name = q.value(1).toString();
      e.description = q.value(2).toString();
      e.generatedBy = q.value(3).toString();
      fromDefinition(q.value(4).toString(), e);
      lst.append(e);
   }
   if (pResult) { (*pResult) = (error.isValid() ? failure("cannot read the project's entities", error) : vx::VxBool(true)); }
   return lst;
}

vx::VxBool project::addEntities(const QList<entity>& lst) { return replaceNamespaces(QStringList(), lst); }

vx::VxBool project::replaceNamespaces(const QStringList& lstNamespaces, const QList<entity>& lst, int* pReplaced)
{
   context::ctx_scoped scoped(vx::VxSingleton<context::ctx_project>::getSingleton());
   vx::VxSessionHost session;
   int iReplaced = 0;
   if (session.isValid()) { session += writeEntities(session.database(), lst, iReplaced); }
   if (session.isValid()) { session += deleteEntities(session.database(), lstNamespaces, lst); }
   const QSqlError error = session.commit();
   if (pReplaced) { (*pReplaced) = (error.isValid() ? 0 : iReplaced); }
   return (error.isValid() ? failure("cannot add entities to the project", error) : vx::VxBool(true));
}

vx::VxBool project::replaceEntities(const QList<entity>& lst)
{
   context::ctx_scoped scoped(vx::VxSingleton<context::ctx_project>::getSingleton());
   vx::VxSessionHost session;
   QSqlQuery q(*session.database());
   if (session.isValid() && ! q.exec("DELETE FROM t_entity")) { session += q.lastError(); }
   if (session.isValid()) { session += insertEntities(session.database(), lst); }
   const QSqlError error = session.commit();
   return (error.isValid() ? failure("cannot restore the project's entities", error) : vx::VxBool(true));
}

} // namespace model
