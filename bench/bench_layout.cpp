// bench_layout: the host diagram's Graphviz layout alone, on N boxes of one size whose relationships
// join random pairs (fixed seed), about R per box: prints the wall time. Figures only; it judges nothing.
//
//   bench_layout N R
#include <cstdio>
#include <cstdlib>
#include <random>

#include <QElapsedTimer>

#include "diagram_layout.h"

int main(int argc, char* argv[])
{
   if (argc != 3) { std::fprintf(stderr, "usage: bench_layout N R\n"); return 2; }
   const int n = std::atoi(argv[1]);
   const int r = std::atoi(argv[2]);
   if ((n < 2) || (r < 0)) { std::fprintf(stderr, "usage: bench_layout N R\n"); return 2; }
   // a table refers to tables before it, 0 to 2R of them: R on average
   std::mt19937 random(1);
   QVector<view::diagram_layout::edge> vEdges;
   for (int i = 1; i < n; ++i)
   {
      const int iCount = std::uniform_int_distribution<int>(0, 2 * r)(random);
      for (int k = 0; k < iCount; ++k) { vEdges.append({ i, std::uniform_int_distribution<int>(0, i - 1)(random) }); }
   }
   view::diagram_layout layout;
   QElapsedTimer timer;
   timer.start();
   const bool bDone = layout.run(QVector<QSizeF>(n, QSizeF(180.0, 130.0)), vEdges);
   std::printf("boxes=%d\nrelationships=%d\nlayout_s=%.3f\nlaid_out=%d\n", n, static_cast<int>(vEdges.count()), timer.nsecsElapsed() / 1e9, bDone ? 1 : 0);
   return 0;
}
