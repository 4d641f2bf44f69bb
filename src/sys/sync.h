#pragma once

// The lock and the condition the port's threads and the console loop wait on. On Windows they
// are the system's own slim lock and condition variable: the C++ runtime's condition variable
// there goes through a POSIX thread layer, and under Wine a hand-over through it takes up to a
// millisecond, as long as a byte on the line.
#ifdef _WIN32
#include "sys/win32/sync.h"
#else
#include <condition_variable>
#include <mutex>

namespace sys {
using Mutex = std::mutex;
using Condition = std::condition_variable;
}  // namespace sys
#endif
