#include "ui/qt/widgets/port_status_pane.h"

#include <QFontMetrics>
#include <QPainter>

#include "ui/qt/widgets/system_colors.h"

namespace ui {

namespace {

// Frame 1, caption margin 2, plus 1.
constexpr int kCaptionX = 4;

}  // namespace

TPortStatusPane::TPortStatusPane(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPortStatusPane::SetCaption(const QString& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  update();
}

void TPortStatusPane::paintEvent(QPaintEvent*) {
  ++paintCount_;
  QPainter p(this);
  const int w = width();
  const int h = height();
  p.fillRect(rect(), WindowColor());
  // Flat frame without its four corner pixels.
  const QColor frame = ButtonShadowColor();
  p.fillRect(1, 0, w - 2, 1, frame);
  p.fillRect(1, h - 1, w - 2, 1, frame);
  p.fillRect(0, 1, 1, h - 2, frame);
  p.fillRect(w - 1, 1, 1, h - 2, frame);

  const QFontMetrics metrics(font());
  // Centred by the height of "Pp": the font's full line height.
  const int y = (h - metrics.height()) / 2;
  p.setClipRect(QRect(1, 1, w - 2, h - 2));
  p.setPen(WindowTextColor());
  p.setFont(font());
  p.drawText(QPoint(kCaptionX, y + metrics.ascent()), caption_);
}

}  // namespace ui
