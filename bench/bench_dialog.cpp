// bench_dialog: the settings dialog on one SQLite catalogue, offscreen: prints the wall time of the
// reader alone, of "Connect to database" (read and tree), of checking every table through the root,
// and of OK (the list cut down to the checked tables). Figures only; it judges nothing.
//
//   bench_dialog PLUGIN_FILE SQLITE_FILE
#include <cstdio>

#include <QApplication>
#include <QElapsedTimer>
#include <QPluginLoader>
#include <QPushButton>
#include <QTreeWidget>

#include <odbc_import.h>
#include <odbc_import_process.h>
#include <view/wnd_odbc_import.h>

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
   {
      QSqlDatabase db = QSqlDatabase::addDatabase("QODBC", "bench");
      db.setDatabaseName(sDsn);
      if (! db.open()) { std::fprintf(stderr, "%s\n", qPrintable(db.lastError().text())); return 1; }
      std::unique_ptr<plugin::odbc_import_process> pReader(plugin::odbc_import_process::createReader(5, &db));
      dReader = seconds([&]() { pReader->startProcess(); });
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
   const double dCheck = seconds([&]() { pRoot->setCheckState(0, Qt::Checked); });
   // every other table unchecked: OK drops half the list
   for (int i = 0; i < pRoot->childCount(); i += 2) { pRoot->child(i)->setCheckState(0, Qt::Unchecked); }
   const double dOk = seconds([&]() { wnd.findChild<QPushButton*>("m_btnOk")->click(); });
   std::printf("tables=%ld\nreader_s=%.3f\nconnect_s=%.3f\ncheck_all_s=%.3f\nok_s=%.3f\nkept=%ld\n", lTables, dReader, dConnect, dCheck, dOk, wnd.getListOfTables()->count());
   return 0;
}
