#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace tools_test {

namespace {

void Check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string(what) + " failed: " + std::to_string(errno));
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& folder,
                           const std::function<void(pid_t)>& beforeExec) {
  int out[2];
  int err[2];
  int go[2];
  Check(pipe2(out, O_CLOEXEC) == 0 && pipe2(err, O_CLOEXEC) == 0 && pipe2(go, O_CLOEXEC) == 0,
        "pipe2");
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_ = fork();
  Check(pid_ >= 0, "fork");
  if (pid_ == 0) {
    // Only async-signal-safe calls between fork and exec.
    const int null = open("/dev/null", O_RDONLY);
    if (null < 0 || dup2(null, 0) < 0 || dup2(out[1], 1) < 0 || dup2(err[1], 2) < 0 ||
        chdir(folder.c_str()) != 0)
      _exit(126);
    char ready;
    if (read(go[0], &ready, 1) != 1) _exit(126);
    execvp(args[0], args.data());
    _exit(127);
  }
  if (beforeExec) beforeExec(pid_);
  const char ready = 1;
  Check(write(go[1], &ready, 1) == 1, "write");
  close(go[0]);
  close(go[1]);
  close(out[1]);
  close(err[1]);
  out_.fd = out[0];
  err_.fd = err[0];
  fcntl(out_.fd, F_SETFL, O_NONBLOCK);
  fcntl(err_.fd, F_SETFL, O_NONBLOCK);
  pidFd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
  Check(pidFd_ >= 0, "pidfd_open");
}

ChildProcess::~ChildProcess() {
  Kill();
  for (int fd : {out_.fd, err_.fd, pidFd_})
    if (fd >= 0) close(fd);
}

void ChildProcess::Kill() {
  if (status_) return;
  kill(pid_, SIGKILL);
  // SIGKILL cannot be caught; the bound only guards against a stuck kernel.
  Wait(std::chrono::seconds(10));
}

bool ChildProcess::WaitForErr(const std::string& text, Clock::duration timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  while (err_.text.find(text) == std::string::npos) {
    if (status_ || Clock::now() >= deadline) return false;
    Pump(deadline - Clock::now());
  }
  return true;
}

void ChildProcess::Signal(int signal) {
  if (!status_) kill(pid_, signal);
}

std::optional<std::string> ChildProcess::ReadLine(Clock::duration timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    const std::size_t end = out_.text.find('\n', linesTaken_);
    if (end != std::string::npos) {
      std::string line = out_.text.substr(linesTaken_, end - linesTaken_);
      linesTaken_ = end + 1;
      return line;
    }
    if (out_.fd < 0 || Clock::now() >= deadline) return std::nullopt;
    Pump(deadline - Clock::now());
  }
}

std::optional<int> ChildProcess::Wait(Clock::duration timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  while (!status_ && Clock::now() < deadline) Pump(deadline - Clock::now());
  if (status_) {
    // Whatever the child wrote before it ended is still in the pipes.
    Drain(out_);
    Drain(err_);
  }
  return status_;
}

void ChildProcess::Pump(Clock::duration timeout) {
  pollfd entries[3] = {{out_.fd, POLLIN, 0}, {err_.fd, POLLIN, 0}, {pidFd_, POLLIN, 0}};
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(timeout).count();
  if (poll(entries, 3, static_cast<int>(std::max<long long>(ms, 0))) < 0 && errno != EINTR)
    throw std::runtime_error("poll failed");
  if (entries[0].revents) Drain(out_);
  if (entries[1].revents) Drain(err_);
  if (entries[2].revents && !status_) {
    int status = 0;
    if (wait4(pid_, &status, WNOHANG, &usage_) == pid_)
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
}

void ChildProcess::Drain(Pipe& pipe) {
  char buffer[4096];
  while (pipe.fd >= 0) {
    const ssize_t n = read(pipe.fd, buffer, sizeof buffer);
    if (n > 0) {
      pipe.text.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0) {
      close(pipe.fd);
      pipe.fd = -1;
    } else if (errno != EINTR) {
      return;  // EAGAIN: nothing more for now
    }
  }
}

}  // namespace tools_test
