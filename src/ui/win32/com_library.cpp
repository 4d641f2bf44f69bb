#include "ui/win32/com_library.h"

#include <objbase.h>

namespace ui {

namespace {

bool joined = false;

}  // namespace

bool JoinComponentObjects() {
  if (joined) return true;
  using Initialize = HRESULT(WINAPI*)(LPVOID, DWORD);
  static const auto initialize = LibraryFunction<Initialize>(L"ole32.dll", "CoInitializeEx");
  joined = initialize && SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED));
  return joined;
}

void LeaveComponentObjects() {
  if (!joined) return;
  using Uninitialize = void(WINAPI*)();
  static const auto uninitialize = LibraryFunction<Uninitialize>(L"ole32.dll", "CoUninitialize");
  if (uninitialize) uninitialize();
  joined = false;
}

HRESULT CreateInstance(REFCLSID type, REFIID kind, void** object) {
  using Create = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
  static const auto create = LibraryFunction<Create>(L"ole32.dll", "CoCreateInstance");
  if (!create || !JoinComponentObjects()) return E_NOTIMPL;
  return create(type, nullptr, CLSCTX_INPROC_SERVER, kind, object);
}

void FreeTaskMemory(void* memory) {
  using Free = void(WINAPI*)(LPVOID);
  static const auto free = LibraryFunction<Free>(L"ole32.dll", "CoTaskMemFree");
  if (free) free(memory);
}

}  // namespace ui
