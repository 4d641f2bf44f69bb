#pragma once

#include <windows.h>

#include "sys/win32/library_function.h"

namespace ui {

// The component object system, for the shell's file dialog only: its library is loaded, and
// the user-interface thread joins it (single-threaded), when the dialog is first wanted; loaded
// at start it cost the window a good part of its start-up. Left again at exit.
bool JoinComponentObjects();
void LeaveComponentObjects();

HRESULT CreateInstance(REFCLSID type, REFIID kind, void** object);
void FreeTaskMemory(void* memory);

using sys::LibraryFunction;

}  // namespace ui
