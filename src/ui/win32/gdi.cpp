#include "ui/win32/gdi.h"

#include <map>

#include "ui/behaviour/window_design.h"
#include "ui/win32/dpi.h"

namespace ui {

namespace {

// Cyrillic asked for by name: where "MS Sans Serif" has no Cyrillic letters the font mapper
// takes a sans-serif face that has them, of the same height, rather than drawing boxes.
HFONT SansSerif(int pixelHeight) {
  return CreateFontW(-pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     VARIABLE_PITCH | FF_SWISS, L"MS Sans Serif");
}

// Made once for each height and kept for the whole run, as the controls use them until the end
// (a window moved between screens asks for another).
HFONT FontOfHeight(int pixelHeight) {
  static std::map<int, HFONT> fonts;
  HFONT& font = fonts[pixelHeight];
  if (!font) font = SansSerif(pixelHeight);
  return font;
}

}  // namespace

HFONT WindowFont(UINT dpi) {
  return FontOfHeight(Scaled(design::kWindowTextHeightPx, dpi));
}

HFONT PromptFont(UINT dpi) {
  return FontOfHeight(Scaled(design::kPromptTextHeightPx, dpi));
}

COLORREF SystemColor(int index) {
  return GetSysColor(index);
}

void FillSolid(HDC dc, const RECT& area, COLORREF colour) {
  const COLORREF old = SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

SIZE TextSize(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

OffscreenCanvas::OffscreenCanvas(HDC target, int width, int height)
    : target_(target),
      dc_(CreateCompatibleDC(target)),
      bitmap_(CreateCompatibleBitmap(target, width, height)),
      oldBitmap_(SelectObject(dc_, bitmap_)),
      width_(width),
      height_(height) {}

OffscreenCanvas::~OffscreenCanvas() {
  BitBlt(target_, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
  SelectObject(dc_, oldBitmap_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

}  // namespace ui
