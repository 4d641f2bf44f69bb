// The floor for bench-window-startup: a program that only registers a window class named as
// the loader's main window's, shows one window of it and runs its messages.
#include <windows.h>

namespace {

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE self, HINSTANCE, PWSTR, int) {
  WNDCLASSEXW type{};
  type.cbSize = sizeof type;
  type.lpfnWndProc = &Procedure;
  type.hInstance = self;
  type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  type.lpszClassName = L"TForm1";
  RegisterClassExW(&type);
  const HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME, L"TForm1", L"", WS_CAPTION | WS_SYSMENU,
                                      300, 300, 367, 172, nullptr, nullptr, self, nullptr);
  ShowWindow(window, SW_SHOW);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
