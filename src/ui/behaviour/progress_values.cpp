#include "ui/behaviour/progress_values.h"

#include <cmath>

namespace ui {

namespace {

long long RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double rest = value - floor;
  auto result = static_cast<long long>(floor);
  if (rest > 0.5 || (rest == 0.5 && result % 2 != 0)) ++result;
  return result;
}

}  // namespace

std::uint16_t PercentOf(std::uint32_t parts, std::uint32_t totalParts) {
  const double ratio = static_cast<double>(parts) / static_cast<double>(totalParts);
  return static_cast<std::uint16_t>(RoundHalfEven(ratio * 100.0));
}

int FillWidth(std::uint16_t percent, int innerWidth) {
  if (percent >= 100) return innerWidth;
  const long long scaled = static_cast<long long>(percent) * innerWidth;
  long long width = scaled / 100;
  const long long rest = scaled % 100;
  if (rest > 50 || (rest == 50 && width % 2 != 0)) ++width;
  return static_cast<int>(width);
}

bool ProgressValues::SetTotalParts(std::uint32_t value) {
  if (value == totalParts_) return false;
  totalParts_ = value;
  partsComplete_ = 0;
  return SetPercent(0);
}

bool ProgressValues::SetPartsComplete(std::uint32_t value) {
  if (value == partsComplete_) return false;
  if (value > totalParts_) value = totalParts_;
  partsComplete_ = value;
  return totalParts_ != 0 && SetPercent(PercentOf(value, totalParts_));
}

bool ProgressValues::SetPercent(std::uint16_t value) {
  if (value == percent_) return false;
  percent_ = value;
  return true;
}

}  // namespace ui
