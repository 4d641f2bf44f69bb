#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "console_loop.h"
#include "flash_options.h"
#include "interrupt_signals.h"
#include "line_record.h"
#include "station.h"

namespace flash {

// A production line: one conversion sent into several ports at once, each with its own device
// and engine on one console loop, and with --repeat board after board on each. Progress goes to
// standard error (one line a port redrawn in place on a terminal; a line at each change of
// state or tenth on a pipe), a line a finished board and the summary to standard output (JSON
// with --json), a CSV line a board to the --log file. Every board gets exactly one record:
// passed, failed, timed out or interrupted; a record that cannot be written stops the line.
class LineRun {
 public:
  explicit LineRun(const FlashOptions& options);
  LineRun(const LineRun&) = delete;
  LineRun& operator=(const LineRun&) = delete;

  // 0 when every board passed, 1 otherwise or when the record failed; 130 or 143 after a
  // signal that interrupted a board or a run without --repeat.
  int Exec();

 private:
  int Prepare();
  std::size_t IndexOf(const Station& station) const;
  void Changed(Station& station);
  void BoardEnded(Station& station);
  void Interrupt(int signal);
  void Tick();
  bool AllDone() const;
  void DrawProgress(const Station& station);
  void PrintSummary();
  BoardRecord RecordOf(const Station& station) const;
  void StopLine(const std::string& message);
  // A detail of the line for -v, on standard error.
  void Detail(const std::string& line);

  FlashOptions options_;
  ConsoleLoop loop_;
  std::shared_ptr<const h2b::ConvertedImage> image_;
  std::string imageSha256_;
  std::string host_;
  std::unique_ptr<LineRecordFile> log_;
  std::vector<std::unique_ptr<Station>> stations_;
  std::vector<Station::State> shown_;                // the state last shown, per port
  std::vector<unsigned> printedTenths_;              // on a pipe: the last tenth printed, per port
  std::vector<bool> latencySaid_;                    // per port
  std::vector<Station::Clock::time_point> lastTry_;  // opening a missing adapter, per port
  bool terminal_ = false;
  bool drawn_ = false;    // the progress lines are on the terminal
  long long boards_ = 0;  // the last board number given
  int passed_ = 0;
  int failed_ = 0;
  int interruptedBoards_ = 0;
  std::optional<int> interrupted_;
  bool stopped_ = false;  // the record failed: no board more
  InterruptSignals signals_;
};

}  // namespace flash
