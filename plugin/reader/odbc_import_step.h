#ifndef PLUGIN_ODBC_IMPORT_STEP_H
#define PLUGIN_ODBC_IMPORT_STEP_H

#include <QString>

namespace plugin {

/**
 * What a read waits for now: the login, the list of tables, the columns of one table. The reading program
 * passes each step on to the plug-in, which stops a read whose step gets no answer within the read timeout
 * and names the step; elsewhere nobody listens and a step costs a test of a pointer.
 */
class odbc_import_step
{
public:
   typedef void (*type_listener)(const QString& sStep);

   static void setListener(type_listener pListener) { s_pListener = pListener; }
   static void begin(const QString& sStep) { if (s_pListener) { s_pListener(sStep); } }

private:
   static inline type_listener s_pListener = nullptr;
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_STEP_H
