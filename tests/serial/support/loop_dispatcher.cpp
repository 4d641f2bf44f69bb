#include "support/loop_dispatcher.h"

void LoopDispatcher::Post(std::function<void()> call) {
  {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
  }
  posted_.notify_one();
}

bool LoopDispatcher::RunUntil(const std::function<bool()>& done,
                              std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (done()) return true;
    std::unique_lock lock(mutex_);
    if (!posted_.wait_until(lock, deadline, [&] { return !calls_.empty(); })) return done();
    std::function<void()> call = std::move(calls_.front());
    calls_.pop_front();
    lock.unlock();
    call();
  }
}

void LoopDispatcher::RunFor(std::chrono::milliseconds time) {
  RunUntil([] { return false; }, time);
}
