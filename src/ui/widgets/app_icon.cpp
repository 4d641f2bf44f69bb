#include "ui/widgets/app_icon.h"

#include <QColor>
#include <QPainter>
#include <QPixmap>

namespace ui {

namespace {

constexpr int kSide = 16;
constexpr int kDot = 2;

}  // namespace

QIcon ApplicationIcon() {
  QPixmap picture(kSide, kSide);
  picture.fill(QColor(5, 122, 133));
  QPainter painter(&picture);
  // Dots at x 3, 7 and 11 span columns 3..12, centred on the square like the top dot at 7..8.
  const QColor white(255, 255, 255);
  painter.fillRect(7, 4, kDot, kDot, white);
  for (int x : {3, 7, 11}) painter.fillRect(x, 9, kDot, kDot, white);
  painter.end();
  return QIcon(picture);
}

QIcon BlankWindowIcon() {
  QPixmap picture(kSide, kSide);
  picture.fill(Qt::transparent);
  return QIcon(picture);
}

}  // namespace ui
