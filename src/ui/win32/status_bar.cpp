#include "ui/win32/status_bar.h"

#include "ui/win32/gdi.h"

namespace ui {

TStatusBar::TStatusBar(HWND parent, int x, int y, int width, int height) {
  Create(L"TStatusBar", L"", {WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, parent}, x, y, width,
         height);
}

void TStatusBar::Paint(HDC dc) {
  RECT area;
  GetClientRect(Handle(), &area);
  FillSolid(dc, area, SystemColor(COLOR_WINDOW));
  const COLORREF frame = SystemColor(COLOR_BTNSHADOW);
  const LONG right = area.right - 1, bottom = area.bottom - 1;
  FillSolid(dc, {1, 1, right, 2}, frame);
  FillSolid(dc, {1, bottom - 1, right, bottom}, frame);
  FillSolid(dc, {1, 1, 2, bottom}, frame);
  FillSolid(dc, {right - 1, 1, right, bottom}, frame);
}

}  // namespace ui
