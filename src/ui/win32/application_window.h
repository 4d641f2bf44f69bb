#pragma once

#include <functional>

#include "ui/win32/window.h"

namespace ui {

// The application's own window: invisible (no size), it carries the program's one task-bar
// entry with the application title and icon, and owns the main window and the prompt, which
// therefore get no entries of their own and neither is kept above the other. Activating it
// (from the task bar) activates the main window.
class TApplicationWindow : public Window {
 public:
  TApplicationWindow();

  // The window that activation is handed on to; closing this window closes it too.
  void SetMainWindow(HWND main) { main_ = main; }
  // Asked to end, as Windows asks a program (taskkill, the session ending): the main window is
  // closed, or, while it is still being made (the first start's file dialog), the dialogs end
  // and start-up must not show it.
  bool CloseRequested() const { return closeRequested_; }
  // Runs when the session ends: Windows may end the process as soon as that is answered, so
  // what must not be left half-done is finished here.
  void SetSessionEnd(std::function<void()> call) { sessionEnd_ = std::move(call); }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  HWND main_ = nullptr;
  bool closeRequested_ = false;
  std::function<void()> sessionEnd_;
};

}  // namespace ui
