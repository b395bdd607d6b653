#ifndef VX_VXCOLLECTION_H
#define VX_VXCOLLECTION_H

#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QPair>
#include <QVector>

#include "IvCollection.h"

namespace vx {

/**
 * Insertion-ordered keyed container. Keys are unique: inserting a key already present changes
 * nothing. Every operation holds the collection's own mutex, so one collection may be shared by
 * threads; no operation ever takes the mutex of another collection while holding its own.
 */
template <typename Key, typename Value>
class VxCollection : public IvCollection
{
public:
   VxCollection() = default;
   VxCollection(const VxCollection& other) { assignFrom(other); }
   VxCollection& operator=(const VxCollection& other)
   {
      if (this != &other) { assignFrom(other); }
      return (*this);
   }
   ~VxCollection() override = default;

   long count() const override
   {
      QMutexLocker locker(&m_mutex);
      return static_cast<long>(m_lstItems.size());
   }

   bool empty() const { return (count() == 0); }

   void clear() override
   {
      QMutexLocker locker(&m_mutex);
      m_lstItems.clear();
      m_hashIndex.clear();
   }

   /** Appends (key, value); returns false and changes nothing when the key is already present. */
   bool insert(const Key& key, const Value& value)
   {
      QMutexLocker locker(&m_mutex);
      if (indexOf(key) >= 0) { return false; }
      m_lstItems.append(qMakePair(key, value));
      if (! m_hashIndex.isEmpty()) { m_hashIndex.insert(key, static_cast<long>(m_lstItems.size() - 1)); }
      else if (m_lstItems.size() > k_iLinear) { for (int i = 0; i < m_lstItems.size(); ++i) { m_hashIndex.insert(m_lstItems.at(i).first, i); } }
      return true;
   }

   bool exist(const Key& key) const
   {
      QMutexLocker locker(&m_mutex);
      return (indexOf(key) >= 0);
   }

   /** Value stored under key, or a default-constructed value when the key is absent. */
   Value getByKey(const Key& key) const
   {
      QMutexLocker locker(&m_mutex);
      const long index = indexOf(key);
      return ((index < 0) ? Value() : m_lstItems.at(static_cast<int>(index)).second);
   }

   /** Index of key in insertion order, or -1. */
   long getIndex(const Key& key) const
   {
      QMutexLocker locker(&m_mutex);
      return indexOf(key);
   }

   Value getByIndex(long index) const
   {
      QMutexLocker locker(&m_mutex);
      return (isValidIndex(index) ? m_lstItems.at(static_cast<int>(index)).second : Value());
   }

   Key getKeyByIndex(long index) const
   {
      QMutexLocker locker(&m_mutex);
      return (isValidIndex(index) ? m_lstItems.at(static_cast<int>(index)).first : Key());
   }

   /** Removes the pair at index; the pairs after it move up one place. */
   bool removeByIndex(long index) override
   {
      QMutexLocker locker(&m_mutex);
      return removeAt(index);
   }

   /** Removes the pair of key; look-up and removal under one lock, so no other thread can move it in between. */
   bool removeByKey(const Key& key)
   {
      QMutexLocker locker(&m_mutex);
      return removeAt(indexOf(key));
   }

private:
   // caller holds m_mutex
   bool removeAt(long index)
   {
      if (! isValidIndex(index)) { return false; }
      const bool bIndexed = ! m_hashIndex.isEmpty();
      if (bIndexed) { m_hashIndex.remove(m_lstItems.at(static_cast<int>(index)).first); }
      m_lstItems.remove(static_cast<int>(index));
      for (long i = index; bIndexed && (i < static_cast<long>(m_lstItems.size())); ++i)
      { m_hashIndex[m_lstItems.at(static_cast<int>(i)).first] = i; }
      return true;
   }

   bool isValidIndex(long index) const { return ((index >= 0) && (index < static_cast<long>(m_lstItems.size()))); }
   // Most collections are a table's few columns or keys: a scan of up to k_iLinear keys costs less than a hash,
   // whose nodes and buckets would weigh more than the pairs themselves. The hash is built once the collection
   // grows past that, and holds every key from then on.
   static const int k_iLinear = 16;
   long indexOf(const Key& key) const
   {
      if (! m_hashIndex.isEmpty()) { return m_hashIndex.value(key, -1); }
      for (int i = 0; i < m_lstItems.size(); ++i) { if (m_lstItems.at(i).first == key) { return i; } }
      return -1;
   }

   void assignFrom(const VxCollection& other)
   {
      QVector<QPair<Key, Value>> lstItems;
      QHash<Key, long> hashIndex;
      {
         QMutexLocker lockerOther(&other.m_mutex);
         lstItems = other.m_lstItems;
         hashIndex = other.m_hashIndex;
      }
      QMutexLocker locker(&m_mutex);
      m_lstItems.swap(lstItems);
      m_hashIndex.swap(hashIndex);
   }

   mutable QMutex m_mutex;
   QVector<QPair<Key, Value>> m_lstItems;
   QHash<Key, long> m_hashIndex;
};

} // namespace vx

#endif // VX_VXCOLLECTION_H
