#include "ui/qt/widgets/glyphs.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace ui {

namespace {

const QColor kArrowBlue(0x14, 0x5a, 0xd2);
const QColor kArrowHalo(255, 255, 255, 220);

// A thick arrow with a light halo, so that it stays visible over the picture below it.
void DrawArrow(QPainter& p, const QPainterPath& shaft, const QPolygonF& head) {
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kArrowHalo, 3.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(shaft);
  p.drawPolygon(head);
  p.setPen(QPen(kArrowBlue, 1.6, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
  p.drawPath(shaft);
  p.setPen(QPen(kArrowBlue, 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(kArrowBlue);
  p.drawPolygon(head);
}

void PaintOpenFolder(QPainter& p) {
  const QColor outline(0x9a, 0x6a, 0x08);
  // Back wall with its tab.
  QPainterPath back;
  back.moveTo(0.5, 14.5);
  back.lineTo(0.5, 4.5);
  back.lineTo(1.5, 3.5);
  back.lineTo(5.0, 3.5);
  back.lineTo(6.5, 5.0);
  back.lineTo(11.5, 5.0);
  back.lineTo(11.5, 14.5);
  back.closeSubpath();
  QLinearGradient backFill(0, 4, 0, 14);
  backFill.setColorAt(0, QColor(0xf0, 0xc0, 0x40));
  backFill.setColorAt(1, QColor(0xd0, 0x98, 0x20));
  p.setPen(QPen(outline, 1));
  p.setBrush(backFill);
  p.drawPath(back);
  // The opened front flap, tilted towards the viewer.
  QPolygonF front;
  front << QPointF(3.0, 8.0) << QPointF(15.5, 8.0) << QPointF(12.0, 14.5) << QPointF(0.5, 14.5);
  QLinearGradient frontFill(0, 8, 0, 14.5);
  frontFill.setColorAt(0, QColor(0xff, 0xf0, 0x90));
  frontFill.setColorAt(1, QColor(0xff, 0xd0, 0x40));
  p.setBrush(frontFill);
  p.drawPolygon(front);
  // A small arrow curving over the upper right corner, into the folder.
  QPainterPath shaft;
  shaft.moveTo(7.5, 4.0);
  shaft.cubicTo(8.5, 0.8, 12.5, 0.6, 13.6, 3.6);
  QPolygonF head;
  head << QPointF(11.4, 3.4) << QPointF(15.6, 3.2) << QPointF(13.9, 6.8);
  DrawArrow(p, shaft, head);
}

void PaintPlug(QPainter& p) {
  p.translate(8.0, 8.0);
  p.rotate(-45.0);
  const QColor outline(0x3c, 0x3c, 0x3c);
  // Cable leaving the body at the lower left.
  p.setPen(QPen(outline, 2.6, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(-3.0, 0.0), QPointF(-9.5, 0.0));
  p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1.0, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(-3.0, -0.3), QPointF(-9.5, -0.3));
  // Two metal pins pointing to the upper right.
  p.setPen(QPen(QColor(0x50, 0x50, 0x50), 0.8));
  p.setBrush(QColor(0xe4, 0xe4, 0xe4));
  p.drawRect(QRectF(2.5, -3.4, 5.2, 1.8));
  p.drawRect(QRectF(2.5, 1.6, 5.2, 1.8));
  // The grey body, lit from above.
  QLinearGradient fill(0, -4.5, 0, 4.5);
  fill.setColorAt(0, QColor(0xd8, 0xd8, 0xd8));
  fill.setColorAt(0.5, QColor(0xa8, 0xa8, 0xa8));
  fill.setColorAt(1, QColor(0x70, 0x70, 0x70));
  p.setPen(QPen(outline, 1.0));
  p.setBrush(fill);
  p.drawRoundedRect(QRectF(-4.5, -4.6, 7.5, 9.2), 1.6, 1.6);
  p.setPen(QPen(QColor(0x60, 0x60, 0x60), 0.8));
  p.drawLine(QPointF(-2.0, -3.2), QPointF(-2.0, 3.2));
}

void PaintLightning(QPainter& p) {
  QPolygonF bolt;
  bolt << QPointF(6.5, 0.5) << QPointF(12.5, 0.5) << QPointF(9.3, 5.6) << QPointF(13.0, 5.6)
       << QPointF(4.2, 15.6) << QPointF(6.8, 8.6) << QPointF(3.2, 8.6);
  QLinearGradient fill(3, 0, 13, 16);
  fill.setColorAt(0, QColor(0xff, 0xf4, 0x80));
  fill.setColorAt(0.55, QColor(0xff, 0xd4, 0x00));
  fill.setColorAt(1, QColor(0xf0, 0xa0, 0x00));
  p.setPen(QPen(QColor(0xa8, 0x70, 0x00), 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.setBrush(fill);
  p.drawPolygon(bolt);
}

void PaintExitDoor(QPainter& p) {
  // Frame.
  p.setPen(QPen(QColor(0x2c, 0x4c, 0x70), 1.0));
  p.setBrush(QColor(0x5a, 0x7a, 0x98));
  p.drawRect(QRectF(1.5, 0.5, 9.0, 15.0));
  // The light-blue door filling the frame.
  QLinearGradient fill(2, 0, 10, 0);
  fill.setColorAt(0, QColor(0xc8, 0xe8, 0xff));
  fill.setColorAt(1, QColor(0x80, 0xc0, 0xf0));
  p.setPen(QPen(QColor(0x3a, 0x70, 0xa8), 1.0));
  p.setBrush(fill);
  p.drawRect(QRectF(2.5, 1.5, 7.0, 14.0));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x2c, 0x4c, 0x70));
  p.drawEllipse(QPointF(4.5, 9.0), 0.9, 0.9);
  // An arrow coming from the right into the doorway.
  QPainterPath shaft;
  shaft.moveTo(15.5, 8.5);
  shaft.lineTo(9.5, 8.5);
  QPolygonF head;
  head << QPointF(6.0, 8.5) << QPointF(10.2, 4.8) << QPointF(10.2, 12.2);
  DrawArrow(p, shaft, head);
}

}  // namespace

QPixmap PaintGlyph(Glyph glyph) {
  QPixmap pixmap(kGlyphSize, kGlyphSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  switch (glyph) {
    case Glyph::OpenFolder:
      PaintOpenFolder(p);
      break;
    case Glyph::Plug:
      PaintPlug(p);
      break;
    case Glyph::Lightning:
      PaintLightning(p);
      break;
    case Glyph::ExitDoor:
      PaintExitDoor(p);
      break;
  }
  return pixmap;
}

QIcon GlyphIcon(Glyph glyph) {
  return QIcon(PaintGlyph(glyph));
}

}  // namespace ui
