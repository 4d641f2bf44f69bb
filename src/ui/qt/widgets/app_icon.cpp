#include "ui/qt/widgets/app_icon.h"

#include <QColor>
#include <QPainter>
#include <QPixmap>

namespace ui {

namespace {

constexpr int kSide = 16;
constexpr int kDot = 2;
const QColor kSquare(5, 122, 133);
// Dots at x 3, 7 and 11 span columns 3..12, centred on the square like the top dot at 7..8.
constexpr QPoint kDots[] = {{7, 4}, {3, 9}, {7, 9}, {11, 9}};

}  // namespace

QImage ApplicationIconImage(int side) {
  QImage picture(side, side, QImage::Format_ARGB32);
  picture.fill(kSquare);
  QPainter painter(&picture);
  painter.scale(static_cast<double>(side) / kSide, static_cast<double>(side) / kSide);
  for (const QPoint& dot : kDots) painter.fillRect(dot.x(), dot.y(), kDot, kDot, Qt::white);
  return picture;
}

std::string ApplicationIconSvg() {
  std::string svg =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\" "
      "viewBox=\"0 0 16 16\" shape-rendering=\"crispEdges\">\n"
      "  <rect width=\"16\" height=\"16\" fill=\"" +
      kSquare.name().toStdString() + "\"/>\n";
  for (const QPoint& dot : kDots) {
    svg += "  <rect x=\"" + std::to_string(dot.x()) + "\" y=\"" + std::to_string(dot.y()) +
           "\" width=\"2\" height=\"2\" fill=\"#ffffff\"/>\n";
  }
  return svg + "</svg>\n";
}

QIcon ApplicationIcon() {
  return QIcon(QPixmap::fromImage(ApplicationIconImage()));
}

QIcon BlankWindowIcon() {
  QPixmap picture(kSide, kSide);
  picture.fill(Qt::transparent);
  return QIcon(picture);
}

}  // namespace ui
