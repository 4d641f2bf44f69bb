#include "ui/win32/port_status_pane.h"

#include "sys/win32/wide_text.h"
#include "ui/win32/dpi.h"
#include "ui/win32/gdi.h"

namespace ui {

TPortStatusPane::TPortStatusPane(HWND parent, int x, int y, int width, int height) {
  Create(L"TPortStatusPane", L"", {WS_CHILD | WS_VISIBLE, 0, parent}, x, y, width, height);
}

void TPortStatusPane::SetCaption(const std::string& text) {
  if (text == caption_) return;
  caption_ = text;
  InvalidateRect(Handle(), nullptr, FALSE);
}

void TPortStatusPane::Paint(HDC target) {
  RECT area;
  GetClientRect(Handle(), &area);
  const OffscreenCanvas canvas(target, area.right, area.bottom);
  const HDC dc = canvas.Dc();
  FillSolid(dc, area, SystemColor(COLOR_WINDOW));
  // A flat frame along the four edges, its corner pixels left out.
  const COLORREF frame = SystemColor(COLOR_BTNSHADOW);
  FillSolid(dc, {1, 0, area.right - 1, 1}, frame);
  FillSolid(dc, {1, area.bottom - 1, area.right - 1, area.bottom}, frame);
  FillSolid(dc, {0, 1, 1, area.bottom - 1}, frame);
  FillSolid(dc, {area.right - 1, 1, area.right, area.bottom - 1}, frame);

  const HGDIOBJ oldFont = SelectObject(dc, WindowFont(dpi_));
  const std::wstring text = sys::Wide(caption_);
  const int textHeight = TextSize(dc, L"Pp").cy;
  RECT inside{1, 1, area.right - 1, area.bottom - 1};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, SystemColor(COLOR_WINDOWTEXT));
  ExtTextOutW(dc, Scaled(4, dpi_), (area.bottom - textHeight) / 2, ETO_CLIPPED, &inside,
              text.c_str(), static_cast<UINT>(text.size()), nullptr);
  SelectObject(dc, oldFont);
}

void TPortStatusPane::SetDpi(UINT dpi) {
  dpi_ = dpi;
  InvalidateRect(Handle(), nullptr, FALSE);
}

}  // namespace ui
