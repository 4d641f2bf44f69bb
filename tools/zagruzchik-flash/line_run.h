#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "console_loop.h"
#include "flash_options.h"
#include "interrupt_signals.h"
#include "station.h"

namespace flash {

// A production line: one conversion sent into several ports at once, each with its own device
// and engine on one console loop, and with --repeat board after board on each. Progress goes to
// standard error (one line a port redrawn in place on a terminal; a line at each change of
// state or tenth on a pipe), a line a finished board and the summary to standard output, a CSV
// line a board to the --log file.
class LineRun {
 public:
  explicit LineRun(const FlashOptions& options);
  ~LineRun();
  LineRun(const LineRun&) = delete;
  LineRun& operator=(const LineRun&) = delete;

  // 0 when every board passed, 1 otherwise; 130 or 143 after a signal (with --repeat: 0 or 1
  // by the boards so far).
  int Exec();

 private:
  void Changed(Station& station);
  void BoardEnded(Station& station);
  void Interrupt(int signal);
  bool AllDone() const;
  void DrawProgress(const Station& station);
  void PrintSummary();
  void Log(const Station& station);

  FlashOptions options_;
  ConsoleLoop loop_;
  std::vector<std::unique_ptr<Station>> stations_;
  std::vector<unsigned> printedTenths_;  // on a pipe: the last tenth printed, per port
  bool terminal_ = false;
  bool drawn_ = false;  // the progress lines are on the terminal
  int passed_ = 0;
  int failed_ = 0;
  std::FILE* log_ = nullptr;
  std::optional<int> interrupted_;
  InterruptSignals signals_;
};

}  // namespace flash
