#include "ui/status_bar.h"

#include <QPainter>

#include "ui/system_colors.h"

namespace ui {

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) {}

void TStatusBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), WindowColor());
  p.setPen(ButtonShadowColor());
  p.drawRect(1, 1, width() - 3, height() - 3);
}

}  // namespace ui
