#include "ui/qt/widgets/progress_bar.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>
#include <cmath>

#include "ui/qt/widgets/system_colors.h"

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

TProgressBar::TProgressBar(QWidget* parent) : QWidget(parent) {
  // Everything is painted here, through one off-screen image.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TProgressBar::SetTotalParts(std::uint32_t value) {
  if (value == totalParts_) return;
  totalParts_ = value;
  partsComplete_ = 0;
  SetPercent(0);
}

void TProgressBar::SetPartsComplete(std::uint32_t value) {
  if (value == partsComplete_) return;
  if (value > totalParts_) value = totalParts_;
  partsComplete_ = value;
  if (totalParts_ != 0) SetPercent(PercentOf(value, totalParts_));
}

void TProgressBar::SetPercent(std::uint16_t value) {
  if (value == percent_) return;
  percent_ = value;
  if (isVisible()) repaint();
}

void TProgressBar::paintEvent(QPaintEvent*) {
  ++paintCount_;
  QPixmap buffer(size());
  {
    QPainter p(&buffer);
    PaintBar(p);
  }
  QPainter(this).drawPixmap(0, 0, buffer);
}

void TProgressBar::PaintBar(QPainter& p) const {
  const int w = width();
  const int h = height();
  p.fillRect(0, 0, w, h, ButtonFaceColor());
  // Sunken status edge inside the one-pixel band.
  p.fillRect(1, 1, w - 2, 1, ButtonShadowColor());
  p.fillRect(1, 1, 1, h - 2, ButtonShadowColor());
  p.fillRect(1, h - 2, w - 2, 1, ButtonHighlightColor());
  p.fillRect(w - 2, 1, 1, h - 2, ButtonHighlightColor());

  // Inner rectangle, right and bottom exclusive.
  const int left = 2, top = 2, right = w - 2, bottom = h - 2;
  const int fillRight = left + FillWidth(percent_, right - left);
  const QRect filled(left, top, fillRight - left, bottom - top);
  const QRect empty(fillRight, top, right - fillRight, bottom - top);
  p.fillRect(filled, HighlightColor());
  p.fillRect(empty, WindowColor());

  p.setFont(font());
  const QFontMetrics metrics(font());
  const QString text = QString::number(percent_) + QLatin1Char('%');
  const int textWidth = metrics.horizontalAdvance(text);
  const int x = right / 2 - textWidth / 2;
  // Integer division truncating towards zero, as the layout rule is stated.
  const int y = top + (bottom - top - metrics.height()) / 2;
  const QPoint baseline(x, y + metrics.ascent());
  p.save();
  p.setClipRect(filled);
  p.setPen(WindowColor());
  p.drawText(baseline, text);
  p.setClipRect(empty);
  p.setPen(HighlightColor());
  p.drawText(baseline, text);
  p.restore();
}

}  // namespace ui
