// The stored form of the type-mapping list: exact bytes, odd texts, truncated and corrupted input.
#include <QtTest>

#include <vx/VxSerializeQt.h>

using Mapping = vx::VxCollection<QString, QString>;
using Pairs = QList<QPair<QString, QString>>;
Q_DECLARE_METATYPE(Pairs)

namespace {

// written out by hand: magic 000024DE, count, then each text as its byte length and UTF-16BE units
const char* const k_szTwoPairs =
   "000024DE 00000002"
   "00000008 0069006E00740034"                  // "int4"
   "00000006 0069006E0074"                      // "int"
   "00000008 0074006500780074"                  // "text"
   "0000000E 00510053007400720069006E0067";     // "QString"

Mapping make(const Pairs& pairs)
{
   Mapping lst;
   for (const auto& pair : pairs) { lst.insert(pair.first, pair.second); }
   return lst;
}

Pairs pairsOf(const Mapping& lst)
{
   Pairs pairs;
   for (long i = 0; i < lst.count(); ++i) { pairs.append(qMakePair(lst.getKeyByIndex(i), lst.getByIndex(i))); }
   return pairs;
}

const Pairs k_prefilled = { { "varchar", "QString" }, { "bool", "bool" } };

} // namespace

class tst_foundation_bytearray : public QObject
{
   Q_OBJECT

   // reading bad input must fail with the message and leave what the list held exactly as it was
   static void expectRejected(const QByteArray& data, const QString& message)
   {
      Mapping lst = make(k_prefilled);
      const vx::VxBool result = vx::serialization::qt::from_byte_array(lst, data);
      QVERIFY(! result.getValue());
      QCOMPARE(result.getDesc(), message);
      QCOMPARE(pairsOf(lst), k_prefilled);
      QCOMPARE(lst.getIndex("bool"), 1L);
   }

private Q_SLOTS:
   void exactBytes()
   {
      QCOMPARE(vx::serialization::qt::to_byte_array(Mapping()), QByteArray::fromHex("000024DE00000000"));
      QCOMPARE(vx::serialization::qt::to_byte_array(make({ { "int4", "int" }, { "text", "QString" } })), QByteArray::fromHex(k_szTwoPairs));
   }

   void readReplacesTheList_data()
   {
      QTest::addColumn<QByteArray>("data");
      QTest::addColumn<Pairs>("expected");
      QTest::newRow("empty list") << QByteArray::fromHex("000024DE00000000") << Pairs();
      QTest::newRow("two pairs") << QByteArray::fromHex(k_szTwoPairs) << Pairs({ { "int4", "int" }, { "text", "QString" } });
      // a repeated SQL type keeps its first entry
      QTest::newRow("repeated key") << QByteArray::fromHex("000024DE 00000002 00000002 0061 00000002 0031 00000002 0061 00000002 0032")
                                    << Pairs({ { "a", "1" } });
   }

   void readReplacesTheList()
   {
      QFETCH(QByteArray, data);
      QFETCH(Pairs, expected);
      Mapping lst = make(k_prefilled);
      QVERIFY(vx::serialization::qt::from_byte_array(lst, data).getValue());
      QCOMPARE(pairsOf(lst), expected);
      QVERIFY(! lst.exist("varchar"));
   }

   void oddTexts_data()
   {
      QTest::addColumn<QString>("key");
      QTest::addColumn<QString>("value");
      QTest::addColumn<QByteArray>("pairBytes");
      QTest::newRow("empty value") << "a" << QString("") << QByteArray::fromHex("00000002 0061 00000000");
      QTest::newRow("null value") << "a" << QString() << QByteArray::fromHex("00000002 0061 FFFFFFFF");
      QTest::newRow("null key") << QString() << "x" << QByteArray::fromHex("FFFFFFFF 00000002 0078");
      QTest::newRow("japanese, greek") << QString::fromUtf8("日本語") << QString::fromUtf8("Ωμέγα")
                                       << QByteArray::fromHex("00000006 65E5672C8A9E 0000000A 03A903BC03AD03B303B1");
      QTest::newRow("emoji") << "smile" << QString::fromUtf8("\xF0\x9F\x98\x80")
                             << QByteArray::fromHex("0000000A 0073006D0069006C0065 00000004 D83DDE00");
   }

   void oddTexts()
   {
      QFETCH(QString, key);
      QFETCH(QString, value);
      QFETCH(QByteArray, pairBytes);
      const QByteArray data = vx::serialization::qt::to_byte_array(make({ { key, value } }));
      QCOMPARE(data, QByteArray::fromHex("000024DE00000001") + pairBytes);
      Mapping lst;
      QVERIFY(vx::serialization::qt::from_byte_array(lst, data).getValue());
      QCOMPARE(lst.count(), 1L);
      QCOMPARE(lst.getKeyByIndex(0), key);
      QCOMPARE(lst.getKeyByIndex(0).isNull(), key.isNull());
      QCOMPARE(lst.getByIndex(0), value);
      QCOMPARE(lst.getByIndex(0).isNull(), value.isNull());
   }

   void truncated_data()
   {
      QTest::addColumn<int>("length");
      QTest::addColumn<QString>("message");
      const int full = QByteArray::fromHex(k_szTwoPairs).size();
      QTest::newRow("0 bytes") << 0 << "input binary data is empty";
      for (int n = 1; n < full; ++n) { QTest::addRow("%d bytes", n) << n << "input binary data is not valid"; }
   }

   void truncated()
   {
      QFETCH(int, length);
      QFETCH(QString, message);
      expectRejected(QByteArray::fromHex(k_szTwoPairs).left(length), message);
   }

   void corrupted_data()
   {
      QTest::addColumn<QByteArray>("data");
      QTest::newRow("wrong magic") << QByteArray::fromHex("000024DF 00000000");
      QTest::newRow("magic little-endian") << QByteArray::fromHex("DE240000 00000000");
      QTest::newRow("negative count") << QByteArray::fromHex("000024DE FFFFFFFF 00000002 0061 00000002 0062");
      QTest::newRow("most negative count") << QByteArray::fromHex("000024DE 80000000");
      QTest::newRow("huge count") << QByteArray::fromHex("000024DE 7FFFFFFF 00000002 0061 00000000");
      // two good pairs are read before the missing third one is noticed
      QByteArray threeOfTwo = QByteArray::fromHex(k_szTwoPairs) + QByteArray::fromHex("00000002 0061");
      threeOfTwo[7] = 3;
      QTest::newRow("count above pairs") << threeOfTwo;
      QTest::newRow("length past end") << QByteArray::fromHex("000024DE 00000001 00000010 0061 00000000");
      QTest::newRow("huge length") << QByteArray::fromHex("000024DE 00000001 FFFFFFFE 0061 00000000");
      QTest::newRow("odd key length") << QByteArray::fromHex("000024DE 00000001 00000003 006100 00000000");
      QTest::newRow("odd value length") << QByteArray::fromHex("000024DE 00000001 00000002 0061 00000001 00");
   }

   void corrupted()
   {
      QFETCH(QByteArray, data);
      expectRejected(data, "input binary data is not valid");
   }
};

QTEST_GUILESS_MAIN(tst_foundation_bytearray)
#include "tst_foundation_bytearray.moc"
