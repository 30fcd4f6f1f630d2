// Fills a large combo grid, then repaints it screen by screen from the first
// row to the last, offscreen. Prints fill time, repaint times and peak memory.
//   bench_combogrid [columns=200] [rows=10000]

#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "controls/combogrid.h"

namespace {

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

// CPU time of this thread: steadier than wall time on a busy machine.
double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int cols = argc > 1 ? std::max(2, atoi(argv[1])) : 200;
  const int rows = argc > 2 ? std::max(2, atoi(argv[2])) : 10000;

  TComboGrid grid;
  grid.resize(1280, 800);
  grid.show();
  QApplication::processEvents();
  const double baseMb = PeakMegabytes();

  QElapsedTimer timer;
  timer.start();
  grid.SetColCount(cols);
  grid.SetRowCount(rows);
  // A right-aligned formatted number column and a check column, as windows use.
  TCellKind* number = grid.GetCellKind(2);
  number->SetCellAlign(caRight | caVCenter);
  number->AddItem(QString());
  number->AddItem(QStringLiteral("#,##0.00"));
  TCellKind* check = grid.GetCellKind(3);
  check->SetKind(ckCheck);
  check->AddItem(QStringLiteral("Y"), 0);
  check->AddItem(QStringLiteral("N"), 1);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c)
      grid.SetCells(c, r, c == 3 ? QStringLiteral("Y") : QString::number(r * 1000 + c));
  const double fillMs = timer.nsecsElapsed() / 1e6;

  // One full repaint of the first screen, then screen by screen to the end.
  timer.restart();
  grid.viewport()->repaint();
  const double firstMs = timer.nsecsElapsed() / 1e6;
  std::vector<double> frames;
  double cpuMs = 0;
  const int page = std::max(1, grid.VisibleRowCount());
  for (int top = grid.FixedRows(); top < rows; top += page) {
    grid.SetTopRow(top);
    timer.restart();
    const double cpuStart = ThreadCpuMs();
    grid.viewport()->repaint();
    cpuMs += ThreadCpuMs() - cpuStart;
    frames.push_back(timer.nsecsElapsed() / 1e6);
    if (grid.TopRow() != top) break;  // the last screen is reached
  }
  std::sort(frames.begin(), frames.end());
  double sum = 0;
  for (double f : frames) sum += f;

  std::printf("combo grid %d columns x %d rows (%lld cells), view 1280x800, %d rows per screen\n",
              cols, rows, static_cast<long long>(cols) * rows, page);
  std::printf("fill:            %.1f ms (%.2f M cells/s)\n", fillMs,
              static_cast<double>(cols) * rows / fillMs / 1000.0);
  std::printf("first repaint:   %.2f ms\n", firstMs);
  std::printf("scroll repaints: %zu screens, mean %.2f ms, median %.2f ms, max %.2f ms\n",
              frames.size(), sum / frames.size(), frames[frames.size() / 2], frames.back());
  std::printf("scroll repaints: mean %.2f ms of CPU time\n", cpuMs / frames.size());
  std::printf("peak memory:     %.1f MB (%.1f MB before the fill)\n", PeakMegabytes(), baseMb);
  return 0;
}
