#pragma once

#include <windows.h>

#include <string>

namespace ui {

// "MS Sans Serif" 8 points (11 pixels high at 96 dpi): every control's font, at dpi.
HFONT WindowFont(UINT dpi = 96);
// The prompt's text: the same face, 19 pixels high at 96 dpi.
HFONT PromptFont(UINT dpi = 96);

COLORREF SystemColor(int index);
void FillSolid(HDC dc, const RECT& area, COLORREF colour);

// Width and height of text in the font selected into dc.
SIZE TextSize(HDC dc, const std::wstring& text);

// Paints into a bitmap of the area's size and copies it to the target in one step when it
// goes: nothing flickers.
class OffscreenCanvas {
 public:
  OffscreenCanvas(HDC target, int width, int height);
  ~OffscreenCanvas();
  OffscreenCanvas(const OffscreenCanvas&) = delete;
  OffscreenCanvas& operator=(const OffscreenCanvas&) = delete;

  HDC Dc() const { return dc_; }

 private:
  HDC target_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ oldBitmap_;
  int width_;
  int height_;
};

}  // namespace ui
