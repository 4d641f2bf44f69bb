#pragma once

#include <optional>
#include <string>

#include "console_loop.h"
#include "console_view.h"
#include "flash_options.h"
#include "h2b/hex_image_source.h"
#include "interrupt_signals.h"
#include "progress_printer.h"
#include "serial/comm_port.h"
#include "transfer/download.h"

namespace flash {

// One download from the command line: the window's engine, image source and serial port
// device, run on a console loop of the thread that calls Exec.
class FlashRun {
 public:
  explicit FlashRun(const FlashOptions& options);

  // Returns the exit code: 0 once the end command has crossed the line, 1 on any failure,
  // 130 after SIGINT and 143 after SIGTERM or SIGHUP.
  int Exec();

 private:
  int Run();
  void Received(std::int32_t count);
  void Fail(const std::string& message);
  void Interrupt(int signal);
  void Quit(int code);

  FlashOptions options_;
  ConsoleLoop ui_;
  serial::TCommPort port_;
  ProgressPrinter progress_;
  ConsoleView view_;
  h2b::HexImageSource images_;
  transfer::Download download_;
  std::optional<int> exitCode_;
  InterruptSignals signals_;
};

}  // namespace flash
