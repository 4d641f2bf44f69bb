#include "ui/win32/window.h"

#include <set>
#include <stdexcept>
#include <string>

#include "sys/win32/wide_text.h"
#include "ui/win32/messages.h"

namespace ui {

namespace {

void RegisterOnce(const wchar_t* className, const HICON icon, const HCURSOR cursor,
                  WNDPROC procedure) {
  static std::set<std::wstring> registered;
  if (registered.count(className)) return;
  WNDCLASSEXW type{};
  type.cbSize = sizeof type;
  type.style = CS_DBLCLKS;
  type.lpfnWndProc = procedure;
  type.hInstance = GetModuleHandleW(nullptr);
  type.hIcon = icon;
  type.hCursor = cursor ? cursor : LoadCursor(nullptr, IDC_ARROW);
  type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  type.lpszClassName = className;
  if (!RegisterClassExW(&type)) throw std::runtime_error("Cannot register a window class");
  registered.insert(className);
}

}  // namespace

void ReportCurrentException() {
  ReportException(std::current_exception());
}

Window::~Window() {
  Destroy();
}

void Window::Destroy() {
  if (!window_ || !IsWindow(window_)) return;
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
  window_ = nullptr;
}

void Window::Create(const wchar_t* className, const std::wstring& caption, const Style& style,
                    int x, int y, int w, int h) {
  RegisterOnce(className, style.icon, style.cursor, &Procedure);
  // Procedure keeps the handle from WM_NCCREATE on, so that the first messages reach us too.
  if (!CreateWindowExW(style.exStyle, className, caption.c_str(), style.style, x, y, w, h,
                       style.parent, nullptr, GetModuleHandleW(nullptr), this))
    throw std::runtime_error("Cannot create window " + sys::Narrow(className) + " (Error " +
                             std::to_string(GetLastError()) + ")");
}

LRESULT Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return Default(message, wParam, lParam);
}

LRESULT Window::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT PaintedWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(Handle(), &paint);
      Paint(dc);
      EndPaint(Handle(), &paint);
      return 0;
    }
    default:
      return Window::OnMessage(message, wParam, lParam);
  }
}

LRESULT CALLBACK Window::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  LRESULT result = 0;
  bool handled = false;
  Guarded([&] {
    result = self->OnMessage(message, wParam, lParam);
    handled = true;
  });
  return handled ? result : 0;
}

}  // namespace ui
