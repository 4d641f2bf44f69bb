#include "ui/win32/application_window.h"

#include "sys/win32/wide_text.h"
#include "ui/behaviour/message_texts.h"

namespace ui {

namespace {

constexpr int kIconResource = 1;

}  // namespace

TApplicationWindow::TApplicationWindow() {
  const HINSTANCE self = GetModuleHandleW(nullptr);
  Style style;
  style.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  style.exStyle = WS_EX_APPWINDOW;
  style.icon = LoadIconW(self, MAKEINTRESOURCEW(kIconResource));
  Create(L"TApplication", sys::Wide(kApplicationTitle), style, GetSystemMetrics(SM_CXSCREEN) / 2,
         GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0);
  // Visible, with no size: only its task-bar entry shows.
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

LRESULT TApplicationWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && main_ && IsWindowVisible(main_) &&
          IsWindowEnabled(main_)) {
        SetActiveWindow(main_);
        return 0;
      }
      break;
    case WM_CLOSE:
      closeRequested_ = true;
      // A modal loop (a message, the file dialog) ends on the quit message and passes it on.
      if (main_)
        PostMessageW(main_, WM_CLOSE, 0, 0);
      else
        PostQuitMessage(0);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) {
        closeRequested_ = true;
        if (sessionEnd_) sessionEnd_();
        PostQuitMessage(0);
      }
      return 0;
    default:
      break;
  }
  return Window::OnMessage(message, wParam, lParam);
}

}  // namespace ui
