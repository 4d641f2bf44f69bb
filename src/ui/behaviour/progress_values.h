#pragma once

#include <cstdint>

namespace ui {

// Percentage of parts done, rounded to the nearest integer with ties to even (1 of 8 gives
// 12, 3 of 8 gives 38). totalParts must not be 0.
std::uint16_t PercentOf(std::uint32_t parts, std::uint32_t totalParts);

// Width of the filled part of a bar whose inner width is innerWidth: percent of it, rounded
// to the nearest integer with ties to even; the whole width from 100 on.
int FillWidth(std::uint16_t percent, int innerWidth);

// The progress bar's counting, whatever draws it. Each setter returns whether the percentage
// changed, which is when the bar must be repainted.
class ProgressValues {
 public:
  // A new total empties the bar.
  bool SetTotalParts(std::uint32_t value);
  // Clamped to TotalParts.
  bool SetPartsComplete(std::uint32_t value);

  std::uint32_t TotalParts() const { return totalParts_; }
  std::uint32_t PartsComplete() const { return partsComplete_; }
  std::uint16_t Percent() const { return percent_; }

 private:
  bool SetPercent(std::uint16_t value);

  std::uint32_t totalParts_ = 0;
  std::uint32_t partsComplete_ = 0;
  std::uint16_t percent_ = 0;
};

}  // namespace ui
