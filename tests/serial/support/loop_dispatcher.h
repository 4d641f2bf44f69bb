#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "serial/ui_dispatcher.h"

// A user-interface thread without a toolkit: the test's own thread runs the posted calls while
// it waits for a condition.
class LoopDispatcher : public serial::UiDispatcher {
 public:
  void Post(std::function<void()> call) override;

  // Runs posted calls until done() holds or timeout passes; returns done().
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // Runs posted calls for the whole time, for checks that something does not happen.
  void RunFor(std::chrono::milliseconds time);

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> calls_;
};
