#include "interrupt_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <system_error>

namespace flash {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
int pipeFds[2] = {-1, -1};

// Only async-signal-safe calls here: the number goes down the pipe to the event loop.
extern "C" void OnSignal(int signal) {
  const int saved = errno;
  const unsigned char number = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &number, 1);
  errno = saved;
}

}  // namespace

InterruptSignals::InterruptSignals(std::function<void(int signal)> onSignal)
    : onSignal_(std::move(onSignal)) {
  if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
    throw std::system_error(errno, std::generic_category(), "pipe2");
  notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read);
  QObject::connect(notifier_, &QSocketNotifier::activated, [this] {
    unsigned char number = 0;
    while (::read(pipeFds[0], &number, 1) == 1) onSignal_(number);
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

InterruptSignals::~InterruptSignals() {
  for (const int signal : kSignals) std::signal(signal, SIG_DFL);
  delete notifier_;
  ::close(pipeFds[0]);
  ::close(pipeFds[1]);
  pipeFds[0] = pipeFds[1] = -1;
}

}  // namespace flash
