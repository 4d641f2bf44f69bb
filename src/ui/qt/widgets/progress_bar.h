#pragma once

#include <QWidget>
#include <cstdint>

namespace ui {

// Percentage of parts done, rounded to the nearest integer with ties to even (1 of 8 gives
// 12, 3 of 8 gives 38). totalParts must not be 0.
std::uint16_t PercentOf(std::uint32_t parts, std::uint32_t totalParts);

// Width of the filled part of a bar whose inner width is innerWidth: percent of it, rounded
// to the nearest integer with ties to even; the whole width from 100 on.
int FillWidth(std::uint16_t percent, int innerWidth);

// The download's progress bar: counts parts of a job and shows the percentage done as a
// filled bar with the number on it.
class TProgressBar : public QWidget {
  Q_OBJECT

 public:
  explicit TProgressBar(QWidget* parent = nullptr);

  // A new total empties the bar.
  void SetTotalParts(std::uint32_t value);
  std::uint32_t PartsComplete() const { return partsComplete_; }
  // Clamped to TotalParts; the bar is repainted at once when the percentage changes.
  void SetPartsComplete(std::uint32_t value);
  std::uint16_t Percent() const { return percent_; }

  // How many times the bar has been painted; lets a caller see that unchanged percentages
  // cost no painting.
  int PaintCount() const { return paintCount_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void SetPercent(std::uint16_t value);
  void PaintBar(QPainter& p) const;

  std::uint32_t totalParts_ = 0;
  std::uint32_t partsComplete_ = 0;
  std::uint16_t percent_ = 0;
  int paintCount_ = 0;
};

}  // namespace ui
