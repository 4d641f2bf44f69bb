#include "console_loop.h"

#include <mutex>
#include <utility>

namespace flash {

void ConsoleLoop::Post(std::function<void()> call) {
  {
    const std::lock_guard<sys::Mutex> lock(mutex_);
    calls_.push_back(std::move(call));
  }
  posted_.notify_one();
}

int ConsoleLoop::Run() {
  std::unique_lock<sys::Mutex> lock(mutex_);
  const auto ready = [this] { return !calls_.empty() || exitCode_.has_value(); };
  while (!exitCode_) {
    bool posted = true;
    if (timerCall_) {
      posted = posted_.wait_until(lock, timerDue_, ready);
    } else {
      posted_.wait(lock, ready);
    }
    if (exitCode_) break;
    std::function<void()> call;
    if (posted) {
      call = std::move(calls_.front());
      calls_.pop_front();
    } else {
      // Due: the timer runs once, unless its own call starts it again.
      call = std::exchange(timerCall_, nullptr);
    }
    lock.unlock();
    call();
    lock.lock();
  }
  calls_.clear();
  return *exitCode_;
}

void ConsoleLoop::Exit(int code) {
  {
    const std::lock_guard<sys::Mutex> lock(mutex_);
    if (!exitCode_) exitCode_ = code;
  }
  posted_.notify_one();
}

void ConsoleLoop::StartTimer(std::chrono::milliseconds after, std::function<void()> call) {
  const std::lock_guard<sys::Mutex> lock(mutex_);
  timerPeriod_ = after;
  timerDue_ = Clock::now() + after;
  timerCall_ = std::move(call);
}

void ConsoleLoop::RestartTimer() {
  const std::lock_guard<sys::Mutex> lock(mutex_);
  timerDue_ = Clock::now() + timerPeriod_;
}

void ConsoleLoop::StopTimer() {
  const std::lock_guard<sys::Mutex> lock(mutex_);
  timerCall_ = nullptr;
}

}  // namespace flash
