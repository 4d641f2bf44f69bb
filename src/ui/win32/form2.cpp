#include "ui/win32/form2.h"

#include "sys/win32/wide_text.h"
#include "ui/behaviour/placement.h"
#include "ui/win32/dpi.h"
#include "ui/win32/gdi.h"

namespace ui {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// The modal frame also keeps the icon out of the title bar.
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

}  // namespace

TForm2::TForm2(HWND owner, HWND mainWindow) : mainWindow_(mainWindow) {
  RECT outer{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);
  Create(L"TForm2", L"", {kStyle, kExStyle, owner}, 0, 0, outer.right - outer.left,
         outer.bottom - outer.top);
  // The system menu keeps only Move and Close.
  const HMENU system = GetSystemMenu(Handle(), FALSE);
  for (const UINT command : {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE})
    DeleteMenu(system, command, MF_BYCOMMAND);
  Label1 = CreateWindowExW(0, L"STATIC", sys::Wide(design::kPromptText).c_str(),
                           WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, 0, 0,
                           kClientWidth, kClientHeight, Handle(), nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  SendMessageW(Label1, WM_SETFONT, reinterpret_cast<WPARAM>(PromptFont()), FALSE);
  ApplyDpi(WindowDpi(mainWindow_ ? mainWindow_ : Handle()));
}

void TForm2::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  const int width = Scaled(kClientWidth, dpi), height = Scaled(kClientHeight, dpi);
  const SIZE outer = OuterSize(width, height, kStyle, kExStyle, dpi);
  SetWindowPos(Handle(), nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  MoveWindow(Label1, 0, 0, width, height, TRUE);
  SendMessageW(Label1, WM_SETFONT, reinterpret_cast<WPARAM>(PromptFont(dpi)), TRUE);
}

void TForm2::Show() {
  // Over the main window, at its screen's scale.
  if (mainWindow_ && WindowDpi(mainWindow_) != dpi_) {
    ApplyDpi(WindowDpi(mainWindow_));
    placed_ = false;
  }
  if (!placed_) {
    placed_ = true;
    RECT main{}, own{};
    GetWindowRect(mainWindow_, &main);
    GetWindowRect(Handle(), &own);
    const ScreenPoint at =
        PromptPlace(main.left, main.top, main.right - main.left, main.bottom - main.top,
                    own.right - own.left, own.bottom - own.top);
    SetWindowPos(Handle(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(Handle(), SW_SHOW);
  SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetActiveWindow(Handle());
}

void TForm2::Hide() {
  if (!IsWindowVisible(Handle())) return;
  const bool wasActive = GetActiveWindow() == Handle();
  ShowWindow(Handle(), SW_HIDE);
  if (wasActive && mainWindow_) SetActiveWindow(mainWindow_);
}

LRESULT TForm2::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      Hide();
      return 0;
    case WM_DPICHANGED:
      ApplyDpi(LOWORD(wParam));
      MoveToSuggested(Handle(), lParam);
      return 0;
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wParam), SystemColor(COLOR_WINDOW));
      SetTextColor(reinterpret_cast<HDC>(wParam), SystemColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    default:
      return Window::OnMessage(message, wParam, lParam);
  }
}

}  // namespace ui
