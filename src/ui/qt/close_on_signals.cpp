#include "ui/qt/close_on_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <system_error>

#include <QApplication>
#include <QDialog>

#include "sys/interrupt.h"

namespace ui {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
int pipeFds[2] = {-1, -1};

// Only async-signal-safe calls: the flag for a conversion, a byte for the event loop.
extern "C" void OnSignal(int) {
  const int saved = errno;
  sys::RequestInterrupt();
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &byte, 1);
  errno = saved;
}

}  // namespace

CloseOnSignals::CloseOnSignals() {
  if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
    throw std::system_error(errno, std::generic_category(), "pipe2");
  notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    char bytes[16];
    while (::read(pipeFds[0], bytes, sizeof bytes) > 0) {
    }
    requested_ = true;
    Sweep();
  });
  // Modal windows run event loops of their own, which this timer runs in as well.
  sweeper_.setInterval(10);
  connect(&sweeper_, &QTimer::timeout, this, [this] { Sweep(); });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

CloseOnSignals::CloseOnSignals(QWidget& mainWindow) : CloseOnSignals() {
  Watch(mainWindow);
}

void CloseOnSignals::Watch(QWidget& mainWindow) {
  mainWindow_ = &mainWindow;
  if (requested_) Sweep();
}

// Dismisses the modal windows, one per turn, and closes the main window once its own code
// below them has returned; runs until the main window is closed.
void CloseOnSignals::Sweep() {
  if (QWidget* modal = QApplication::activeModalWidget()) {
    if (auto* dialog = qobject_cast<QDialog*>(modal))
      dialog->reject();
    else
      modal->close();
  } else if (mainWindow_ && mainWindow_->isVisible()) {
    mainWindow_->close();
  }
  const bool more = QApplication::activeModalWidget() ||
                    (mainWindow_ && mainWindow_->isVisible()) || !mainWindow_;
  if (more && !sweeper_.isActive()) sweeper_.start();
  if (!more) sweeper_.stop();
}

CloseOnSignals::~CloseOnSignals() {
  for (const int signal : kSignals) std::signal(signal, SIG_DFL);
  delete notifier_;
  ::close(pipeFds[0]);
  ::close(pipeFds[1]);
  pipeFds[0] = pipeFds[1] = -1;
}

}  // namespace ui
