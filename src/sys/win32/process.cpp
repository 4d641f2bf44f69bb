#include "sys/process.h"

#include <windows.h>

namespace sys {

unsigned long ProcessId() {
  return GetCurrentProcessId();
}

bool ProcessRunning(unsigned long id) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

// A GUI program has no standard handles to lose, a console one gets them from its console, and
// there are no such signals.
void SetUpProcess() {}

}  // namespace sys
