#include "serial/win32/window_dispatcher.h"

#include <stdexcept>

namespace serial {

namespace {

constexpr UINT kRunCall = WM_APP + 1;
constexpr wchar_t kClassName[] = L"ZagruzchikPortCalls";

void RegisterClassOnce() {
  static const bool registered = [] {
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.lpfnWndProc = DefWindowProcW;  // replaced per window below
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = kClassName;
    return RegisterClassExW(&type) != 0;
  }();
  if (!registered) throw std::runtime_error("Cannot register the port's message window");
}

}  // namespace

WindowDispatcher::WindowDispatcher(ErrorReport report) : report_(std::move(report)) {
  RegisterClassOnce();
  window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  if (!window_) throw std::runtime_error("Cannot create the port's message window");
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
}

// Calls still queued are dropped; the port that posted them is closed by then.
WindowDispatcher::~WindowDispatcher() {
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

void WindowDispatcher::Post(std::function<void()> call) {
  const std::lock_guard lock(mutex_);
  calls_.push_back(std::move(call));
  if (messagePosted_) return;
  messagePosted_ = PostMessageW(window_, kRunCall, 0, 0) != 0;
}

void WindowDispatcher::RunNext() {
  std::function<void()> call;
  {
    const std::lock_guard lock(mutex_);
    if (calls_.empty()) {
      messagePosted_ = false;
      return;
    }
    call = std::move(calls_.front());
    calls_.pop_front();
    messagePosted_ = !calls_.empty() && PostMessageW(window_, kRunCall, 0, 0) != 0;
  }
  try {
    call();
  } catch (...) {
    if (report_) report_(std::current_exception());
  }
}

LRESULT CALLBACK WindowDispatcher::WindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  auto* self = reinterpret_cast<WindowDispatcher*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == kRunCall && self) {
    self->RunNext();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace serial
