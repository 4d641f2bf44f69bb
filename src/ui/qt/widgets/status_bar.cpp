#include "ui/qt/widgets/status_bar.h"

#include <QPainter>

#include "ui/qt/widgets/system_colors.h"

namespace ui {

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) {}

void TStatusBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), WindowColor());
  // Lighter than the port pane's own frame, so that the two lines beside each other read as one
  // edge and the pane's frame.
  p.setPen(ButtonFaceColor());
  p.drawRect(1, 1, width() - 3, height() - 3);
}

}  // namespace ui
