#pragma once

#include <QWidget>
#include <cstdint>

#include "ui/behaviour/progress_values.h"

namespace ui {

// The download's progress bar: counts parts of a job and shows the percentage done as a
// filled bar with the number on it.
class TProgressBar : public QWidget {
  Q_OBJECT

 public:
  explicit TProgressBar(QWidget* parent = nullptr);

  // A new total empties the bar.
  void SetTotalParts(std::uint32_t value);
  std::uint32_t PartsComplete() const { return values_.PartsComplete(); }
  // Clamped to TotalParts; the bar is repainted at once when the percentage changes.
  void SetPartsComplete(std::uint32_t value);
  std::uint16_t Percent() const { return values_.Percent(); }

  // How many times the bar has been painted; lets a caller see that unchanged percentages
  // cost no painting.
  int PaintCount() const { return paintCount_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Repaint();
  void PaintBar(QPainter& p) const;

  ProgressValues values_;
  int paintCount_ = 0;
};

}  // namespace ui
