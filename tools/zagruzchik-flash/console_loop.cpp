#include "console_loop.h"

#include <mutex>
#include <utility>

namespace flash {

void ConsoleLoop::Post(std::function<void()> call) {
  {
    const std::lock_guard<serial::Mutex> lock(mutex_);
    calls_.push_back(std::move(call));
  }
  posted_.notify_one();
}

int ConsoleLoop::Run() {
  std::unique_lock<serial::Mutex> lock(mutex_);
  while (!exitCode_) {
    if (calls_.empty()) {
      const bool timed = timerCall_ != nullptr;
      const auto ready = [this] { return !calls_.empty() || exitCode_.has_value(); };
      if (timed ? !posted_.wait_until(lock, timerDue_, ready)
                : (posted_.wait(lock, ready), false)) {
        // Due: the timer runs once, unless restarted meanwhile by its own call.
        auto call = std::exchange(timerCall_, nullptr);
        lock.unlock();
        call();
        lock.lock();
        continue;
      }
      continue;
    }
    auto call = std::move(calls_.front());
    calls_.pop_front();
    lock.unlock();
    call();
    lock.lock();
  }
  calls_.clear();
  return *exitCode_;
}

void ConsoleLoop::Exit(int code) {
  {
    const std::lock_guard<serial::Mutex> lock(mutex_);
    if (!exitCode_) exitCode_ = code;
  }
  posted_.notify_one();
}

void ConsoleLoop::StartTimer(std::chrono::milliseconds after, std::function<void()> call) {
  const std::lock_guard<serial::Mutex> lock(mutex_);
  timerPeriod_ = after;
  timerDue_ = Clock::now() + after;
  timerCall_ = std::move(call);
}

void ConsoleLoop::RestartTimer() {
  const std::lock_guard<serial::Mutex> lock(mutex_);
  timerDue_ = Clock::now() + timerPeriod_;
}

void ConsoleLoop::StopTimer() {
  const std::lock_guard<serial::Mutex> lock(mutex_);
  timerCall_ = nullptr;
}

}  // namespace flash
