#ifndef CONTEXT_CTX_GLOBAL_H
#define CONTEXT_CTX_GLOBAL_H

#include <QString>

namespace view { class main_wnd; }

namespace context {

class ctx_global
{
public:
   /** The host's main window, null when there is none (yet). */
   static view::main_wnd* getMainWnd();
   static void setMainWnd(view::main_wnd* pMainWnd);
   static QString getAppHelpManualUrl();
};

} // namespace context

#endif // CONTEXT_CTX_GLOBAL_H
