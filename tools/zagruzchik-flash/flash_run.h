#pragma once

#include <QTimer>
#include <optional>
#include <string>

#include "console_view.h"
#include "flash_options.h"
#include "h2b/hex_image_source.h"
#include "interrupt_signals.h"
#include "progress_printer.h"
#include "serial/comm_port.h"
#include "serial/qt/qt_dispatcher.h"
#include "transfer/download.h"

namespace flash {

// One download from the command line: the window's engine, image source and serial port
// device, run on the QCoreApplication's event loop. Create it on the main thread.
class FlashRun {
 public:
  explicit FlashRun(const FlashOptions& options);

  // Returns the exit code: 0 once the end command has crossed the line, 1 on any failure,
  // 130 after SIGINT and 143 after SIGTERM or SIGHUP.
  int Exec();

 private:
  void Received(std::int32_t count);
  void Fail(const std::string& message);
  void Interrupt(int signal);
  void Quit(int code);

  FlashOptions options_;
  QTimer silence_;
  serial::QtDispatcher ui_;
  serial::TCommPort port_;
  ProgressPrinter progress_;
  ConsoleView view_;
  h2b::HexImageSource images_;
  transfer::Download download_;
  std::optional<int> exitCode_;
  InterruptSignals signals_;
};

}  // namespace flash
