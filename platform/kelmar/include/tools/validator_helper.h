#ifndef TOOLS_VALIDATOR_HELPER_H
#define TOOLS_VALIDATOR_HELPER_H

class QLineEdit;

namespace tools {

class validator_helper
{
public:
   /** Lets the field take only a C++ namespace ("a", "a::b_1"). */
   static void setValidator_Namespace(QLineEdit* pLineEdit);
};

} // namespace tools

#endif // TOOLS_VALIDATOR_HELPER_H
