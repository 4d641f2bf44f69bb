#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tools_test {

using Clock = std::chrono::steady_clock;

// A program run as a child process in a folder, its standard output and error captured.
// Every wait is bounded; one still running at destruction is killed and reaped, so a
// failing test leaves nothing behind.
class ChildProcess {
 public:
  // beforeExec, when given, runs in this process with the child's id before the child runs
  // anything of its own (to attach a counter to it, say); it must not throw.
  ChildProcess(const std::vector<std::string>& argv, const std::string& folder,
               const std::function<void(pid_t)>& beforeExec = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The next line of standard output without its newline; none at the deadline or the end.
  std::optional<std::string> ReadLine(Clock::duration timeout);
  // The exit status (128 + signal when killed by one); none while still running.
  std::optional<int> Wait(Clock::duration timeout);
  // Whether standard error has shown text by the deadline.
  bool WaitForErr(const std::string& text, Clock::duration timeout);
  void Signal(int signal);
  pid_t Pid() const { return pid_; }
  void Kill();

  const std::string& Out() const { return out_.text; }
  const std::string& Err() const { return err_.text; }
  // Resources the child used (user and system CPU time), valid once it has exited.
  const rusage& Usage() const { return usage_; }

 private:
  struct Pipe {
    int fd = -1;
    std::string text;
  };
  // One round of waiting for output or the exit, at most timeout long.
  void Pump(Clock::duration timeout);
  static void Drain(Pipe& pipe);

  pid_t pid_ = -1;
  int pidFd_ = -1;
  Pipe out_;
  Pipe err_;
  std::size_t linesTaken_ = 0;  // how far ReadLine has got in out_.text
  std::optional<int> status_;
  rusage usage_{};
};

}  // namespace tools_test
