#pragma once

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

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  HWND main_ = nullptr;
};

}  // namespace ui
