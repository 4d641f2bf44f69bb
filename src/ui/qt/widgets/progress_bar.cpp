#include "ui/qt/widgets/progress_bar.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>

#include "ui/behaviour/progress_picture.h"
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

namespace {

QColor Colour(SystemColour colour) {
  switch (colour) {
    case SystemColour::ButtonFace:
      return ButtonFaceColor();
    case SystemColour::ButtonShadow:
      return ButtonShadowColor();
    case SystemColour::ButtonHighlight:
      return ButtonHighlightColor();
    case SystemColour::Highlight:
      return HighlightColor();
    case SystemColour::Window:
      break;
  }
  return WindowColor();
}

QRect Rect(const design::Box& box) {
  return QRect(box.x, box.y, box.width, box.height);
}

}  // namespace

void TProgressBar::PaintBar(QPainter& p) const {
  const QFontMetrics metrics(font());
  const QString text = QString::number(values_.Percent()) + QLatin1Char('%');
  const ProgressPicture picture = DrawProgress(width(), height(), values_.Percent(),
                                               metrics.horizontalAdvance(text), metrics.height());
  for (const ColouredBox& each : picture.boxes) p.fillRect(Rect(each.box), Colour(each.colour));
  p.setFont(font());
  const QPoint baseline(picture.textX, picture.textY + metrics.ascent());
  p.save();
  p.setClipRect(Rect(picture.filled));
  p.setPen(WindowColor());
  p.drawText(baseline, text);
  p.setClipRect(Rect(picture.empty));
  p.setPen(HighlightColor());
  p.drawText(baseline, text);
  p.restore();
}

}  // namespace ui
