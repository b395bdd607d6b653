#ifndef VX_VXSERIALIZEQT_H
#define VX_VXSERIALIZEQT_H

#include <QByteArray>
#include <QString>

#include <vx/VxBool.h>

#include "VxCollection.h"

namespace vx {
namespace serialization {
namespace qt {

/** Stored form of a type-mapping list: magic 9438, pair count, then each pair's two QStrings (QDataStream, big-endian). */
QByteArray to_byte_array(const vx::VxCollection<QString, QString>& lst);

/** Reads a stored type-mapping list; on any failure lst is left exactly as it was. */
vx::VxBool from_byte_array(vx::VxCollection<QString, QString>& lst, const QByteArray& data);

} // namespace qt
} // namespace serialization
} // namespace vx

#endif // VX_VXSERIALIZEQT_H
