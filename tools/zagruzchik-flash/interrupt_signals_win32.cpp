#include <csignal>

#include "interrupt_signals.h"
#include "sys/interrupt.h"
// clang-format off
#include <windows.h>
// clang-format on

namespace flash {

namespace {

std::function<void(int)>* handler = nullptr;
serial::UiDispatcher* target = nullptr;
HANDLE finished = nullptr;  // manual-reset: set once the run has closed its port

// Runs on a thread of its own that Windows starts for the event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  const int signal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
  sys::RequestInterrupt();  // a conversion under way stops at once
  target->Post([signal] { (*handler)(signal); });
  // Closing the console ends the process once this returns: the port is closed first.
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
    WaitForSingleObject(finished, 5000);
  return TRUE;
}

}  // namespace

InterruptSignals::InterruptSignals(serial::UiDispatcher& loop,
                                   std::function<void(int signal)> onSignal)
    : loop_(loop), onSignal_(std::move(onSignal)) {
  handler = &onSignal_;
  target = &loop_;
  finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void InterruptSignals::Finished() {
  if (finished != nullptr) SetEvent(finished);
}

InterruptSignals::~InterruptSignals() {
  SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  Finished();
}

}  // namespace flash
