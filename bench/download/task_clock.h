#pragma once

#include <sys/types.h>

namespace bench {

// The kernel's task clock of one thread or process and every thread it starts from now on:
// the CPU time the scheduler charged to them, the figure perf stat prints as task-clock.
class TaskClock {
 public:
  // pid 0: the calling thread.
  explicit TaskClock(pid_t pid);
  ~TaskClock();
  TaskClock(const TaskClock&) = delete;
  TaskClock& operator=(const TaskClock&) = delete;

  // Seconds counted so far; also valid once the process has ended.
  double Seconds() const;

 private:
  int fd_ = -1;
};

}  // namespace bench
