#pragma once

#include <windows.h>

#include <deque>
#include <exception>
#include <functional>
#include <mutex>

#include "serial/ui_dispatcher.h"

namespace serial {

// Hands the port's calls to the Win32 message loop of the thread that creates it, through a
// message-only window: posted window messages are dispatched by every loop, a message box's
// and a file dialog's included, where thread messages would be dropped.
class WindowDispatcher : public UiDispatcher {
 public:
  using ErrorReport = std::function<void(const std::exception_ptr& failure)>;

  // report gets whatever a call throws: nothing may leave a window procedure.
  explicit WindowDispatcher(ErrorReport report);
  ~WindowDispatcher() override;
  WindowDispatcher(const WindowDispatcher&) = delete;
  WindowDispatcher& operator=(const WindowDispatcher&) = delete;

  void Post(std::function<void()> call) override;

  HWND Window() const { return window_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void RunNext();

  ErrorReport report_;
  HWND window_ = nullptr;
  std::mutex mutex_;
  std::deque<std::function<void()>> calls_;
  // One message stands for the whole queue: a call per message keeps the order, and a call
  // that opens a modal loop lets the next ones run inside it.
  bool messagePosted_ = false;
};

}  // namespace serial
