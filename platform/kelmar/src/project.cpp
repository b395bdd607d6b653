#include <model/project.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QHash>
#include <QPair>
#include <QSet>
#include <QVector>
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

// A string as QJsonDocument writes it. Printable ASCII is written as it is; anything else (quotes, backslashes,
// control characters, the rest of Unicode) is left to QJsonDocument itself, so that the text stays the same.
void appendString(QString& json, const QString& s)
{
   const QChar* pChars = s.constData();
   const int iSize = s.size();
   bool bPlain = true;
   for (int i = 0; bPlain && (i < iSize); ++i)
   {
      const ushort c = pChars[i].unicode();
      bPlain = ((c >= 0x20) && (c < 0x7f) && (c != '"') && (c != '\\'));
   }
   if (bPlain)
   {
      json += QLatin1Char('"');
      json += s;
      json += QLatin1Char('"');
      return;
   }
   const QByteArray quoted = QJsonDocument(QJsonArray{ s }).toJson(QJsonDocument::Compact);
   json += QString::fromUtf8(quoted.constData() + 1, quoted.size() - 2); // ["..."]
}

void appendMember(QString& json, const char* sKey, const QString& value) { json += QLatin1String(sKey); appendString(json, value); }

void appendMember(QString& json, const char* sKey, bool value) { json += QLatin1String(sKey); json += (value ? QLatin1String("true") : QLatin1String("false")); }

void appendMember(QString& json, const char* sKey, const QStringList& lst)
{
   json += QLatin1String(sKey);
   json += QLatin1Char('[');
   for (int i = 0; i < lst.count(); ++i)
   {
      if (i > 0) { json += QLatin1Char(','); }
      appendString(json, lst.at(i));
   }
   json += QLatin1Char(']');
}

// The properties and relationships of an entity are kept as one JSON text per entity row: QJsonDocument's compact
// form of {"isView", "properties", "relationships"}, written directly (keys in the order QJsonObject sorts them)
// rather than built as JSON objects first.
QString toDefinition(const entity& e)
{
   QString json;
   json.reserve(64 + (e.properties.count() * 192) + (e.relationships.count() * 256));
   appendMember(json, "{\"isView\":", e.isView);
   json += QLatin1String(",\"properties\":[");
   for (int i = 0; i < e.properties.count(); ++i)
   {
      const entity_property& p = e.properties.at(i);
      if (i > 0) { json += QLatin1Char(','); }
      appendMember(json, "{\"cppType\":", p.cppType);
      appendMember(json, ",\"defaultValue\":", p.defaultValue);
      appendMember(json, ",\"description\":", p.description);
      appendMember(json, ",\"name\":", p.name);
      appendMember(json, ",\"notNull\":", p.notNull);
      appendMember(json, ",\"primaryKey\":", p.primaryKey);
      appendMember(json, ",\"sqlType\":", p.sqlType);
      json += QLatin1Char('}');
   }
   json += QLatin1String("],\"relationships\":[");
   for (int i = 0; i < e.relationships.count(); ++i)
   {
      const entity_relationship& r = e.relationships.at(i);
      if (i > 0) { json += QLatin1Char(','); }
      appendMember(json, "{\"columns\":", r.columns);
      appendMember(json, ",\"cppType\":", r.cppType);
      appendMember(json, ",\"kind\":", r.kind);
      appendMember(json, ",\"name\":", r.name);
      appendMember(json, ",\"targetColumns\":", r.targetColumns);
      appendMember(json, ",\"targetEntity\":", r.targetEntity);
      appendMember(json, ",\"targetNamespace\":", r.targetNamespace);
      json += QLatin1Char('}');
   }
   json += QLatin1String("]}");
   return json;
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

typedef QPair<QString, QString> type_name; // namespace and name, as the rows hold them

/** Inserts lst's entities at the end, each definition built once; lstIds gets their row ids. */
QSqlError insertEntities(QSqlDatabase* db, const QList<entity>& lst, const QList<int>& lstWhich, QList<qint64>& lstIds)
{
   QSqlQuery q(*db);
   if (! q.prepare("INSERT INTO t_entity (entity_namespace, entity_name, description, generated_by, definition) VALUES (?, ?, ?, ?, ?)")) { return q.lastError(); }
   for (const int i : lstWhich)
   {
      const entity& e = lst.at(i);
      q.bindValue(0, nonNull(e.nameSpace));
      q.bindValue(1, nonNull(e.name));
      q.bindValue(2, nonNull(e.description));
      q.bindValue(3, nonNull(e.generatedBy));
      q.bindValue(4, toDefinition(e));
      if (! q.exec()) { return q.lastError(); }
      lstIds.append(q.lastInsertId().toLongLong());
   }
   return QSqlError();
}

QList<int> allOf(const QList<entity>& lst)
{
   QList<int> lstAll;
   lstAll.reserve(lst.count());
   for (int i = 0; i < lst.count(); ++i) { lstAll.append(i); }
   return lstAll;
}

} // namespace

