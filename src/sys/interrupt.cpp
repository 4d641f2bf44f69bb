#include "sys/interrupt.h"

#include <atomic>

namespace sys {

namespace {

// Lock-free, so that a signal handler may set it.
std::atomic<bool> requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

}  // namespace

void RequestInterrupt() {
  requested.store(true, std::memory_order_relaxed);
}

bool InterruptRequested() {
  return requested.load(std::memory_order_relaxed);
}

void ClearInterruptRequest() {
  requested.store(false, std::memory_order_relaxed);
}

}  // namespace sys
