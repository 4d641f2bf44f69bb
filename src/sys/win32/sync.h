#pragma once

#include <chrono>
#include <mutex>

namespace sys {

// An SRWLOCK, held exclusively. Its storage is one pointer, zero when unlocked, so that this
// header needs no windows.h and its macros.
class Mutex {
 public:
  Mutex() = default;
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;
  void lock();
  void unlock();
  bool try_lock();
  void* native() { return &lock_; }

 private:
  void* lock_ = nullptr;
};

// A CONDITION_VARIABLE used with Mutex, with the waits the callers need.
class Condition {
 public:
  Condition() = default;
  Condition(const Condition&) = delete;
  Condition& operator=(const Condition&) = delete;

  void notify_one();
  void notify_all();
  void wait(std::unique_lock<Mutex>& lock) { WaitFor(lock, -1); }
  template <typename Predicate>
  void wait(std::unique_lock<Mutex>& lock, Predicate ready) {
    while (!ready()) wait(lock);
  }
  template <typename Clock, typename Duration, typename Predicate>
  bool wait_until(std::unique_lock<Mutex>& lock,
                  const std::chrono::time_point<Clock, Duration>& due, Predicate ready) {
    while (!ready()) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - Clock::now());
      if (left.count() <= 0) return ready();
      WaitFor(lock, left.count());
    }
    return true;
  }

 private:
  // Milliseconds, or -1 for no limit; wakes spuriously like any condition variable.
  void WaitFor(std::unique_lock<Mutex>& lock, long long ms);
  void* condition_ = nullptr;
};

}  // namespace sys
