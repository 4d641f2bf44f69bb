#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <system_error>

#include "interrupt_signals.h"
#include "sys/interrupt.h"

namespace flash {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr unsigned char kStopWatching = 0;
int pipeFds[2] = {-1, -1};

// Only async-signal-safe calls here: the number goes down the pipe to the watcher.
extern "C" void OnSignal(int signal) {
  const int saved = errno;
  sys::RequestInterrupt();  // a conversion under way stops at once
  const unsigned char number = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &number, 1);
  errno = saved;
}

}  // namespace

InterruptSignals::InterruptSignals(serial::UiDispatcher& loop,
                                   std::function<void(int signal)> onSignal)
    : loop_(loop), onSignal_(std::move(onSignal)) {
  if (::pipe2(pipeFds, O_CLOEXEC) != 0)
    throw std::system_error(errno, std::generic_category(), "pipe2");
  watcher_ = std::thread([this] {
    for (;;) {
      unsigned char number = 0;
      const ssize_t n = ::read(pipeFds[0], &number, 1);
      if (n < 0 && errno == EINTR) continue;
      if (n != 1 || number == kStopWatching) return;
      loop_.Post([this, number] { onSignal_(number); });
    }
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

// The process ends only when main returns.
void InterruptSignals::Finished() {}

InterruptSignals::~InterruptSignals() {
  for (const int signal : kSignals) std::signal(signal, SIG_DFL);
  [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &kStopWatching, 1);
  watcher_.join();
  ::close(pipeFds[0]);
  ::close(pipeFds[1]);
  pipeFds[0] = pipeFds[1] = -1;
}

}  // namespace flash
