#ifndef VIEW_WND_ODBC_IMPORT_RESULT_H
#define VIEW_WND_ODBC_IMPORT_RESULT_H

#include <QDialog>
#include <QStringList>

#include "ui_wnd_odbc_import_result.h"

namespace view {

/** Shows the outcome texts of an import in a read-only box with a Close button. */
class wnd_odbc_import_result : public QDialog, private Ui::wnd_odbc_import_result
{
   Q_OBJECT

public:
   wnd_odbc_import_result(QWidget* parent, Qt::WindowFlags flags);
   ~wnd_odbc_import_result() override = default;

   /** Replaces the text by the messages, one blank line between two of them. */
   void setMessages(const QStringList& lstMessages);
};

} // namespace view

#endif // VIEW_WND_ODBC_IMPORT_RESULT_H
