#pragma once

#include "ui/win32/window.h"

namespace ui {

// The status bar: window colour with a flat one-pixel frame inside a one-pixel band, so that
// its children (the port pane and the progress bar) start at x 2, y 2. No size grip.
class TStatusBar : public PaintedWindow {
 public:
  TStatusBar(HWND parent, int x, int y, int width, int height);

 protected:
  void Paint(HDC dc) override;
};

}  // namespace ui
