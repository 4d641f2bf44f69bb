#pragma once

#include <cstdint>

#include "ui/behaviour/progress_values.h"
#include "ui/win32/window.h"

namespace ui {

// The download's progress bar: counts parts of a job and shows the percentage done as a
// filled bar with the number on it, repainted at once and only when the percentage changes.
class TProgressBar : public PaintedWindow {
 public:
  TProgressBar(HWND parent, int x, int y, int width, int height);

  void SetTotalParts(std::uint32_t value);
  void SetPartsComplete(std::uint32_t value);
  std::uint32_t TotalParts() const { return values_.TotalParts(); }
  std::uint32_t PartsComplete() const { return values_.PartsComplete(); }
  std::uint16_t Percent() const { return values_.Percent(); }

  // How many times the bar has been painted.
  int PaintCount() const { return paintCount_; }
  void SetDpi(UINT dpi);

 protected:
  void Paint(HDC dc) override;

 private:
  void Repaint();

  ProgressValues values_;
  int paintCount_ = 0;
  UINT dpi_ = 96;
};

}  // namespace ui
