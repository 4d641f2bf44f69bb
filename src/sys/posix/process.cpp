#include "sys/process.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace sys {

unsigned long ProcessId() {
  return static_cast<unsigned long>(::getpid());
}

bool ProcessRunning(unsigned long id) {
  if (id == 0 || id > 0x7FFFFFFF) return false;
  return ::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}

std::vector<std::string> Utf8Arguments(int argc, char* const* argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void UseUtf8Console() {}

bool StandardErrorIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

void SetUpProcess() {
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // open(2) takes the lowest free number: this one.
    const int opened = ::open("/dev/null", O_RDWR);
    if (opened > 2) ::close(opened);
  }
}

}  // namespace sys
