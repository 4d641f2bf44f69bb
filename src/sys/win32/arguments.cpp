// The wide command line, apart from the rest of the process's set-up: only the console programs
// need it, and the shell's library it comes from would slow the window's start.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "sys/process.h"
#include "sys/win32/wide_text.h"

namespace sys {

std::vector<std::string> Utf8Arguments(int argc, char* const* argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) args.push_back(Narrow(wide[i]));
  LocalFree(wide);
  return args;
}

}  // namespace sys
