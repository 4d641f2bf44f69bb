#pragma once

#include <windows.h>

#include <commctrl.h>

#include "ui/behaviour/window_design.h"

namespace ui {

// The toolbar's buttons, by the command each sends its window.
enum ToolCommand : int {
  kFileCommand = design::kFileButton,
  kPortCommand = design::kPortButton,
  kStartCommand = design::kStartButton,
  kExitCommand = design::kExitButton,
};

// The common-controls toolbar: flat buttons without captions, left to right without gaps as
// the window's design places them, the Port button a whole drop-down button. Its frame lines belong
// to the parent, which paints them at the toolbar band's top and bottom rows.
class TToolBar {
 public:
  static constexpr int kButtonSize = design::kButtonSize;
  static constexpr int kFirstButtonX = design::kFirstButtonX;

  // The control is placed at (0, y) with the parent's width; its buttons start at its top.
  TToolBar(HWND parent, int y, int width);
  // Glyphs, buttons and place at dpi (y and width already scaled).
  void Layout(UINT dpi, int y, int width);
  ~TToolBar();
  TToolBar(const TToolBar&) = delete;
  TToolBar& operator=(const TToolBar&) = delete;

  HWND Handle() const { return toolbar_; }
  bool Enabled(int command) const;
  void SetEnabled(int command, bool enabled);
  // The button's place in the toolbar's own coordinates.
  RECT ItemRect(int command) const;
  // Paints the button as held down (the Port button while its menu is open) or not.
  void SetPressed(int command, bool pressed);

 private:
  HWND toolbar_ = nullptr;
  HIMAGELIST glyphs_ = nullptr;
};

}  // namespace ui
