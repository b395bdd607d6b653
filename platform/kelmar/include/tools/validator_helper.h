#ifndef TOOLS_VALIDATOR_HELPER_H
#define TOOLS_VALIDATOR_HELPER_H

class QLineEdit;
class QString;

namespace tools {

class validator_helper
{
public:
   /** Lets the field take only a C++ namespace ("a", "a::b_1"). */
   static void setValidator_Namespace(QLineEdit* pLineEdit);
   /** The same rule for a text: empty, or a C++ namespace. */
   static bool isNamespace(const QString& sText);
};

} // namespace tools

#endif // TOOLS_VALIDATOR_HELPER_H
