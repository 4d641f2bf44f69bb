#include "ui/qt/widgets/progress_bar.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>

#include "ui/qt/widgets/system_colors.h"

namespace ui {

TProgressBar::TProgressBar(QWidget* parent) : QWidget(parent) {
  // Everything is painted here, through one off-screen image.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TProgressBar::SetTotalParts(std::uint32_t value) {
  if (values_.SetTotalParts(value)) Repaint();
}

void TProgressBar::SetPartsComplete(std::uint32_t value) {
  if (values_.SetPartsComplete(value)) Repaint();
}

void TProgressBar::Repaint() {
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
  const int fillRight = left + FillWidth(values_.Percent(), right - left);
  const QRect filled(left, top, fillRight - left, bottom - top);
  const QRect empty(fillRight, top, right - fillRight, bottom - top);
  p.fillRect(filled, HighlightColor());
  p.fillRect(empty, WindowColor());

  p.setFont(font());
  const QFontMetrics metrics(font());
  const QString text = QString::number(values_.Percent()) + QLatin1Char('%');
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
