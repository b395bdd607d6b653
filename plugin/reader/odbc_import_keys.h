#ifndef PLUGIN_ODBC_IMPORT_KEYS_H
#define PLUGIN_ODBC_IMPORT_KEYS_H

#include <QHash>
#include <QSet>
#include <QString>

namespace plugin {

/**
 * The keys of one collection a reader fills: the tables of a catalogue, or the columns or the foreign keys of
 * one table. An entry is keyed by the hash of its text wherever that key is free. qHash collides on short
 * texts ("Aa" and "BB") and two tables can share a text ("a.b".c and a."b.c" both give "a.b.c"): an entry
 * whose key another entry holds takes the next free number after it, so that none is dropped or merged.
 * The rule depends on the order of the entries only, so the same catalogue gives the same keys.
 */
class odbc_import_keys
{
public:
   /** Qt's string hash (seed 0) read as a signed 32-bit number. */
   static long hashOf(const QString& sText) { return static_cast<long>(static_cast<qint32>(qHash(sText, 0))); }
   /** What tells two tables apart: namespace and name, kept apart (either may hold a dot). */
   static QString tableIdentity(const QString& sNamespace, const QString& sName) { return (QString::number(sNamespace.size()) + ":" + sNamespace + "." + sName); }

   /** The key of the entry sIdentity whose key text is sText; bNew is false when the entry had its key already. */
   long take(const QString& sText, const QString& sIdentity, bool& bNew)
   {
      const auto itr = m_hashKeys.constFind(sIdentity);
      bNew = (itr == m_hashKeys.constEnd());
      if (! bNew) { return itr.value(); }
      long lKey = hashOf(sText);
      // the next number, in 32 bits: after the largest key comes the smallest
      while (m_setTaken.contains(lKey)) { lKey = static_cast<long>(static_cast<qint32>(static_cast<quint32>(lKey) + 1U)); }
      m_setTaken.insert(lKey);
      m_hashKeys.insert(sIdentity, lKey);
      return lKey;
   }
   /** The key of an entry that its text identifies (a column name, a constraint name). */
   long take(const QString& sText, bool& bNew) { return take(sText, sText, bNew); }
   long take(const QString& sText) { bool bNew = false; return take(sText, sText, bNew); }

private:
   QHash<QString, long> m_hashKeys;   // identity -> key
   QSet<long> m_setTaken;
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_KEYS_H
