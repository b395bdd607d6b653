#include <plugin/generic_importer.h>

#include <QHash>
#include <QSet>

#include <context/ctx_project.h>

namespace plugin {

namespace {

QString defaultCppType(int iValueType)
{
   switch (iValueType)
   {
      case QVariant::Bool: return QStringLiteral("bool");
      case QVariant::Int: return QStringLiteral("int");
      case QVariant::UInt: return QStringLiteral("unsigned int");
      case QVariant::LongLong: return QStringLiteral("long long");
      case QVariant::ULongLong: return QStringLiteral("unsigned long long");
      case QVariant::Double: return QStringLiteral("double");
      case QVariant::Char: return QStringLiteral("QChar");
      case QVariant::String: return QStringLiteral("QString");
      case QVariant::ByteArray: return QStringLiteral("QByteArray");
      case QVariant::Date: return QStringLiteral("QDate");
      case QVariant::Time: return QStringLiteral("QTime");
      case QVariant::DateTime: return QStringLiteral("QDateTime");
      case QVariant::Uuid: return QStringLiteral("QUuid");
      default: return QStringLiteral("QVariant");
   }
}

QString fullName(const QString& sNamespace, const QString& sName) { return (sNamespace.isEmpty() ? sName : (sNamespace + "::" + sName)); }

void appendColumns(const std::shared_ptr<model::type_lst_column>& pList, QList<std::shared_ptr<model::app_column>>& lst, QSet<QString>& setNames)
{
   if (! pList) { return; }
   for (long i = 0; i < pList->count(); ++i)
   {
      std::shared_ptr<model::app_column> pColumn = pList->getByIndex(i);
      if (pColumn && ! setNames.contains(pColumn->getName())) { setNames.insert(pColumn->getName()); lst.append(pColumn); }
   }
}

} // namespace

QString generic_importer::getPropertyType(const std::shared_ptr<model::app_column>& pColumn, const type_lst_type_mapping& lstTypeMapping)
{
   if (! pColumn) { return QString(); }
   const QString sSqlType = pColumn->getSqlType();
   for (long i = 0; i < lstTypeMapping.count(); ++i)
   {
      const QString sKey = lstTypeMapping.getKeyByIndex(i);
      if (! sKey.isEmpty() && sSqlType.startsWith(sKey, Qt::CaseInsensitive)) { return lstTypeMapping.getByIndex(i); }
   }
   return defaultCppType(pColumn->getType().toInt());
}

QString generic_importer::getPropertyType(const std::shared_ptr<model::type_lst_column>& pColumns, const type_lst_type_mapping& lstTypeMapping)
{
   if (! pColumns || pColumns->empty()) { return QString(); }
   if (pColumns->count() == 1) { return getPropertyType(pColumns->getByIndex(0), lstTypeMapping); }
   QStringList lstTypes;
   for (long i = 0; i < pColumns->count(); ++i) { lstTypes.append(getPropertyType(pColumns->getByIndex(i), lstTypeMapping)); }
   return ("std::tuple<" + lstTypes.join(", ") + ">");
}

QString generic_importer::getPropertyType(const std::shared_ptr<model::app_foreign_key>& pForeignKey, const type_lst_type_mapping& lstTypeMapping)
{
   return (pForeignKey ? getPropertyType(pForeignKey->getListColumns(), lstTypeMapping) : QString());
}

QString generic_importer::entityNamespace(const QString& sTableNamespace) const
{
   QStringList lst;
   if (! m_sNamespace.isEmpty()) { lst.append(m_sNamespace); }
   if (! sTableNamespace.isEmpty()) { lst.append(sTableNamespace); }
   return lst.join("::");
}

model::entity generic_importer::buildEntity(const std::shared_ptr<model::app_table>& pTable, QStringList& lstSecondNames) const
{
   model::entity e;
   e.nameSpace = entityNamespace(pTable->getNamespace());
   e.name = pTable->getName();
   e.description = (m_bImportComment ? pTable->getDescription() : QString());
   e.generatedBy = m_sProcessName;
   e.isView = pTable->getIsView();

   // primary-key columns first, then plain columns, then the columns of each foreign key
   QList<std::shared_ptr<model::app_column>> lstColumns;
   QSet<QString> setNames;
   QSet<QString> setPrimaryKey;
   if (pTable->getPrimaryKey())
   {
      appendColumns(pTable->getPrimaryKey()->getListColumns(), lstColumns, setNames);
      setPrimaryKey = setNames;
   }
   appendColumns(pTable->getListOfColumns(), lstColumns, setNames);
   const std::shared_ptr<model::type_lst_foreign_key> pRelations = pTable->getListOfRelations();
   const long lRelations = (pRelations ? pRelations->count() : 0);
   for (long i = 0; i < lRelations; ++i)
   {
      if (pRelations->getByIndex(i)) { appendColumns(pRelations->getByIndex(i)->getListColumns(), lstColumns, setNames); }
   }

   for (const std::shared_ptr<model::app_column>& pColumn : lstColumns)
   {
      model::entity_property p;
      p.name = pColumn->getName();
      p.sqlType = pColumn->getSqlType();
      p.primaryKey = (setPrimaryKey.contains(p.name) || pColumn->getMetaData("COLUMN_IS_PRIMARY_KEY").toBool());
      p.notNull = (pColumn->getNotNull() || p.primaryKey);
      p.cppType = getPropertyType(pColumn, m_lstTypeMapping);
      if (m_bBoostOptionalForNullValue && ! p.notNull) { p.cppType = "boost::optional<" + p.cppType + ">"; }
      p.description = (m_bImportComment ? pColumn->getDescription() : QString());
      p.defaultValue = (m_bImportDefaultValue ? pColumn->getDefaultValue() : QString());
      e.properties.append(p);
   }

   for (long i = 0; i < lRelations; ++i)
   {
      const std::shared_ptr<model::app_foreign_key> pForeignKey = pRelations->getByIndex(i);
      if (! pForeignKey) { continue; }
      model::entity_relationship r;
      r.kind = QStringLiteral("many-to-one");
      r.targetNamespace = entityNamespace(pForeignKey->getTargetTableNamespace());
      r.targetEntity = pForeignKey->getTargetTable();
      r.cppType = model::property_type::decorate(m_eDecoration, fullName(r.targetNamespace, r.targetEntity));
      const std::shared_ptr<model::type_lst_column> pColumns = pForeignKey->getListColumns();
      for (long c = 0; pColumns && (c < pColumns->count()); ++c)
      {
         r.columns.append(pColumns->getByIndex(c)->getName());
         r.targetColumns.append(pColumns->getByIndex(c)->getTargetColumn());
      }
      // a foreign key without a name (SQLite) is named after its target, numbered when the target repeats
      r.name = pForeignKey->getConstraintName();
      for (int n = 1; r.name.isEmpty() || setNames.contains(r.name); ++n) { r.name = ((n == 1) ? r.targetEntity : (r.targetEntity + "_" + QString::number(n))); }
      setNames.insert(r.name);
      lstSecondNames.append(pForeignKey->getConstraintName().isEmpty() ? r.columns.join('_') : pForeignKey->getConstraintName());
      e.relationships.append(r);
   }
   return e;
}

QString generic_importer::getCountMessage() const
{
   return QString("%1 entities added, %2 replaced").arg(m_iImportCount - m_iReplacedCount).arg(m_iReplacedCount);
}

vx::VxBool generic_importer::import()
{
   m_iImportCount = 0;
   m_iReplacedCount = 0;
   ++m_iRunCount;
   std::shared_ptr<model::project> pProject = context::ctx_project::getProject();
   if (! pProject) { return vx::VxBool(false, 0, "No project opened"); }
   if (! m_pListOfTables || m_pListOfTables->empty()) { return vx::VxBool(false, 0, "No table to import"); }

   QList<model::entity> lstEntities;
   QList<QStringList> lstSecondNames; // per entity, what names the way back of each foreign key when its first name is taken
   QHash<QString, int> hashByFullName;
   for (long i = 0; i < m_pListOfTables->count(); ++i)
   {
      const std::shared_ptr<model::app_table> pTable = m_pListOfTables->getByIndex(i);
      if (! pTable) { continue; }
      lstSecondNames.append(QStringList());
      lstEntities.append(buildEntity(pTable, lstSecondNames.last()));
      hashByFullName.insert(lstEntities.last().fullName(), lstEntities.count() - 1);
   }

   // every name an entity holds, properties and relationships alike
   QList<QSet<QString>> lstTaken;
   for (const model::entity& e : lstEntities)
   {
      QSet<QString> setNames;
      for (const model::entity_property& p : e.properties) { setNames.insert(p.name); }
      for (const model::entity_relationship& r : e.relationships) { setNames.insert(r.name); }
      lstTaken.append(setNames);
   }

   // the way back of every foreign key, on its target only (when the target is imported too); an
   // entity's own foreign keys are its first relationships, the ways back come after them
   for (int i = 0; i < lstEntities.count(); ++i)
   {
      const int iForeignKeys = lstSecondNames.at(i).count();
      for (int k = 0; k < iForeignKeys; ++k)
      {
         const model::entity& source = lstEntities.at(i);
         const model::entity_relationship r = source.relationships.at(k);
         const int iTarget = hashByFullName.value(fullName(r.targetNamespace, r.targetEntity), -1);
         if (iTarget < 0) { continue; }
         model::entity_relationship back;
         back.kind = QStringLiteral("one-to-many");
         back.name = "list_of_" + source.name;
         // taken by a column or another relationship: named after the constraint (or the columns), numbered if need be
         const QString sSecond = (back.name + "_" + lstSecondNames.at(i).at(k));
         for (int n = 1; lstTaken.at(iTarget).contains(back.name); ++n) { back.name = ((n == 1) ? sSecond : (sSecond + "_" + QString::number(n))); }
         lstTaken[iTarget].insert(back.name);
         back.targetNamespace = source.nameSpace;
         back.targetEntity = source.name;
         back.cppType = model::property_type::collect(m_eCollection, model::property_type::decorate(m_eDecoration, source.fullName()));
         back.columns = r.targetColumns;
         back.targetColumns = r.columns;
         lstEntities[iTarget].relationships.append(back);
      }
   }

   // the namespaces go and the new entities come in one transaction: a failed import changes nothing;
   // an entity already in the project under the same namespace and name is replaced, not doubled
   QStringList lstNamespaces;
   if (m_bDeleteNamespace)
   {
      QSet<QString> setNamespaces;
      if (! m_sNamespace.isEmpty()) { lstNamespaces.append(m_sNamespace); setNamespaces.insert(m_sNamespace); }
      for (const model::entity& e : lstEntities)
      {
         if (! setNamespaces.contains(e.nameSpace)) { lstNamespaces.append(e.nameSpace); setNamespaces.insert(e.nameSpace); }
      }
   }
   int iReplaced = 0;
   const vx::VxBool added = pProject->replaceNamespaces(lstNamespaces, lstEntities, &iReplaced);
   if (! added.getValue()) { return added; }
   m_iImportCount = lstEntities.count();
   m_iReplacedCount = iReplaced;
   return vx::VxBool(true);
}

} // namespace plugin
