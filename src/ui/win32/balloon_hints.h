#pragma once

#include <windows.h>

#include <string>

#include "ui/behaviour/window_design.h"

namespace ui {

// The tool buttons' hints as the system's balloon tips: shown after the mouse has rested
// 500 ms on a button, then 50 ms when it moves on to another; wrapped at 100 pixels.
class TBalloonHints {
 public:
  static constexpr int kInitialDelayMs = design::kHintInitialDelayMs;
  static constexpr int kReshowDelayMs = design::kHintReshowDelayMs;
  static constexpr int kTextWidth = design::kHintTextWidth;

  explicit TBalloonHints(HWND owner);
  ~TBalloonHints();
  TBalloonHints(const TBalloonHints&) = delete;
  TBalloonHints& operator=(const TBalloonHints&) = delete;

  // A hint for the area of control (its client coordinates) known as id.
  void Attach(HWND control, UINT_PTR id, const RECT& area, const std::string& hint);
  // The tool's area after the control's layout changed.
  void Move(HWND control, UINT_PTR id, const RECT& area);
  // Font and wrapping width at dpi.
  void SetDpi(UINT dpi);
  HWND Handle() const { return tips_; }

 private:
  HWND tips_;
};

}  // namespace ui
