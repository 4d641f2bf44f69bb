#include "ui/win32/progress_bar.h"

#include <string>

#include "sys/win32/wide_text.h"
#include "ui/behaviour/progress_picture.h"
#include "ui/win32/gdi.h"

namespace ui {

TProgressBar::TProgressBar(HWND parent, int x, int y, int width, int height) {
  Create(L"TProgressBar", L"", {WS_CHILD, 0, parent}, x, y, width, height);
}

void TProgressBar::SetTotalParts(std::uint32_t value) {
  if (values_.SetTotalParts(value)) Repaint();
}

void TProgressBar::SetPartsComplete(std::uint32_t value) {
  if (values_.SetPartsComplete(value)) Repaint();
}

void TProgressBar::Repaint() {
  if (!IsWindowVisible(Handle())) return;
  // Synchronously, as the percentage changes.
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

namespace {

COLORREF Colour(SystemColour colour) {
  switch (colour) {
    case SystemColour::ButtonFace:
      return SystemColor(COLOR_BTNFACE);
    case SystemColour::ButtonShadow:
      return SystemColor(COLOR_BTNSHADOW);
    case SystemColour::ButtonHighlight:
      return SystemColor(COLOR_BTNHIGHLIGHT);
    case SystemColour::Highlight:
      return SystemColor(COLOR_HIGHLIGHT);
    case SystemColour::Window:
      break;
  }
  return SystemColor(COLOR_WINDOW);
}

RECT Rect(const design::Box& box) {
  return {box.x, box.y, box.x + box.width, box.y + box.height};
}

}  // namespace

void TProgressBar::Paint(HDC target) {
  ++paintCount_;
  RECT area;
  GetClientRect(Handle(), &area);
  const OffscreenCanvas canvas(target, area.right, area.bottom);
  const HDC dc = canvas.Dc();
  const HGDIOBJ oldFont = SelectObject(dc, WindowFont(dpi_));
  const std::wstring text = sys::Wide(PercentText(Percent()));
  const ProgressPicture picture = DrawProgress(area.right, area.bottom, Percent(),
                                               TextSize(dc, text).cx, TextSize(dc, L"X").cy);
  for (const ColouredBox& each : picture.boxes) FillSolid(dc, Rect(each.box), Colour(each.colour));
  SetBkMode(dc, TRANSPARENT);
  const RECT filled = Rect(picture.filled), empty = Rect(picture.empty);
  SetTextColor(dc, SystemColor(COLOR_WINDOW));
  ExtTextOutW(dc, picture.textX, picture.textY, ETO_CLIPPED, &filled, text.c_str(),
              static_cast<UINT>(text.size()), nullptr);
  SetTextColor(dc, SystemColor(COLOR_HIGHLIGHT));
  ExtTextOutW(dc, picture.textX, picture.textY, ETO_CLIPPED, &empty, text.c_str(),
              static_cast<UINT>(text.size()), nullptr);
  SelectObject(dc, oldFont);
}

void TProgressBar::SetDpi(UINT dpi) {
  dpi_ = dpi;
  InvalidateRect(Handle(), nullptr, FALSE);
}

}  // namespace ui
