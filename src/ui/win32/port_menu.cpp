#include "ui/win32/port_menu.h"

#include <algorithm>
#include <stdexcept>

#include "sys/win32/wide_text.h"
#include "ui/win32/gdi.h"

namespace ui {

TPortMenu::TPortMenu() : menu_(CreatePopupMenu()) {
  if (!menu_) throw std::runtime_error("Cannot create the port menu");
}

TPortMenu::~TPortMenu() {
  DestroyMenu(menu_);
}

void TPortMenu::SetItems(const std::vector<std::string>& names) {
  while (GetMenuItemCount(menu_) > 0) DeleteMenu(menu_, 0, MF_BYPOSITION);
  names_ = names;
  UINT command = kFirstItemCommand;
  for (const std::string& name : names_) {
    // "&" would mark a keyboard accelerator: doubled, the caption shows the name exactly.
    std::wstring caption;
    for (const wchar_t c : sys::Wide(name)) {
      caption += c;
      if (c == L'&') caption += L'&';
    }
    AppendMenuW(menu_, MF_STRING, command++, caption.c_str());
  }
}

int TPortMenu::MenuLeft(const RECT& button, int menuWidth, const RECT& workArea) {
  if (button.left + menuWidth > workArea.right) return button.right - menuWidth;
  return button.left;
}

int TPortMenu::MenuWidth() const {
  // The menu's own width is known only once it shows: its widest caption in the menu font,
  // with the check-mark columns and the frame the system adds.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  const HFONT font = CreateFontIndirectW(&metrics.lfMenuFont);
  const HDC dc = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, font);
  int widest = 0;
  for (const std::string& name : names_)
    widest = std::max<int>(widest, TextSize(dc, sys::Wide(name)).cx);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return widest + 2 * GetSystemMetrics(SM_CXMENUCHECK) + 2 * GetSystemMetrics(SM_CXFIXEDFRAME) + 8;
}

int TPortMenu::Drop(HWND owner, const RECT& button, DWORD pressTime) {
  if (names_.empty()) return -1;
  if (GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0)
    return -1;
  // Signed: a press made before the menu closed (the click that closed it) counts as within.
  if (everOpened_ && static_cast<LONG>(pressTime - closedAt_) < static_cast<LONG>(kReopenGapMs))
    return -1;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromRect(&button, MONITOR_DEFAULTTONEAREST), &monitor);
  const int left = MenuLeft(button, MenuWidth(), monitor.rcWork);
  ++drops_;
  TPMPARAMS avoid{};
  avoid.cbSize = sizeof avoid;
  avoid.rcExclude = button;
  const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(
      menu_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD | TPM_VERTICAL, left,
      button.bottom, owner, &avoid));
  everOpened_ = true;
  closedAt_ = GetTickCount();
  if (chosen < kFirstItemCommand || chosen >= kFirstItemCommand + names_.size()) return -1;
  return static_cast<int>(chosen - kFirstItemCommand);
}

}  // namespace ui
