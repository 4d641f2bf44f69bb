#pragma once

#include <windows.h>

namespace ui {

// The component object system, for the shell's file dialog only: its library is loaded, and
// the user-interface thread joins it (single-threaded), when the dialog is first wanted; loaded
// at start it cost the window a good part of its start-up. Left again at exit.
bool JoinComponentObjects();
void LeaveComponentObjects();

HRESULT CreateInstance(REFCLSID type, REFIID kind, void** object);
void FreeTaskMemory(void* memory);

// A function of a system library, loaded on first use and kept for the run; nullptr when the
// library or the function is not there.
template <typename Function>
Function LibraryFunction(const wchar_t* library, const char* name) {
  const HMODULE module = LoadLibraryW(library);
  if (!module) return nullptr;
  // Through the generic function pointer type: the cast GCC accepts without a warning.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace ui
