#pragma once

#include <windows.h>

namespace sys {

// A function of a system library, loaded on first use: what only some runs need (the shell's
// file dialog, the device manager) then costs the window nothing at its start. Null when the
// library or the function is not there.
template <typename Function>
Function LibraryFunction(const wchar_t* library, const char* name) {
  const HMODULE module = LoadLibraryW(library);
  if (!module) return nullptr;
  // Through the generic function pointer type: the cast GCC accepts without a warning.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace sys
