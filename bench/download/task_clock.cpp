#include "task_clock.h"

#include <linux/perf_event.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

namespace bench {

TaskClock::TaskClock(pid_t pid) {
  perf_event_attr attr{};
  attr.size = sizeof attr;
  attr.type = PERF_TYPE_SOFTWARE;
  attr.config = PERF_COUNT_SW_TASK_CLOCK;
  attr.inherit = 1;  // threads started later count too
  fd_ = static_cast<int>(syscall(SYS_perf_event_open, &attr, pid, -1, -1, PERF_FLAG_FD_CLOEXEC));
  if (fd_ < 0) throw std::runtime_error(std::string("perf_event_open: ") + std::strerror(errno));
}

TaskClock::~TaskClock() {
  close(fd_);
}

double TaskClock::Seconds() const {
  std::uint64_t ns = 0;
  if (read(fd_, &ns, sizeof ns) != sizeof ns)
    throw std::runtime_error(std::string("reading the task clock: ") + std::strerror(errno));
  return static_cast<double>(ns) / 1e9;
}

}  // namespace bench
