#ifndef VX_VXBOOL_H
#define VX_VXBOOL_H

#include <QString>

namespace vx {

/** Result of an operation: success flag, numeric code and a text for the user. */
class VxBool
{
public:
   VxBool() = default;
   VxBool(bool bValue, qint32 lCode = 0, const QString& sDesc = QString()) : m_bValue(bValue), m_lCode(lCode), m_sDesc(sDesc) { ; }

   bool getValue() const { return m_bValue; }
   qint32 getCode() const { return m_lCode; }
   QString getDesc() const { return m_sDesc; }
   explicit operator bool() const { return m_bValue; }

private:
   bool m_bValue = false;
   qint32 m_lCode = 0;
   QString m_sDesc;
};

} // namespace vx

#endif // VX_VXBOOL_H
