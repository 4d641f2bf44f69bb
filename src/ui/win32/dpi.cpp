#include "ui/win32/dpi.h"

#include "sys/win32/library_function.h"

namespace ui {

UINT WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpi =
      sys::LibraryFunction<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
  if (getDpi && window) {
    if (const UINT dpi = getDpi(window)) return dpi;
  }
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

int Scaled(int value, UINT dpi) {
  return MulDiv(value, static_cast<int>(dpi), 96);
}

RECT ScaledRect(const design::Box& box, UINT dpi) {
  return {Scaled(box.x, dpi), Scaled(box.y, dpi), Scaled(box.x + box.width, dpi),
          Scaled(box.y + box.height, dpi)};
}

void MoveToSuggested(HWND window, LPARAM lParam) {
  const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
  SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
               suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE OuterSize(int width, int height, DWORD style, DWORD exStyle, UINT dpi) {
  using AdjustFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi =
      sys::LibraryFunction<AdjustFunction>(L"user32.dll", "AdjustWindowRectExForDpi");
  RECT outer{0, 0, width, height};
  if (!adjustForDpi || !adjustForDpi(&outer, style, FALSE, exStyle, dpi))
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  return {outer.right - outer.left, outer.bottom - outer.top};
}

}  // namespace ui
