#pragma once

#include <QSocketNotifier>
#include <functional>

namespace flash {

// SIGINT, SIGTERM and SIGHUP as calls on the event loop: the run then closes the port (and
// with it the exclusive use) instead of dying with the line held. One instance at a time.
class InterruptSignals {
 public:
  explicit InterruptSignals(std::function<void(int signal)> onSignal);
  ~InterruptSignals();  // the default actions again
  InterruptSignals(const InterruptSignals&) = delete;
  InterruptSignals& operator=(const InterruptSignals&) = delete;

 private:
  std::function<void(int signal)> onSignal_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace flash
