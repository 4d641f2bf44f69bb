#pragma once

#include <windows.h>

#include <commctrl.h>

namespace ui {

// The toolbar's buttons, by the command each sends its window.
enum ToolCommand : int {
  kFileCommand = 1,
  kPortCommand = 2,
  kStartCommand = 3,
  kExitCommand = 4,
};

// The common-controls toolbar: flat buttons without captions, left to right from x 4 without
// gaps, the Port button a whole drop-down button 39 wide. Its frame lines belong to the
// parent, which paints them at the toolbar band's top and bottom rows.
class TToolBar {
 public:
  static constexpr int kButtonSize = 25;
  static constexpr int kPortButtonWidth = 39;
  static constexpr int kFirstButtonX = 4;

  // The control is placed at (0, y) with the parent's width; its buttons start at its top.
  TToolBar(HWND parent, int y, int width);
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
