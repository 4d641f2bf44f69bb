#pragma once

#include <string>

#include "ui/win32/window.h"

namespace ui {

// The status bar's port pane: the current port's name in a flat frame, cut off at the right
// when it is too wide.
class TPortStatusPane : public PaintedWindow {
 public:
  TPortStatusPane(HWND parent, int x, int y, int width, int height);

  // An unchanged text repaints nothing.
  void SetCaption(const std::string& text);
  const std::string& Caption() const { return caption_; }
  void SetDpi(UINT dpi);

 protected:
  void Paint(HDC dc) override;

 private:
  std::string caption_;
  UINT dpi_ = 96;
};

}  // namespace ui
