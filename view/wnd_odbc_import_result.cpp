#include "wnd_odbc_import_result.h"

namespace view {

wnd_odbc_import_result::wnd_odbc_import_result(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags)
{
   Ui::wnd_odbc_import_result::setupUi(this);
}

void wnd_odbc_import_result::setMessages(const QStringList& lstMessages)
{
   m_txtResult->setPlainText(lstMessages.join("\n\n"));
}

} // namespace view
