#include "ui/win32/progress_bar.h"

#include <string>

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

void TProgressBar::Paint(HDC target) {
  ++paintCount_;
  RECT area;
  GetClientRect(Handle(), &area);
  const int w = area.right, h = area.bottom;
  const OffscreenCanvas canvas(target, w, h);
  const HDC dc = canvas.Dc();
  FillSolid(dc, area, SystemColor(COLOR_BTNFACE));
  // Sunken status edge inside the one-pixel band.
  FillSolid(dc, {1, 1, w - 1, 2}, SystemColor(COLOR_BTNSHADOW));
  FillSolid(dc, {1, 1, 2, h - 1}, SystemColor(COLOR_BTNSHADOW));
  FillSolid(dc, {1, h - 2, w - 1, h - 1}, SystemColor(COLOR_BTNHIGHLIGHT));
  FillSolid(dc, {w - 2, 1, w - 1, h - 1}, SystemColor(COLOR_BTNHIGHLIGHT));

  const int left = 2, top = 2, right = w - 2, bottom = h - 2;
  const int fillRight = left + FillWidth(Percent(), right - left);
  const RECT filled{left, top, fillRight, bottom};
  const RECT empty{fillRight, top, right, bottom};
  FillSolid(dc, filled, SystemColor(COLOR_HIGHLIGHT));
  FillSolid(dc, empty, SystemColor(COLOR_WINDOW));

  const HGDIOBJ oldFont = SelectObject(dc, WindowFont());
  const std::wstring text = std::to_wstring(Percent()) + L"%";
  const int x = right / 2 - TextSize(dc, text).cx / 2;
  // Integer division truncating towards zero, as the layout rule is stated.
  const int y = top + (bottom - top - TextSize(dc, L"X").cy) / 2;
  SetBkMode(dc, TRANSPARENT);
  // Twice, each clipped to its half, so the text stays legible where the bar's edge crosses it.
  SetTextColor(dc, SystemColor(COLOR_WINDOW));
  ExtTextOutW(dc, x, y, ETO_CLIPPED, &filled, text.c_str(), static_cast<UINT>(text.size()),
              nullptr);
  SetTextColor(dc, SystemColor(COLOR_HIGHLIGHT));
  ExtTextOutW(dc, x, y, ETO_CLIPPED, &empty, text.c_str(), static_cast<UINT>(text.size()), nullptr);
  SelectObject(dc, oldFont);
}

}  // namespace ui
