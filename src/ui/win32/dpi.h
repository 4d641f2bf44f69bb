#pragma once

#include <windows.h>

#include "ui/behaviour/window_design.h"

namespace ui {

// The windows are designed at 96 dpi; on a screen of more dots per inch every figure is scaled
// by dpi/96. Each edge of a box is scaled on its own (to the nearest pixel, halves up), so that
// boxes that touch at 96 dpi touch at any dpi; a width may then differ by one pixel from the
// width scaled alone.

// The dots per inch the window is drawn at: its monitor's, where Windows tells each window's
// (Windows 10 from 1607 on), else the screen's.
UINT WindowDpi(HWND window);
int Scaled(int value, UINT dpi);
RECT ScaledRect(const design::Box& box, UINT dpi);
// A window moved onto a screen of another scale (WM_DPICHANGED, once laid out again at the new
// dpi) takes the size and place Windows suggests in lParam.
void MoveToSuggested(HWND window, LPARAM lParam);
// The outer size of a window of that style whose client area is width x height.
SIZE OuterSize(int width, int height, DWORD style, DWORD exStyle, UINT dpi);

}  // namespace ui
