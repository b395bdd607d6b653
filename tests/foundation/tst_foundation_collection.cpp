// vx::VxCollection: insertion order, unique keys, renumbering on removal, copies and threads.
#include <QAtomicInt>
#include <QThread>
#include <QtTest>

#include <functional>
#include <memory>

#include <vx/VxCollection.h>

using StrColl = vx::VxCollection<QString, int>;

namespace {

// the value of key "kN" is N
StrColl make(const QStringList& keys)
{
   StrColl coll;
   for (const QString& key : keys) { coll.insert(key, key.mid(1).toInt()); }
   return coll;
}

// the keys in order; each key's index must be its position, or look-ups after a removal land on the wrong pair
template <typename Key>
QList<Key> keysOf(const vx::VxCollection<Key, int>& coll)
{
   QList<Key> keys;
   for (long i = 0; i < coll.count(); ++i) { keys.append((coll.getIndex(coll.getKeyByIndex(i)) == i) ? coll.getKeyByIndex(i) : Key()); }
   return keys;
}

} // namespace

class tst_foundation_collection : public QObject
{
   Q_OBJECT

private Q_SLOTS:
   void insertLookupAndDuplicates()
   {
      StrColl coll = make({ "z2", "a7", "m5" });
      QCOMPARE(coll.getByKey("m5"), 5);
      QVERIFY(coll.exist("z2") && ! coll.exist("Z2"));
      QCOMPARE(coll.getIndex("absent"), -1L);
      QCOMPARE(coll.getByKey("absent"), 0);
      QVERIFY((coll.getByIndex(-1) == 0) && (coll.getByIndex(3) == 0) && coll.getKeyByIndex(-1).isNull() && coll.getKeyByIndex(3).isNull());
      // a key already present: refused, nothing changes
      QVERIFY(! coll.insert("a7", 99));
      QCOMPARE(keysOf(coll), QStringList({ "z2", "a7", "m5" }));
      QCOMPARE(coll.getByKey("a7"), 7);
   }

   // removal by index or by key: later pairs move up, each key's index is its new position and still
   // finds its value; an index or key that is not there removes nothing
   void remove_data()
   {
      QTest::addColumn<QString>("what");
      for (const char* what : { "index 0", "index 2", "index 4", "key k0", "key k2", "key k4", "index -1", "index 5", "key k9" }) { QTest::newRow(what) << what; }
   }

   void remove()
   {
      QFETCH(QString, what);
      StrColl coll = make({ "k0", "k1", "k2", "k3", "k4" });
      const QString key = what.startsWith("key") ? what.mid(4) : ("k" + what.mid(6));
      const bool bRemoved = (what.startsWith("key") ? coll.removeByKey(key) : coll.removeByIndex(what.mid(6).toLong()));
      QStringList expected = { "k0", "k1", "k2", "k3", "k4" };
      QCOMPARE(bRemoved, expected.removeOne(key));
      QCOMPARE(keysOf(coll), expected);
      for (const QString& k : expected) { QCOMPARE(coll.getByKey(k), k.mid(1).toInt()); }
      if (bRemoved)
      {
         QVERIFY(! coll.exist(key) && ! coll.removeByKey(key));
         QVERIFY(coll.insert(key, 50));
         QCOMPARE(coll.getIndex(key), 4L);
      }
   }

   void copiesAreIndependent()
   {
      StrColl original = make({ "a1", "b2", "c3" });
      StrColl copy(original);
      StrColl assigned = make({ "o9" });
      assigned = original;
      original.removeByIndex(0);
      original.insert("d4", 4);
      copy.removeByKey("b2");
      QCOMPARE(keysOf(original), QStringList({ "b2", "c3", "d4" }));
      QCOMPARE(keysOf(copy), QStringList({ "a1", "c3" }));
      QCOMPARE(keysOf(assigned), QStringList({ "a1", "b2", "c3" }));
   }

   // thread t owns the keys t, t + 2, t + 4...: it inserts them and reads each back at once, then removes
   // them last first, while the other thread does the same with its own; a gate makes their work overlap
   void twoThreadsAtOnce()
   {
      const int perThread = 5000;
      vx::VxCollection<int, int> coll;
      QAtomicInt failures;
      auto runBoth = [&](bool bInsert) {
         QAtomicInt gate;
         auto work = [&](int t) {
            gate.ref();
            while (gate.loadAcquire() < 2) { ; }
            for (int i = 0; i < perThread; ++i)
            {
               const int key = (bInsert ? (t + 2 * i) : (t + 2 * (perThread - 1 - i)));
               const bool bDone = (bInsert ? coll.insert(key, -key) : coll.removeByKey(key));
               if (! bDone || (bInsert && ((coll.getByKey(key) != -key) || (coll.getKeyByIndex(coll.getIndex(key)) != key)))) { failures.ref(); }
            }
         };
         std::unique_ptr<QThread> a(QThread::create(work, 0)), b(QThread::create(work, 1));
         a->start();
         b->start();
         a->wait();
         b->wait();
      };
      for (int round = 0; round < 25; ++round)
      {
         runBoth(true);
         QCOMPARE(coll.count(), long(2 * perThread));
         for (int key = 0; key < 2 * perThread; ++key) { QVERIFY((coll.getByKey(key) == -key) && (coll.getKeyByIndex(coll.getIndex(key)) == key)); }
         runBoth(false);
         QCOMPARE(failures.loadRelaxed(), 0);
         QCOMPARE(coll.count(), 0L);
      }
   }
};

QTEST_GUILESS_MAIN(tst_foundation_collection)
#include "tst_foundation_collection.moc"
