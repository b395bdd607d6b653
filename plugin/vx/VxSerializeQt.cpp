#include "VxSerializeQt.h"

#include <QDataStream>
#include <QtDebug>

#include <exception>

namespace vx {
namespace serialization {
namespace qt {

namespace {
const qint32 k_iMagicNumber = 9438;
// a pair is at least its two length fields
const qint64 k_iMinPairSize = 8;
} // namespace

QByteArray to_byte_array(const vx::VxCollection<QString, QString>& lst)
{
   try
   {
      QByteArray data;
      QDataStream stream(&data, QIODevice::WriteOnly);
      const long lCount = lst.count();
      stream << k_iMagicNumber << static_cast<qint32>(lCount);
      for (long i = 0; i < lCount; ++i) { stream << lst.getKeyByIndex(i) << lst.getByIndex(i); }
      return data;
   }
   catch (const std::exception& e)
   {
      const QString sError = QString("serialization error '%ERR%'").replace("%ERR%", QString::fromLocal8Bit(e.what()));
      qDebug("[Vexa] vx::serialization::qt::to_byte_array() : %s", qPrintable(sError));
   }
   catch (...)
   {
      const QString sError = QString("serialization error '%ERR%'").replace("%ERR%", "unknown error");
      qDebug("[Vexa] vx::serialization::qt::to_byte_array() : %s", qPrintable(sError));
   }
   return QByteArray();
}

vx::VxBool from_byte_array(vx::VxCollection<QString, QString>& lst, const QByteArray& data)
{
   if (data.isEmpty()) { return vx::VxBool(false, 0, "input binary data is empty"); }
   const vx::VxBool invalid(false, 0, "input binary data is not valid");
   try
   {
      QDataStream stream(data);
      qint32 iMagicNumber = 0;
      qint32 iCount = 0;
      stream >> iMagicNumber;
      if ((stream.status() != QDataStream::Ok) || (iMagicNumber != k_iMagicNumber)) { return invalid; }
      stream >> iCount;
      // a stored count is not trusted: it must be possible with the bytes that follow
      const qint64 iBytesLeft = (data.size() - stream.device()->pos());
      if ((stream.status() != QDataStream::Ok) || (iCount < 0) || (iCount > (iBytesLeft / k_iMinPairSize))) { return invalid; }

      vx::VxCollection<QString, QString> lstRead;
      for (qint32 i = 0; i < iCount; ++i)
      {
         QString sKey, sValue;
         stream >> sKey >> sValue;
         if (stream.status() != QDataStream::Ok) { return invalid; }
         lstRead.insert(sKey, sValue);
      }
      lst = lstRead;
      return vx::VxBool(true);
   }
   catch (const std::exception& e)
   {
      const QString sError = QString("deserialization error '%ERR%'").replace("%ERR%", QString::fromLocal8Bit(e.what()));
      qDebug("[Vexa] vx::serialization::qt::from_byte_array() : %s", qPrintable(sError));
      return vx::VxBool(false, 0, sError);
   }
   catch (...)
   {
      const QString sError = QString("deserialization error '%ERR%'").replace("%ERR%", "unknown error");
      qDebug("[Vexa] vx::serialization::qt::from_byte_array() : %s", qPrintable(sError));
      return vx::VxBool(false, 0, sError);
   }
}

} // namespace qt
} // namespace serialization
} // namespace vx
