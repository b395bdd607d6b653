#include "display.h"

#include <QApplication>
#include <QRegularExpression>

#include <plugin/import_interface.h>
#include <view/main_wnd.h>

namespace kelmar {

bool hasDisplay()
{
   const QString sPlatform = QGuiApplication::platformName();
   return ((sPlatform != "offscreen") && (sPlatform != "minimal"));
}

QStringList missingRequiredOptions(const plugin::import_interface& plugin, const view::main_wnd& wnd)
{
   // help lines read: --NAME=<value> : [Required] what it is
   static const QRegularExpression k_required("^\\s*(--[^=\\s]+)=.*:\\s*\\[Required\\]");
   QStringList lstRequired;
   bool bMissing = false;
   for (const QString& sLine : plugin.getCommandLineInfos().split('\n'))
   {
      const QRegularExpressionMatch match = k_required.match(sLine);
      if (! match.hasMatch()) { continue; }
      lstRequired << match.captured(1);
      bMissing = (bMissing || wnd.getAppArg(match.captured(1)).value(0).isEmpty());
   }
   return (bMissing ? lstRequired : QStringList());
}

int runMainWindow(view::main_wnd& wnd, const QList<plugin::import_interface*>& lstPlugins)
{
   for (plugin::import_interface* pPlugin : lstPlugins) { wnd.addImportPlugin(pPlugin); }
   wnd.doReloadProject();
   wnd.doOrganizeLayout();
   wnd.show();
   return QApplication::exec();
}

} // namespace kelmar
