#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "console_loop.h"
#include "console_view.h"
#include "flash_options.h"
#include "h2b/hex_image_source.h"
#include "interrupt_signals.h"
#include "progress_printer.h"
#include "serial/first_hello.h"
#include "serial/loader_link.h"
#include "transfer/download.h"

namespace flash {

// One download from the command line: the window's engine, image source and serial port
// device, run on a console loop of the thread that calls Exec. With --port auto the engine's
// port is whichever USB adapter hears the hello first.
class FlashRun : private serial::LinkConsumer, private transfer::Port {
 public:
  explicit FlashRun(const FlashOptions& options);

  // Returns the exit code: 0 once the end command has crossed the line, 1 on any failure,
  // 130 after SIGINT and 143 after SIGTERM or SIGHUP.
  int Exec();

 private:
  int Run();
  // serial::LinkConsumer
  void Received(std::int32_t count) override;
  bool LineLost(bool allWritten) override { return download_.LineLost(allWritten); }
  void Failed(const std::exception_ptr& failure) override { Fail(serial::MessageOf(failure)); }
  void Fail(const std::string& message);
  // --port auto: the adapter that heard the hello becomes the run's port.
  void Take(serial::FirstHello::Found found);
  void SayLatency();

  // transfer::Port: the run's link, with what the search heard read first.
  std::string DeviceName() const override;
  bool Active() const override;
  void Open() override;
  std::int32_t WriteBuf(const std::uint8_t* buffer, std::int32_t count) override;
  std::int32_t ReadBuf(std::uint8_t* buffer, std::int32_t count) override;
  void Await(std::int32_t count) override {
    if (link_) link_->Port().Await(count);
  }

  void Interrupt(int signal);
  void Quit(int code);

  FlashOptions options_;
  ConsoleLoop ui_;
  std::unique_ptr<serial::LoaderLink> link_;    // none until --port auto has found it
  std::unique_ptr<serial::FirstHello> search_;  // --port auto
  std::vector<std::uint8_t> heard_;
  ProgressPrinter progress_;
  ConsoleView view_;
  std::unique_ptr<transfer::ImageSource> images_;
  transfer::Download download_;
  std::optional<int> exitCode_;
  bool networkLatencySaid_ = false;
  InterruptSignals signals_;
};

}  // namespace flash
