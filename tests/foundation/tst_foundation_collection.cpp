// vx::VxCollection: insertion order, unique keys, renumbering on removal, copies and threads.
#include <QAtomicInt>
#include <QThread>
#include <QtTest>

#include <functional>
#include <memory>

#include <vx/VxCollection.h>

using StrColl = vx::VxCollection<QString, int>;

namespace {

StrColl make(const QStringList& keys)
{
   StrColl coll;
   for (int i = 0; i < keys.size(); ++i) { coll.insert(keys.at(i), i); }
   return coll;
}

QStringList keysOf(const StrColl& coll)
{
   QStringList keys;
   for (long i = 0; i < coll.count(); ++i) { keys.append(coll.getKeyByIndex(i)); }
   return keys;
}

// every key's index must be its position, or look-ups after a removal land on the wrong pair
template <typename Key>
bool indexesConsistent(const vx::VxCollection<Key, int>& coll)
{
   for (long i = 0; i < coll.count(); ++i)
   {
      if (coll.getIndex(coll.getKeyByIndex(i)) != i) { return false; }
   }
   return true;
}

} // namespace

class tst_foundation_collection : public QObject
{
   Q_OBJECT

private Q_SLOTS:
   void insertLookupAndDuplicates()
   {
      StrColl coll = make({ "zeta", "alpha", "mu" });
      QCOMPARE(keysOf(coll), QStringList({ "zeta", "alpha", "mu" }));
      QCOMPARE(coll.getByKey("mu"), 2);
      QCOMPARE(coll.getIndex("alpha"), 1L);
      QVERIFY(coll.exist("zeta") && ! coll.exist("Zeta"));
      QCOMPARE(coll.getIndex("absent"), -1L);
      QCOMPARE(coll.getByKey("absent"), 0);
      for (long index : { -1L, 3L, 1000L })
      {
         QCOMPARE(coll.getByIndex(index), 0);
         QVERIFY(coll.getKeyByIndex(index).isNull());
      }
      // a key already present: refused, nothing changes
      QVERIFY(! coll.insert("alpha", 99));
      QCOMPARE(keysOf(coll), QStringList({ "zeta", "alpha", "mu" }));
      QCOMPARE(coll.getByKey("alpha"), 1);
      coll.clear();
      QCOMPARE(coll.count(), 0L);
      QVERIFY(coll.insert("mu", 7) && ! coll.exist("zeta"));
      QCOMPARE(coll.getIndex("mu"), 0L);
   }

   void remove_data()
   {
      QTest::addColumn<bool>("byKey");
      QTest::addColumn<QString>("key");
      QTest::addColumn<long>("index");
      QTest::addColumn<QStringList>("expected");
      const QStringList all = { "k0", "k1", "k2", "k3", "k4" };
      for (bool byKey : { false, true })
      {
         for (int i : { 0, 2, 4 })
         {
            QStringList expected = all;
            expected.removeAt(i);
            QTest::addRow("%s %d", (byKey ? "key" : "index"), i) << byKey << all.at(i) << long(i) << expected;
         }
      }
      QTest::newRow("index -1") << false << QString() << -1L << all;
      QTest::newRow("index count") << false << QString() << 5L << all;
      QTest::newRow("absent key") << true << "k9" << -1L << all;
   }

   void remove()
   {
      QFETCH(bool, byKey);
      QFETCH(QString, key);
      QFETCH(long, index);
      QFETCH(QStringList, expected);
      StrColl coll = make({ "k0", "k1", "k2", "k3", "k4" });
      const bool bRemoved = (byKey ? coll.removeByKey(key) : coll.removeByIndex(index));
      QCOMPARE(bRemoved, (expected.size() == 4));
      QCOMPARE(keysOf(coll), expected);
      // later pairs moved up: every key's index is its new position and still finds its value
      QVERIFY(indexesConsistent(coll));
      for (const QString& k : expected) { QCOMPARE(coll.getByKey(k), k.mid(1).toInt()); }
      if (! bRemoved) { return; }
      QVERIFY(! coll.exist(key));
      QVERIFY(! coll.removeByKey(key));
      QVERIFY(coll.insert(key, 50));
      QCOMPARE(coll.getIndex(key), 4L);
   }

   void copiesAreIndependent()
   {
      StrColl original = make({ "a", "b", "c" });
      StrColl copy(original);
      StrColl assigned = make({ "old" });
      assigned = original;
      original.removeByIndex(0);
      original.insert("d", 3);
      copy.removeByKey("b");
      QCOMPARE(keysOf(original), QStringList({ "b", "c", "d" }));
      QCOMPARE(keysOf(copy), QStringList({ "a", "c" }));
      QCOMPARE(keysOf(assigned), QStringList({ "a", "b", "c" }));
      QVERIFY(! assigned.exist("old"));
      QVERIFY(indexesConsistent(copy) && indexesConsistent(original) && indexesConsistent(assigned));
   }

   void twoThreadsAtOnce()
   {
      const int perThread = 5000;
      vx::VxCollection<int, int> coll;
      QAtomicInt failures;
      // thread t owns the keys t, t + 2, t + 4, ...: it inserts them and reads them back at once
      auto insertOwn = [&](int t) {
         for (int key = t; key < 2 * perThread; key += 2)
         {
            if (! coll.insert(key, -key)) { failures.ref(); }
            const long index = coll.getIndex(key);
            if ((coll.getByKey(key) != -key) || (index < 0) || (coll.getKeyByIndex(index) != key)) { failures.ref(); }
         }
      };
      // then removes them by key, last first, while the other thread removes its own
      auto removeOwn = [&](int t) {
         for (int key = t + 2 * (perThread - 1); key >= 0; key -= 2)
         {
            if (! coll.removeByKey(key)) { failures.ref(); }
         }
      };
      // both threads wait at a gate so that their work overlaps instead of running one after the other
      auto runBoth = [](const std::function<void(int)>& f) {
         QAtomicInt gate;
         auto gated = [&](int t) {
            gate.ref();
            while (gate.loadAcquire() < 2) { ; }
            f(t);
         };
         std::unique_ptr<QThread> a(QThread::create(gated, 0));
         std::unique_ptr<QThread> b(QThread::create(gated, 1));
         a->start();
         b->start();
         a->wait();
         b->wait();
      };
      for (int round = 0; round < 5; ++round)
      {
         runBoth(insertOwn);
         QCOMPARE(failures.loadRelaxed(), 0);
         QCOMPARE(coll.count(), long(2 * perThread));
         for (int key = 0; key < 2 * perThread; ++key) { QCOMPARE(coll.getByKey(key), -key); }
         QVERIFY(indexesConsistent(coll));
         runBoth(removeOwn);
         QCOMPARE(failures.loadRelaxed(), 0);
         QCOMPARE(coll.count(), 0L);
      }
   }
};

QTEST_GUILESS_MAIN(tst_foundation_collection)
#include "tst_foundation_collection.moc"
