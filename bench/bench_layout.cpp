// bench_layout: the host diagram on N tables of nine columns whose relationships join random pairs (fixed
// seed), about R per table ("chain": each table refers to the one before). Prints the Graphviz layout alone
// (its wall and CPU time, the diagram's size and its longer side over its shorter), then the host's main window on a
// project of those entities, offscreen: how long until it is first shown, the longest the GUI thread stopped
// while the diagram was laid out, and how long until the layout was applied. Figures only; it judges nothing.
//
//   bench_layout N R|chain [PICTURE.png]   (PICTURE: the window once laid out, the diagram fitted to it)
#include <cstdio>
#include <cstdlib>
#include <random>

#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <context/ctx_project.h>
#include <view/entity_diagram.h>
#include <view/main_wnd.h>

#include "diagram_layout.h"

namespace {

double aspect(const QSizeF& size) { return (qMax(size.width(), size.height()) / qMax(1.0, qMin(size.width(), size.height()))); }

QString tableName(int i) { return QString("t%1").arg(i, 5, 10, QChar('0')); }

} // namespace

int main(int argc, char* argv[])
{
   qputenv("QT_QPA_PLATFORM", "offscreen");
   QApplication app(argc, argv);
   const bool bArgs = ((argc == 3) || (argc == 4));
   const int n = (bArgs ? std::atoi(argv[1]) : 0);
   const bool bChain = (bArgs && (QByteArray(argv[2]) == "chain"));
   const int r = (bArgs ? std::atoi(argv[2]) : -1);
   if ((n < 2) || (! bChain && (r < 0))) { std::fprintf(stderr, "usage: bench_layout N R|chain [PICTURE.png]\n"); return 2; }
   // a table refers to tables before it, 0 to 2R of them: R on average
   std::mt19937 random(1);
   QVector<view::diagram_layout::edge> vEdges;
   for (int i = 1; i < n; ++i)
   {
      const int iCount = (bChain ? 1 : std::uniform_int_distribution<int>(0, 2 * r)(random));
      for (int k = 0; k < iCount; ++k) { vEdges.append({ i, (bChain ? (i - 1) : std::uniform_int_distribution<int>(0, i - 1)(random)) }); }
   }
   view::diagram_layout layout;
   QElapsedTimer timer;
   timer.start();
   timespec cpuStart {}, cpuEnd {};
   clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuStart);
   const bool bDone = layout.run(QVector<QSizeF>(n, QSizeF(180.0, 130.0)), vEdges);
   clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuEnd);
   const double dCpu = (cpuEnd.tv_sec - cpuStart.tv_sec) + ((cpuEnd.tv_nsec - cpuStart.tv_nsec) / 1e9);
   std::printf("tables=%d\nrelationships=%d\nlayout_s=%.3f\nlayout_cpu_s=%.3f\nlaid_out=%d\nsize=%.0fx%.0f\naspect=%.2f\n", n, static_cast<int>(vEdges.count()), timer.nsecsElapsed() / 1e9, dCpu, bDone ? 1 : 0,
               layout.getSize().width(), layout.getSize().height(), aspect(layout.getSize()));

   // the same tables as a project's entities, shown as the host program shows them
   QTemporaryDir dir;
   if (! context::ctx_project::openProject(dir.filePath("bench.kelmar")).getValue()) { std::fprintf(stderr, "no project\n"); return 1; }
   QList<model::entity> lst;
   for (int i = 0; i < n; ++i)
   {
      model::entity e{ "bench", tableName(i) };
      e.properties.append({ "id", "long", "integer", QString(), QString(), true, true });
      for (int c = 1; c < 9; ++c) { e.properties.append({ QString("column_%1").arg(c), "QString", "varchar(80)" }); }
      lst.append(e);
   }
   for (const view::diagram_layout::edge& e : vEdges)
   {
      model::entity_relationship relationship;
      relationship.name = QString("fk_%1_%2").arg(lst.at(e.iFrom).relationships.count()).arg(e.iTo);
      relationship.kind = "many-to-one";
      relationship.targetNamespace = "bench";
      relationship.targetEntity = tableName(e.iTo);
      lst[e.iFrom].relationships.append(relationship);
   }
   if (! context::ctx_project::getProject()->addEntities(lst).getValue()) { std::fprintf(stderr, "entities not written\n"); return 1; }

   view::main_wnd wnd;
   wnd.resize(1240, 760);
   auto* pDiagram = wnd.findChild<view::entity_diagram*>("m_viewDiagram");
   QElapsedTimer sinceStart;
   sinceStart.start();
   // as the host program starts: the project read, the diagram asked for, the window shown and drawn
   wnd.doReloadProject();
   wnd.doOrganizeLayout();
   wnd.show();
   wnd.grab();
   const double dShown = sinceStart.nsecsElapsed() / 1e9;
   // a tick every 10 ms: the longest gap between two is the longest the window could not answer
   QElapsedTimer sinceTick;
   sinceTick.start();
   double dLongestStop = 0.0;
   QTimer ticks;
   QObject::connect(&ticks, &QTimer::timeout, [&]() { dLongestStop = qMax(dLongestStop, sinceTick.nsecsElapsed() / 1e9); sinceTick.restart(); });
   ticks.start(10);
   double dLaidOut = 0.0;
   QObject::connect(pDiagram, &view::entity_diagram::onLayoutDone, [&]() {
      wnd.grab();
      dLaidOut = sinceStart.nsecsElapsed() / 1e9;
      dLongestStop = qMax(dLongestStop, sinceTick.nsecsElapsed() / 1e9);
      app.quit();
   });
   if (pDiagram->isLayingOut()) { app.exec(); }
   if (argc == 4)
   {
      pDiagram->doFitToWindow();
      wnd.grab().save(QString::fromLocal8Bit(argv[3]));
   }
   std::printf("window_shown_s=%.3f\ngui_longest_stop_s=%.3f\ndiagram_laid_out_s=%.3f\ndiagram_aspect=%.2f\n", dShown, dLongestStop, dLaidOut, aspect(pDiagram->getDiagramRect().size()));
   context::ctx_project::closeProject();
   return 0;
}
