#ifndef KELMAR_HOST_DISPLAY_H
#define KELMAR_HOST_DISPLAY_H

#include <QList>
#include <QStringList>

namespace plugin { class import_interface; }
namespace view { class main_wnd; }

namespace kelmar {

/** False on Qt's offscreen and minimal platforms, where no window can be seen or answered. */
bool hasDisplay();

/** Every option the plug-in's command-line help marks "[Required]" when the command line leaves one of them absent
    or empty, else nothing: without a display an import needs them all, since its settings dialog could not be answered. */
QStringList missingRequiredOptions(const plugin::import_interface& plugin, const view::main_wnd& wnd);

/** Shows the project in the main window with a menu entry per import plug-in; returns when the window is closed. */
int runMainWindow(view::main_wnd& wnd, const QList<plugin::import_interface*>& lstPlugins);

} // namespace kelmar

#endif // KELMAR_HOST_DISPLAY_H
