#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ui {

// The Port button's drop-down menu: one item per port, captioned exactly with its name.
class TPortMenu {
 public:
  // The menu's items send these commands, the first item the first.
  static constexpr UINT kFirstItemCommand = 1000;
  // A press this soon after the menu closed is the click that closed it.
  static constexpr DWORD kReopenGapMs = 100;

  TPortMenu();
  ~TPortMenu();
  TPortMenu(const TPortMenu&) = delete;
  TPortMenu& operator=(const TPortMenu&) = delete;

  void SetItems(const std::vector<std::string>& names);
  const std::vector<std::string>& Items() const { return names_; }
  HMENU Handle() const { return menu_; }
  // How many times the menu has opened.
  int Drops() const { return drops_; }

  // A left press on the Port button, made at pressTime (message time): opens the menu below
  // button (screen coordinates) and returns the index of the item chosen, or -1. Nothing opens
  // for an empty menu, with Shift, Ctrl or Alt held, or within the reopen gap.
  int Drop(HWND owner, const RECT& button, DWORD pressTime);

  // Where the menu opens for a button and a menu width on a monitor's work area: below the
  // button at its left edge, or right-aligned with its right edge when it would reach past the
  // work area's right edge. Returns the x of the menu's left edge.
  static int MenuLeft(const RECT& button, int menuWidth, const RECT& workArea);

 private:
  int MenuWidth() const;

  HMENU menu_;
  std::vector<std::string> names_;
  DWORD closedAt_ = 0;
  bool everOpened_ = false;
  int drops_ = 0;
};

}  // namespace ui
