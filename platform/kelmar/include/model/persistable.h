#ifndef MODEL_PERSISTABLE_H
#define MODEL_PERSISTABLE_H

#include <QHash>
#include <QString>
#include <QVariant>

namespace model {

/** Base of model objects: free-form metadata that importers attach for the host. */
class persistable
{
public:
   virtual ~persistable() = default;

   void setMetaData(const QString& key, const QVariant& value) { m_hashMetaData.insert(key, value); }
   QVariant getMetaData(const QString& key) const { return m_hashMetaData.value(key); }
   QHash<QString, QVariant> getAllMetaData() const { return m_hashMetaData; }

private:
   QHash<QString, QVariant> m_hashMetaData;
};

} // namespace model

#endif // MODEL_PERSISTABLE_H
