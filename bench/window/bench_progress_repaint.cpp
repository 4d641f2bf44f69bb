// What one repaint of the progress bar costs the window's process: a download repaints it at
// every new percentage, synchronously between two packets. Run on a real X server (Xvfb).
//   build/bench_progress_repaint [ROUNDS]   (default 20 rounds of 0..100 %)
#include <sys/resource.h>

#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

#include "ui/qt/widgets/progress_bar.h"

namespace {

double ProcessCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
  QWidget window;
  window.resize(361, 147);
  ui::TProgressBar bar(&window);
  bar.setGeometry(49, 130, 310, 15);
  window.show();
  for (int i = 0; i < 50; ++i) app.processEvents();
  bar.SetTotalParts(100);
  const double before = ProcessCpuMs();
  for (int round = 0; round < rounds; ++round) {
    for (std::uint32_t part = 1; part <= 100; ++part) {
      bar.SetPartsComplete(part);
      app.processEvents();
    }
    bar.SetTotalParts(100);
  }
  const double spent = ProcessCpuMs() - before;
  std::printf("%d repaints: %.3f ms of CPU each (%s)\n", bar.PaintCount(), spent / bar.PaintCount(),
              qPrintable(QGuiApplication::platformName()));
  return 0;
}
