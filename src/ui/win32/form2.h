#pragma once

#include "ui/behaviour/window_design.h"
#include "ui/win32/window.h"

namespace ui {

// The power-on prompt: a small modeless window with one fixed line of text. Closing it only
// hides it; nothing else is told.
class TForm2 : public Window {
 public:
  static constexpr int kClientWidth = design::kPromptClientWidth;
  static constexpr int kClientHeight = design::kPromptClientHeight;

  // owner: the application's window; mainWindow: the one it is centred over at first.
  TForm2(HWND owner, HWND mainWindow);

  // Makes the prompt visible, brings it to the front and activates it.
  void Show();
  // Makes it invisible; nothing happens when it already is. An active prompt hands
  // activation back to the main window.
  void Hide();
  // Size and font at dpi.
  void ApplyDpi(UINT dpi);

  HWND Label1 = nullptr;

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  HWND mainWindow_;
  bool placed_ = false;
  UINT dpi_ = 96;
};

}  // namespace ui
