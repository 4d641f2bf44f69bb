#include "sys/process.h"

#include <windows.h>
// After windows.h, which it needs.
#include <io.h>

#include <cstdio>
#include <cstdlib>

#include "sys/win32/wide_text.h"

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

namespace {

UINT savedOutputCodePage = 0;

void RestoreConsole() {
  SetConsoleOutputCP(savedOutputCodePage);
}

}  // namespace

void UseUtf8Console() {
  const UINT current = GetConsoleOutputCP();
  if (current == 0 || current == CP_UTF8) return;  // no console, or UTF-8 already
  savedOutputCodePage = current;
  SetConsoleOutputCP(CP_UTF8);
  std::atexit(RestoreConsole);
}

bool StandardErrorIsTerminal() {
  return _isatty(_fileno(stderr)) != 0;
}

// A GUI program has no standard handles to lose, a console one gets them from its console, and
// there are no such signals.
void SetUpProcess() {}

}  // namespace sys