/** What one write does to the rows that were there (by their place) and which entities it appends. */
struct project::write_plan
{
   QList<qint64> lstIds;       // the rows before the write, in their order
   QVector<int> lstReplacedBy; // per row: the entity of lst written over it, or -1
   QVector<bool> lstDeleted;   // per row: removed with its namespace
   QList<int> lstNew;          // entities of lst appended, in lst's order
   QList<qint64> lstNewIds;    // and their row ids
};

/**
 * One look-up of the rows already there, then each entity written once: one of the same namespace and name is
 * rewritten where it stands (its row keeps its place), the others are appended; then the entities of the
 * namespaces (and of the namespaces below them) that lst does not hold are removed.
 */
QSqlError project::writeEntities(QSqlDatabase* db, const QList<entity>& lst, const QStringList& lstNamespaces, write_plan& plan, int& iReplaced)
{
   QSqlQuery rows(*db);
   rows.setForwardOnly(true);
   if (! rows.exec("SELECT entity_id, entity_namespace, entity_name FROM t_entity ORDER BY entity_id")) { return rows.lastError(); }
   QList<type_name> lstNames;
   QHash<type_name, int> hashFirst; // the first row of a name
   QHash<type_name, int> hashLast;
   QVector<int> lstNextSame;        // the next row of the same name, or -1: a name held by several rows is rewritten in each
   while (rows.next())
   {
      const int r = lstNames.count();
      plan.lstIds.append(rows.value(0).toLongLong());
      lstNames.append(type_name(rows.value(1).toString(), rows.value(2).toString()));
      lstNextSame.append(-1);
      const int iLast = hashLast.value(lstNames.last(), -1);
      if (iLast < 0) { hashFirst.insert(lstNames.last(), r); } else { lstNextSame[iLast] = r; }
      hashLast.insert(lstNames.last(), r);
   }
   if (rows.lastError().isValid()) { return rows.lastError(); }
   plan.lstReplacedBy.fill(-1, plan.lstIds.count());
   plan.lstDeleted.fill(false, plan.lstIds.count());

   QSqlQuery update(*db);
   if (! hashFirst.isEmpty() && ! update.prepare("UPDATE t_entity SET description = ?, generated_by = ?, definition = ? WHERE entity_id = ?")) { return update.lastError(); }
   for (int i = 0; i < lst.count(); ++i)
   {
      const entity& e = lst.at(i);
      const type_name name(nonNull(e.nameSpace), nonNull(e.name));
      const int iFirst = hashFirst.value(name, -1);
      if (iFirst < 0) { plan.lstNew.append(i); continue; }
      const QString sDefinition = toDefinition(e);
      for (int r = iFirst; r >= 0; r = lstNextSame.at(r))
      {
         update.bindValue(0, nonNull(e.description));
         update.bindValue(1, nonNull(e.generatedBy));
         update.bindValue(2, sDefinition);
         update.bindValue(3, plan.lstIds.at(r));
         if (! update.exec()) { return update.lastError(); }
         plan.lstReplacedBy[r] = i;
      }
      ++iReplaced;
   }
   QSqlError error = insertEntities(db, lst, plan.lstNew, plan.lstNewIds);
   if (error.isValid() || lstNamespaces.isEmpty()) { return error; }

   QSet<QString> setKept;
   for (const entity& e : lst) { setKept.insert(e.fullName()); }
   // a namespace goes with the namespaces below it: "ns" takes "ns::s2" along, not "nsx"; a row's namespace is
   // looked up with each of its heads that a "::" ends, not compared with every namespace given
   const QSet<QString> setNamespaces(lstNamespaces.begin(), lstNamespaces.end());
   const auto inNamespaces = [&setNamespaces](const QString& sNamespace) {
      if (setNamespaces.contains(sNamespace)) { return true; }
      for (int i = sNamespace.indexOf(QLatin1String("::")); i >= 0; i = sNamespace.indexOf(QLatin1String("::"), i + 1))
      {
         if (setNamespaces.contains(sNamespace.left(i))) { return true; }
      }
      return false;
   };
   QSqlQuery del(*db);
   if (! del.prepare("DELETE FROM t_entity WHERE entity_id = ?")) { return del.lastError(); }
   for (int r = 0; r < lstNames.count(); ++r)
   {
      const entity e{ lstNames.at(r).first, lstNames.at(r).second };
      if (! inNamespaces(e.nameSpace) || setKept.contains(e.fullName())) { continue; }
      del.bindValue(0, plan.lstIds.at(r));
      if (! del.exec()) { return del.lastError(); }
      plan.lstDeleted[r] = true;
   }
   return QSqlError();
}

