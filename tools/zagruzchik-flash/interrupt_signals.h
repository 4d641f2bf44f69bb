#pragma once

#include <functional>
#include <thread>

#include "serial/ui_dispatcher.h"

namespace flash {

// SIGINT, SIGTERM and SIGHUP (on Windows: Ctrl+C as SIGINT; Ctrl+Break, a closed console,
// logoff and shutdown as SIGTERM) as calls posted to the loop: the run then closes the port
// (and with it the exclusive use) instead of dying with the line held. One instance at a time.
class InterruptSignals {
 public:
  InterruptSignals(serial::UiDispatcher& loop, std::function<void(int signal)> onSignal);
  ~InterruptSignals();  // the default actions again

  // The run has closed its port. Windows ends the process as soon as the handler of a closing
  // console returns: the handler waits for this (5 s at the most, as long as Windows waits).
  void Finished();
  InterruptSignals(const InterruptSignals&) = delete;
  InterruptSignals& operator=(const InterruptSignals&) = delete;

 private:
  serial::UiDispatcher& loop_;
  std::function<void(int signal)> onSignal_;
  std::thread watcher_;  // POSIX: carries the signal numbers from the pipe to the loop
};

}  // namespace flash
