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

private Q_SLOTS:
   // the bytes written for a list, and reading them back over a list that held something else
   void writeAndRead_data()
   {
      QTest::addColumn<QByteArray>("data");
      QTest::addColumn<Pairs>("expected");
      const QByteArray one = QByteArray::fromHex("000024DE 00000001");
      QTest::newRow("empty list") << QByteArray::fromHex("000024DE00000000") << Pairs();
      QTest::newRow("two pairs") << QByteArray::fromHex(k_szTwoPairs) << Pairs({ { "int4", "int" }, { "text", "QString" } });
      QTest::newRow("empty value") << one + QByteArray::fromHex("00000002 0061 00000000") << Pairs({ { "a", "" } });
      QTest::newRow("null value") << one + QByteArray::fromHex("00000002 0061 FFFFFFFF") << Pairs({ { "a", QString() } });
      QTest::newRow("japanese, emoji") << one + QByteArray::fromHex("00000006 65E5672C8A9E 00000004 D83DDE00")
                                       << Pairs({ { QString::fromUtf8("日本語"), QString::fromUtf8("\xF0\x9F\x98\x80") } });
      // a repeated SQL type keeps its first entry (never written so)
      QTest::newRow("repeated key") << QByteArray::fromHex("000024DE 00000002 00000002 0061 00000002 0031 00000002 0061 00000002 0032")
                                    << Pairs({ { "a", "1" } });
   }

   void writeAndRead()
   {
      QFETCH(QByteArray, data);
      QFETCH(Pairs, expected);
      if (QTest::currentDataTag() != QByteArray("repeated key")) { QCOMPARE(vx::serialization::qt::to_byte_array(make(expected)), data); }
      Mapping lst = make(k_prefilled);
      QVERIFY(vx::serialization::qt::from_byte_array(lst, data).getValue());
      QCOMPARE(pairsOf(lst), expected);
      // QString's == takes a null text for an empty one
      for (int i = 0; i < expected.size(); ++i) { QCOMPARE(lst.getByIndex(i).isNull(), expected.at(i).second.isNull()); }
   }

   // reading bad input fails with the message and leaves what the list held exactly as it was
   void rejected_data()
   {
      QTest::addColumn<QByteArray>("data");
      QTest::addColumn<QString>("message");
      const QString sNotValid("input binary data is not valid");
      const QByteArray full = QByteArray::fromHex(k_szTwoPairs);
      QTest::newRow("0 bytes") << QByteArray() << "input binary data is empty";
      for (int n = 1; n < full.size(); ++n) { QTest::addRow("first %d bytes", n) << full.left(n) << sNotValid; }
      QTest::newRow("wrong magic") << QByteArray::fromHex("000024DF 00000000") << sNotValid;
      QTest::newRow("negative count") << QByteArray::fromHex("000024DE FFFFFFFF 00000002 0061 00000002 0062") << sNotValid;
      QTest::newRow("huge count") << QByteArray::fromHex("000024DE 7FFFFFFF 00000002 0061 00000000") << sNotValid;
      // two good pairs are read before the missing third one is noticed
      QByteArray threeOfTwo = full + QByteArray::fromHex("00000002 0061");
      threeOfTwo[7] = 3;
      QTest::newRow("count above pairs") << threeOfTwo << sNotValid;
      QTest::newRow("length past end") << QByteArray::fromHex("000024DE 00000001 00000010 0061 00000000") << sNotValid;
      QTest::newRow("huge length") << QByteArray::fromHex("000024DE 00000001 FFFFFFFE 0061 00000000") << sNotValid;
      QTest::newRow("odd value length") << QByteArray::fromHex("000024DE 00000001 00000002 0061 00000001 00") << sNotValid;
   }

   void rejected()
   {
      QFETCH(QByteArray, data);
      QFETCH(QString, message);
      Mapping lst = make(k_prefilled);
      const vx::VxBool result = vx::serialization::qt::from_byte_array(lst, data);
      QVERIFY(! result.getValue());
      QCOMPARE(result.getDesc(), message);
      QCOMPARE(pairsOf(lst), k_prefilled);
   }
};

QTEST_GUILESS_MAIN(tst_foundation_bytearray)
#include "tst_foundation_bytearray.moc"
