// bench_dialog: the settings dialog on one SQLite catalogue, offscreen: prints the wall time of the
// reader alone, of "Connect to database" (read and tree), of the slowest key typed into the tree's
// filter, of checking every table through the root, of OK (the list cut down to the checked tables),
// and how long Cancel leaves the dialog waiting for a read; then of importing every table into a
// project, of the host's main window showing it (list and boxes), until its diagram is laid out, of a zoom step and of
// a scroll (each drawn once). Figures only; it judges nothing.
//
//   bench_dialog PLUGIN_FILE SQLITE_FILE
#include <cstdio>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPluginLoader>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <odbc_import.h>
#include <odbc_import_process.h>
#include <odbc_import_engine.h>
#include <context/ctx_project.h>
#include <plugin/generic_importer.h>
#include <view/entity_diagram.h>
#include <view/main_wnd.h>
#include <wnd_odbc_import.h>

namespace {

template <class F>
double seconds(F f)
{
   QElapsedTimer timer;
   timer.start();
   f();
   return (static_cast<double>(timer.nsecsElapsed()) / 1e9);
}

} // namespace

int main(int argc, char* argv[])
{
   qputenv("QT_QPA_PLATFORM", "offscreen");
   QApplication app(argc, argv);
   if (argc != 3) { std::fprintf(stderr, "usage: bench_dialog PLUGIN_FILE SQLITE_FILE\n"); return 2; }
   QPluginLoader loader(QString::fromLocal8Bit(argv[1]));
   auto* pPlugin = static_cast<plugin::odbc_import*>(qobject_cast<plugin::import_interface*>(loader.instance()));
   if (! pPlugin) { std::fprintf(stderr, "%s\n", qPrintable(loader.errorString())); return 1; }
   const QString sDsn = "Driver=SQLite3;Database=" + QString::fromLocal8Bit(argv[2]);

   double dReader = 0.0;
   std::shared_ptr<model::type_lst_table> pAll;
   {
      QSqlDatabase db = QSqlDatabase::addDatabase("QODBC", "bench");
      db.setDatabaseName(sDsn);
      if (! db.open()) { std::fprintf(stderr, "%s\n", qPrintable(db.lastError().text())); return 1; }
      std::unique_ptr<plugin::odbc_import_process> pReader(plugin::odbc_import_engine::createReader(5, &db));
      dReader = seconds([&]() { pReader->startProcess(); });
      pAll = pReader->getListOfTables();
   }
   QSqlDatabase::removeDatabase("bench");

   view::wnd_odbc_import wnd(nullptr, Qt::WindowFlags());
   wnd.initFromPlugin(pPlugin);
   wnd.findChild<QLineEdit*>("m_txtConnectionString")->setText(sDsn);
   wnd.findChild<QComboBox*>("m_cboDatabaseType")->setCurrentIndex(5);
   const double dConnect = seconds([&]() { wnd.findChild<QPushButton*>("m_btnConnect")->click(); });
   QTreeWidgetItem* pRoot = wnd.findChild<QTreeWidget*>("m_lstItemsToImport")->topLevelItem(0);
   if (! pRoot) { std::fprintf(stderr, "nothing read\n"); return 1; }
   const long lTables = wnd.getListOfTables()->count();
   // the filter typed key by key, then erased key by key: the slowest key
   double dFilterKey = 0.0;
   auto* pFilter = wnd.findChild<QLineEdit*>("m_txtFilterTables");
   for (const char* sText : { "t", "t0", "t01", "t019", "t0199", "t019", "t01", "t0", "t", "" })
   {
      dFilterKey = qMax(dFilterKey, seconds([&]() { pFilter->setText(QString::fromLatin1(sText)); QApplication::processEvents(); }));
   }
   const double dCheck = seconds([&]() { pRoot->setCheckState(0, Qt::Checked); });
   // every other table unchecked: OK drops half the list
   for (int i = 0; i < pRoot->childCount(); i += 2) { pRoot->child(i)->setCheckState(0, Qt::Unchecked); }
   const double dOk = seconds([&]() { wnd.findChild<QPushButton*>("m_btnOk")->click(); });
   std::printf("tables=%ld\nreader_s=%.3f\nconnect_s=%.3f\nfilter_slowest_key_s=%.3f\ncheck_all_s=%.3f\nok_s=%.3f\nkept=%ld\n", lTables, dReader, dConnect, dFilterKey, dCheck, dOk,
               wnd.getListOfTables()->count());

   // Cancel a tenth of a second into another Connect: how long the dialog still waits for the read
   QElapsedTimer sinceCancel;
   {
      view::wnd_odbc_import wndCancel(nullptr, Qt::WindowFlags());
      wndCancel.initFromPlugin(pPlugin);
      wndCancel.findChild<QLineEdit*>("m_txtConnectionString")->setText(sDsn);
      wndCancel.findChild<QComboBox*>("m_cboDatabaseType")->setCurrentIndex(5);
      QTimer::singleShot(100, [&]() { sinceCancel.start(); wndCancel.findChild<QPushButton*>("m_btnCancel")->click(); });
      wndCancel.findChild<QPushButton*>("m_btnConnect")->click();
   }
   std::printf("cancel_wait_s=%.3f\n", static_cast<double>(sinceCancel.nsecsElapsed()) / 1e9);

   // every table read into a new project, then shown by the host's main window as the import's reload does
   QTemporaryDir dir;
   if (! context::ctx_project::openProject(dir.filePath("bench.kelmar")).getValue()) { std::fprintf(stderr, "no project\n"); return 1; }
   plugin::generic_importer importer;
   importer.setListOfTables(pAll);
   const double dImport = seconds([&]() { importer.import(); });
   view::main_wnd mainWnd;
   mainWnd.resize(1240, 760);
   mainWnd.show();
   auto* pDiagram = mainWnd.findChild<view::entity_diagram*>("m_viewDiagram");
   QElapsedTimer sinceReload;
   sinceReload.start();
   const double dShow = seconds([&]() { mainWnd.doReloadProject(); pDiagram->viewport()->grab(); });
   // the layout runs on a thread of its own while the window answers
   while (pDiagram->isLayingOut()) { QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50); }
   pDiagram->viewport()->grab();
   const double dLaidOut = sinceReload.nsecsElapsed() / 1e9;
   const double dZoom = seconds([&]() { pDiagram->doZoomOut(); pDiagram->viewport()->grab(); });
   const double dScroll = seconds([&]() { pDiagram->verticalScrollBar()->setValue(pDiagram->verticalScrollBar()->value() + 400); pDiagram->viewport()->grab(); });
   pDiagram->doFitToWindow();
   const double dFitted = seconds([&]() { pDiagram->viewport()->grab(); });
   std::printf("diagram_laid_out_s=%.3f\n", dLaidOut);
   std::printf("import_s=%.3f\nwindow_s=%.3f\nzoom_step_s=%.3f\nscroll_step_s=%.3f\nwhole_diagram_drawn_s=%.3f\nentities=%d\n", dImport, dShow, dZoom, dScroll, dFitted, importer.getImportCount());
   context::ctx_project::closeProject();
   return 0;
}