QList<entity> project::getEntities(vx::VxBool* pResult) const
{
   if (m_bLoaded)
   {
      if (pResult) { (*pResult) = vx::VxBool(true); }
      return m_lstEntities;
   }
   QList<entity> lst;
   QList<qint64> lstIds;
   context::ctx_scoped scoped(vx::VxSingleton<context::ctx_project>::getSingleton());
   QSqlError error;
   QSqlDatabase db = vx::VxSqlDatabase::getDatabase(error);
   QSqlQuery q(db);
   // each row is read once: no copy of the whole table kept beside the entities made of it
   q.setForwardOnly(true);
   if (! error.isValid() && ! q.exec("SELECT entity_id, entity_namespace, entity_name, description, generated_by, definition FROM t_entity ORDER BY entity_id")) { error = q.lastError(); }
   while (! error.isValid() && q.next())
   {
      entity e;
      lstIds.append(q.value(0).toLongLong());
      e.nameSpace = q.value(1).toString();
      e.name = q.value(2).toString();
      e.description = q.value(3).toString();
      e.generatedBy = q.value(4).toString();
      fromDefinition(q.value(5).toString(), e);
      lst.append(e);
   }
   if (! error.isValid() && q.lastError().isValid()) { error = q.lastError(); }
   if (pResult) { (*pResult) = (error.isValid() ? failure("cannot read the project's entities", error) : vx::VxBool(true)); }
   if (! error.isValid())
   {
      m_lstEntities = lst;
      m_lstIds = lstIds;
      m_bLoaded = true;
   }
   return lst;
}

void project::afterWrite(const QList<entity>& lst, const write_plan& plan)
{
   // another connection changed the file meanwhile: what is kept in memory is read again when asked for
   if (! m_bLoaded || (m_lstIds != plan.lstIds))
   {
      m_bLoaded = false;
      m_lstEntities.clear();
      m_lstIds.clear();
      return;
   }
   if (plan.lstIds.isEmpty() && (plan.lstNew.count() == lst.count()))
   {
      m_lstEntities = lst;
      m_lstIds = plan.lstNewIds;
      return;
   }
   QList<entity> lstEntities;
   QList<qint64> lstIds;
   lstEntities.reserve(plan.lstIds.count() + plan.lstNew.count());
   for (int r = 0; r < plan.lstIds.count(); ++r)
   {
      if (plan.lstDeleted.at(r)) { continue; }
      lstEntities.append((plan.lstReplacedBy.at(r) < 0) ? m_lstEntities.at(r) : lst.at(plan.lstReplacedBy.at(r)));
      lstIds.append(plan.lstIds.at(r));
   }
   for (const int i : plan.lstNew) { lstEntities.append(lst.at(i)); }
   m_lstEntities = lstEntities;
   m_lstIds = (lstIds + plan.lstNewIds);
}

vx::VxBool project::addEntities(const QList<entity>& lst) { return replaceNamespaces(QStringList(), lst); }

vx::VxBool project::replaceNamespaces(const QStringList& lstNamespaces, const QList<entity>& lst, int* pReplaced)
{
   context::ctx_scoped scoped(vx::VxSingleton<context::ctx_project>::getSingleton());
   vx::VxSessionHost session;
   int iReplaced = 0;
   write_plan plan;
   if (session.isValid()) { session += writeEntities(session.database(), lst, lstNamespaces, plan, iReplaced); }
   const QSqlError error = session.commit();
   if (! error.isValid()) { afterWrite(lst, plan); }
   if (pReplaced) { (*pReplaced) = (error.isValid() ? 0 : iReplaced); }
   return (error.isValid() ? failure("cannot add entities to the project", error) : vx::VxBool(true));
}

vx::VxBool project::replaceEntities(const QList<entity>& lst)
{
   context::ctx_scoped scoped(vx::VxSingleton<context::ctx_project>::getSingleton());
   vx::VxSessionHost session;
   QSqlQuery q(*session.database());
   if (session.isValid() && ! q.exec("DELETE FROM t_entity")) { session += q.lastError(); }
   QList<qint64> lstIds;
   if (session.isValid()) { session += insertEntities(session.database(), lst, allOf(lst), lstIds); }
   const QSqlError error = session.commit();
   if (! error.isValid())
   {
      m_lstEntities = lst;
      m_lstIds = lstIds;
      m_bLoaded = true;
   }
   return (error.isValid() ? failure("cannot restore the project's entities", error) : vx::VxBool(true));
}

} // namespace model
