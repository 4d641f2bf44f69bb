// startup_timer PROGRAM [RUNS]: starts the window program RUNS times (default 10) and measures,
// each time, how long after its process was created its main window became visible; then
// closes it. Prints each time and the median, in milliseconds. Run it where the program finds
// settings that ask nothing (a port and a file that exist), or the file dialog comes first.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

double Milliseconds(const FILETIME& from, const FILETIME& to) {
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(ticks(to) - ticks(from)) / 10000.0;
}

struct Search {
  DWORD process;
  HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t name[32] = L"";
  GetClassNameW(window, name, 32);
  if (owner == search->process && std::wcscmp(name, L"TForm1") == 0 && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "Usage: startup_timer PROGRAM [RUNS]\n");
    return 2;
  }
  const int runs = argc > 2 ? _wtoi(argv[2]) : 10;
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    std::wstring command = L"\"" + std::wstring(argv[1]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    wchar_t desktop[] = L"WinSta0\\Default";  // the visible one, also from a console
    startup.lpDesktop = desktop;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
      std::fprintf(stderr, "cannot start the program (%lu)\n", GetLastError());
      return 1;
    }
    // A benchmark, not a test: it looks as often as it can, so the time is the window's.
    Search search{process.dwProcessId, nullptr};
    while (!search.found && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
      EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&search));
    FILETIME now, created, exited, kernel, user;
    GetSystemTimeAsFileTime(&now);
    GetProcessTimes(process.hProcess, &created, &exited, &kernel, &user);
    if (!search.found) {
      std::fprintf(stderr, "the program ended without showing its window\n");
      return 1;
    }
    times.push_back(Milliseconds(created, now));
    std::printf("run %d: window visible %.1f ms after the process was created\n", run + 1,
                times.back());
    PostMessageW(search.found, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  std::sort(times.begin(), times.end());
  std::printf("median %.1f ms, best %.1f ms, worst %.1f ms over %d runs\n", times[times.size() / 2],
              times.front(), times.back(), runs);
  return 0;
}
