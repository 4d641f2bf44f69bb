#include "ui/win32/balloon_hints.h"

#include <commctrl.h>

#include <stdexcept>

#include "sys/win32/wide_text.h"
#include "ui/win32/dpi.h"
#include "ui/win32/gdi.h"

namespace ui {

TBalloonHints::TBalloonHints(HWND owner)
    // Always-tip: the hints show whether or not the window is active.
    : tips_(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_BALLOON | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                            GetModuleHandleW(nullptr), nullptr)) {
  if (!tips_) throw std::runtime_error("Cannot create the hints");
  SendMessageW(tips_, WM_SETFONT, reinterpret_cast<WPARAM>(WindowFont()), FALSE);
  SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, kTextWidth);
  SendMessageW(tips_, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(kInitialDelayMs, 0));
  SendMessageW(tips_, TTM_SETDELAYTIME, TTDT_RESHOW, MAKELPARAM(kReshowDelayMs, 0));
}

TBalloonHints::~TBalloonHints() {
  DestroyWindow(tips_);
}

void TBalloonHints::Attach(HWND control, UINT_PTR id, const RECT& area, const std::string& hint) {
  std::wstring text = sys::Wide(hint);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = control;
  tool.uId = id;
  tool.rect = area;
  tool.lpszText = text.data();  // copied by the control
  SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TBalloonHints::Move(HWND control, UINT_PTR id, const RECT& area) {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = control;
  tool.uId = id;
  tool.rect = area;
  SendMessageW(tips_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TBalloonHints::SetDpi(UINT dpi) {
  SendMessageW(tips_, WM_SETFONT, reinterpret_cast<WPARAM>(WindowFont(dpi)), FALSE);
  SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, Scaled(kTextWidth, dpi));
}

}  // namespace ui
