#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <optional>

#include "serial/ui_dispatcher.h"
#include "sys/sync.h"

namespace flash {

// The console flasher's user-interface thread without a toolkit: the thread that calls Run
// runs the calls the port's threads post, in order, and one timer, until Exit.
class ConsoleLoop : public serial::UiDispatcher {
 public:
  // Any thread.
  void Post(std::function<void()> call) override;

  // The loop's thread: runs until Exit and returns its code. Calls still queued then are
  // dropped.
  int Run();
  void Exit(int code);

  // The loop's thread: call runs once `after` has passed since the last Start or Restart.
  void StartTimer(std::chrono::milliseconds after, std::function<void()> call);
  void RestartTimer();
  void StopTimer();
  bool TimerActive() const { return timerCall_ != nullptr; }

 private:
  using Clock = std::chrono::steady_clock;

  sys::Mutex mutex_;
  sys::Condition posted_;
  std::deque<std::function<void()>> calls_;
  std::optional<int> exitCode_;
  std::chrono::milliseconds timerPeriod_{0};
  Clock::time_point timerDue_;
  std::function<void()> timerCall_;
};

}  // namespace flash
