#ifndef VX_IXSQLCONTEXT_H
#define VX_IXSQLCONTEXT_H

#include <QString>

namespace vx {

/** Connection settings that the application makes current for the ORM (see VxSqlDatabase). */
class IxSqlContext
{
public:
   virtual ~IxSqlContext() = default;

   virtual QString getDriverName() const = 0;
   virtual QString getDatabaseName() const = 0;
   virtual QString getUserName() const = 0;
   virtual QString getPassword() const = 0;
};

} // namespace vx

#endif // VX_IXSQLCONTEXT_H
