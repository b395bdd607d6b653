#include "odbc_import_wire.h"

#include <QHash>
#include <QSet>
#include <QVector>

namespace plugin {

namespace {

const QDataStream::Version k_version = QDataStream::Qt_5_15;
const quint32 k_magic = 0x4B4F5244;   // "KORD"

using column_ptr = std::shared_ptr<model::app_column>;

struct column_pool
{
   QVector<column_ptr> lst;
   QHash<const model::app_column*, qint32> hashIndex;

   void add(const std::shared_ptr<model::type_lst_column>& pList)
   {
      for (long i = 0; pList && (i < pList->count()); ++i)
      {
         const column_ptr p = pList->getByIndex(i);
         if (p && ! hashIndex.contains(p.get())) { hashIndex.insert(p.get(), lst.size()); lst.append(p); }
      }
   }
};

// a keyed list of entries: its count, then each key with its entry, or with none (readOne gives null when the bytes are not whole)
template <class T, class Read>
bool readKeyed(QDataStream& in, vx::VxCollection<long, std::shared_ptr<T>>& lst, Read readOne)
{
   qint32 n = 0;
   in >> n;
   for (qint32 i = 0; (i < n) && (in.status() == QDataStream::Ok); ++i)
   {
      qint64 lKey = 0;
      bool bPresent = false;
      in >> lKey >> bPresent;
      std::shared_ptr<T> p;
      if (bPresent && ! (p = readOne())) { return false; }
      lst.insert(static_cast<long>(lKey), p);
   }
   return (in.status() == QDataStream::Ok);
}

void writeList(QDataStream& out, const std::shared_ptr<model::type_lst_column>& pList, const column_pool& pool)
{
   out << bool(pList);
   if (! pList) { return; }
   out << qint32(pList->count());
   for (long i = 0; i < pList->count(); ++i)
   {
      const column_ptr p = pList->getByIndex(i);
      out << qint64(pList->getKeyByIndex(i)) << (p ? pool.hashIndex.value(p.get()) : qint32(-1));
   }
}

bool readList(QDataStream& in, model::type_lst_column& lst, const QVector<column_ptr>& pool)
{
   qint32 n = 0;
   in >> n;
   for (qint32 i = 0; (i < n) && (in.status() == QDataStream::Ok); ++i)
   {
      qint64 lKey = 0;
      qint32 iColumn = -1;
      in >> lKey >> iColumn;
      if ((iColumn < -1) || (iColumn >= pool.size())) { return false; }
      lst.insert(static_cast<long>(lKey), ((iColumn < 0) ? column_ptr() : pool.at(iColumn)));
   }
   return (in.status() == QDataStream::Ok);
}

void writeTable(QDataStream& out, const model::app_table& table)
{
   out << table.getName() << table.getDescription() << table.getNamespace() << table.getIsView() << table.getAllMetaData();
   const auto pPrimaryKey = table.getPrimaryKey();
   const auto pRelations = table.getListOfRelations();
   column_pool pool;
   pool.add(table.getListOfColumns());
   if (pPrimaryKey) { pool.add(pPrimaryKey->getListColumns()); }
   QHash<const model::app_foreign_key*, qint32> hashRelation;
   for (long i = 0; pRelations && (i < pRelations->count()); ++i)
   {
      const auto pForeignKey = pRelations->getByIndex(i);
      if (! pForeignKey) { continue; }
      hashRelation.insert(pForeignKey.get(), static_cast<qint32>(i));
      pool.add(pForeignKey->getListColumns());
   }

   out << qint32(pool.lst.size());
   for (const column_ptr& p : pool.lst)
   {
      const auto pForeignKey = p->getForeignKey();
      out << p->getName() << p->getDescription() << p->getSqlType() << p->getType() << p->getDefaultValue() << p->getNotNull() << p->getTargetColumn()
          << p->getAllMetaData() << (p->getTable().get() == (&table)) << bool(pPrimaryKey && (p->getPrimaryKey() == pPrimaryKey))
          << (pForeignKey ? hashRelation.value(pForeignKey.get(), -1) : qint32(-1));
   }
   writeList(out, table.getListOfColumns(), pool);

   out << bool(pPrimaryKey);
   if (pPrimaryKey)
   {
      // the name as set: the key's own default follows the table's name
      const bool bOwnTable = (pPrimaryKey->getTable().get() == (&table));
      const QString sName = pPrimaryKey->getName();
      out << ((bOwnTable && (sName == (table.getName() + "_pk"))) ? QString() : sName) << bOwnTable << pPrimaryKey->getAllMetaData();
      writeList(out, pPrimaryKey->getListColumns(), pool);
   }

   out << bool(pRelations);
   if (! pRelations) { return; }
   out << qint32(pRelations->count());
   for (long i = 0; i < pRelations->count(); ++i)
   {
      const auto p = pRelations->getByIndex(i);
      out << qint64(pRelations->getKeyByIndex(i)) << bool(p);
      if (! p) { continue; }
      out << p->getConstraintName() << p->getTargetTable() << p->getTargetTableNamespace() << (p->getTable().get() == (&table)) << p->getAllMetaData();
      writeList(out, p->getListColumns(), pool);
   }
}

// Column names, types, defaults and namespaces repeat from table to table: the model keeps one copy of each
// text, as it did when the texts came from one query result
const QString& shared(QSet<QString>& setTexts, const QString& s)
{
   const auto itr = setTexts.constFind(s);
   return ((itr != setTexts.constEnd()) ? (*itr) : (*setTexts.insert(s)));
}

void setMetaData(model::persistable& object, const QHash<QString, QVariant>& hash, QSet<QString>& setTexts)
{
   for (auto itr = hash.constBegin(); itr != hash.constEnd(); ++itr) { object.setMetaData(shared(setTexts, itr.key()), itr.value()); }
}

std::shared_ptr<model::app_table> readTable(QDataStream& in, QSet<QString>& setTexts)
{
   auto pTable = std::make_shared<model::app_table>();
   QString sName, sDescription, sNamespace;
   bool bIsView = false;
   QHash<QString, QVariant> hashMeta;
   in >> sName >> sDescription >> sNamespace >> bIsView >> hashMeta;
   pTable->setName(sName);
   pTable->setDescription(sDescription);
   pTable->setNamespace(shared(setTexts, sNamespace));
   pTable->setIsView(bIsView);
   setMetaData(*pTable, hashMeta, setTexts);

   struct back_references { bool bTable = false; bool bPrimaryKey = false; qint32 iRelation = -1; };
   qint32 nColumns = 0;
   in >> nColumns;
   if ((in.status() != QDataStream::Ok) || (nColumns < 0)) { return nullptr; }
   QVector<column_ptr> pool;
   QVector<back_references> lstReferences;
   for (qint32 i = 0; (i < nColumns) && (in.status() == QDataStream::Ok); ++i)
   {
      auto p = std::make_shared<model::app_column>();
      QString sColumn, sColumnDescription, sSqlType, sDefault, sTarget;
      QVariant vType;
      bool bNotNull = false;
      QHash<QString, QVariant> hashColumnMeta;
      back_references refs;
      in >> sColumn >> sColumnDescription >> sSqlType >> vType >> sDefault >> bNotNull >> sTarget >> hashColumnMeta >> refs.bTable >> refs.bPrimaryKey >> refs.iRelation;
      p->setName(shared(setTexts, sColumn));
      p->setDescription(sColumnDescription);
      p->setSqlType(shared(setTexts, sSqlType));
      p->setType(vType);
      p->setDefaultValue(shared(setTexts, sDefault));
      p->setNotNull(bNotNull);
      p->setTargetColumn(shared(setTexts, sTarget));
      setMetaData(*p, hashColumnMeta, setTexts);
      if (refs.bTable) { p->setTable(pTable); }
      pool.append(p);
      lstReferences.append(refs);
   }

   bool bList = false;
   in >> bList;
   if (bList)
   {
      auto pColumns = std::make_shared<model::type_lst_column>();
      if (! readList(in, *pColumns, pool)) { return nullptr; }
      pTable->setListOfColumns(pColumns);
   }

   bool bPrimaryKey = false;
   in >> bPrimaryKey;
   std::shared_ptr<model::app_primary_key> pPrimaryKey;
   if (bPrimaryKey)
   {
      pPrimaryKey = std::make_shared<model::app_primary_key>();
      QString sKeyName;
      bool bOwnTable = false;
      QHash<QString, QVariant> hashKeyMeta;
      in >> sKeyName >> bOwnTable >> hashKeyMeta;
      if (! sKeyName.isEmpty()) { pPrimaryKey->setName(sKeyName); }
      if (bOwnTable) { pPrimaryKey->setTable(pTable); }
      setMetaData(*pPrimaryKey, hashKeyMeta, setTexts);
      bool bKeyList = false;
      in >> bKeyList;
      if (bKeyList && ! readList(in, *pPrimaryKey->getListColumns(), pool)) { return nullptr; }
      pTable->setPrimaryKey(pPrimaryKey);
   }

   in >> bList;
   if (bList)
   {
      auto pRelations = std::make_shared<model::type_lst_foreign_key>();
      const bool bRead = readKeyed(in, *pRelations, [&]() {
         auto p = std::make_shared<model::app_foreign_key>();
         QString sConstraint, sTarget, sTargetNamespace;
         bool bOwnTable = false, bKeyList = false;
         QHash<QString, QVariant> hashKeyMeta;
         in >> sConstraint >> sTarget >> sTargetNamespace >> bOwnTable >> hashKeyMeta >> bKeyList;
         p->setConstraintName(sConstraint);
         p->setTargetTable(sTarget);
         p->setTargetTableNamespace(shared(setTexts, sTargetNamespace));
         if (bOwnTable) { p->setTable(pTable); }
         setMetaData(*p, hashKeyMeta, setTexts);
         return ((bKeyList && ! readList(in, *p->getListColumns(), pool)) ? nullptr : p);
      });
      if (! bRead) { return nullptr; }
      pTable->setListOfRelations(pRelations);
   }
   QVector<std::shared_ptr<model::app_foreign_key>> lstRelations;
   for (long i = 0; pTable->getListOfRelations() && (i < pTable->getListOfRelations()->count()); ++i) { lstRelations.append(pTable->getListOfRelations()->getByIndex(i)); }

   for (int i = 0; i < pool.size(); ++i)
   {
      const back_references& refs = lstReferences.at(i);
      if (refs.bPrimaryKey && pPrimaryKey) { pool.at(i)->setPrimaryKey(pPrimaryKey); }
      if ((refs.iRelation >= 0) && (refs.iRelation < lstRelations.size()) && lstRelations.at(refs.iRelation)) { pool.at(i)->setForeignKey(lstRelations.at(refs.iRelation)); }
   }
   return ((in.status() == QDataStream::Ok) ? pTable : nullptr);
}

} // namespace

QByteArray odbc_import_wire::writeRequest(const request& r)
{
   QByteArray bytes;
   QDataStream out(&bytes, QIODevice::WriteOnly);
   out.setVersion(k_version);
   out << k_magic << qint32(r.iDatabaseType) << r.sDsn << r.sLogin << r.sPassword << r.bCheckEngine << r.iLoginTimeout << r.iReadTimeout << r.sTableFilter;
   return bytes;
}

bool odbc_import_wire::readRequest(const QByteArray& bytes, request& r)
{
   QDataStream in(bytes);
   in.setVersion(k_version);
   quint32 iMagic = 0;
   qint32 iType = 0;
   in >> iMagic >> iType >> r.sDsn >> r.sLogin >> r.sPassword >> r.bCheckEngine >> r.iLoginTimeout >> r.iReadTimeout >> r.sTableFilter;
   r.iDatabaseType = iType;
   return ((iMagic == k_magic) && (in.status() == QDataStream::Ok));
}

QByteArray odbc_import_wire::frame(enum_frame eKind, const QByteArray& payload)
{
   QByteArray bytes;
   bytes.reserve(payload.size() + 5);
   QDataStream out(&bytes, QIODevice::WriteOnly);
   out.setVersion(k_version);
   out << quint8(eKind) << quint32(payload.size());
   bytes.append(payload);
   return bytes;
}

bool odbc_import_wire::takeFrame(QByteArray& buffer, enum_frame& eKind, QByteArray& payload)
{
   if (buffer.size() < 5) { return false; }
   QDataStream in(buffer);
   in.setVersion(k_version);
   quint8 iKind = 0;
   quint32 iLength = 0;
   in >> iKind >> iLength;
   if (static_cast<quint64>(buffer.size()) < (quint64(iLength) + 5)) { return false; }
   eKind = static_cast<enum_frame>(iKind);
   payload = buffer.mid(5, static_cast<int>(iLength));
   buffer.remove(0, static_cast<int>(iLength) + 5);
   return true;
}

void odbc_import_wire::writeTables(QDataStream& out, const model::type_lst_table* pTables, long lFrom, long lTo)
{
   const long lEnd = (pTables ? (((lTo < 0) || (lTo > pTables->count())) ? pTables->count() : lTo) : 0);
   out << qint32(qMax(0L, lEnd - lFrom));
   for (long i = lFrom; i < lEnd; ++i)
   {
      const auto pTable = pTables->getByIndex(i);
      out << qint64(pTables->getKeyByIndex(i)) << bool(pTable);
      if (pTable) { writeTable(out, *pTable); }
   }
}

bool odbc_import_wire::readTables(QDataStream& in, model::type_lst_table& lst, QSet<QString>& setTexts)
{
   return readKeyed(in, lst, [&in, &setTexts]() { return readTable(in, setTexts); });
}

type_lst_table_ptr odbc_import_wire::readTables(QDataStream& in)
{
   auto pTables = std::make_shared<model::type_lst_table>();
   QSet<QString> setTexts;
   return (readTables(in, *pTables, setTexts) ? pTables : nullptr);
}

} // namespace plugin
