#include "ui/qt/widgets/port_button.h"

#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "ui/qt/widgets/system_colors.h"

namespace ui {

QPoint DropDownMenuPosition(const QRect& buttonRect, const QSize& menuSize, const QRect& workArea) {
  QPoint at(buttonRect.left(), buttonRect.bottom() + 1);
  if (at.x() + menuSize.width() > workArea.right() + 1) {
    at.setX(buttonRect.right() + 1 - menuSize.width());
  }
  return at;
}

TPortButton::TPortButton(QWidget* parent) : TFlatToolButton(parent) {}

void TPortButton::SetDropDownMenu(QMenu* menu) {
  if (menu_ == menu) return;
  if (menu_) disconnect(menu_, nullptr, this, nullptr);
  menu_ = menu;
  if (menu_) connect(menu_, &QMenu::aboutToHide, this, &TPortButton::MenuClosed);
}

void TPortButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || event->modifiers() != Qt::NoModifier) {
    TFlatToolButton::mousePressEvent(event);
    return;
  }
  event->accept();
  if (!menu_ || menu_->isEmpty() || droppedDown_) return;
  if (sinceClosed_.isValid() && sinceClosed_.elapsed() < kReopenGuardMs) return;
  DropDown();
}

void TPortButton::DropDown() {
  const QRect global(mapToGlobal(QPoint(0, 0)), size());
  QScreen* where = screen();
  const QRect workArea = where ? where->availableGeometry() : QRect();
  const QSize menuSize = menu_->sizeHint();
  droppedDown_ = true;
  repaint();
  menu_->popup(workArea.isValid() ? DropDownMenuPosition(global, menuSize, workArea)
                                  : global.bottomLeft() + QPoint(0, 1));
  emit MenuDroppedDown();
}

void TPortButton::MenuClosed() {
  droppedDown_ = false;
  sinceClosed_.start();
  // The open menu held the pointer, so no leave reached the button, and none comes when the
  // menu closes with the pointer elsewhere: it would stay drawn hot until passed over again.
  if (!rect().contains(mapFromGlobal(QCursor::pos()))) setAttribute(Qt::WA_UnderMouse, false);
  update();
}

void TPortButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect glyphPart(0, 0, kGlyphPartWidth, height());
  const QRect arrowPart(kGlyphPartWidth, 0, width() - kGlyphPartWidth, height());
  const bool sunken = isEnabled() && (droppedDown_ || isDown());
  if (sunken || IsHot()) {
    p.fillRect(rect(), ButtonFaceColor());
    PaintEdge(p, glyphPart, sunken);
    PaintEdge(p, arrowPart, sunken);
  }
  PaintGlyph(p, glyphPart, sunken);

  // A small down-pointing triangle in the middle of the arrow part.
  const QColor arrow = isEnabled() ? WindowTextColor() : ButtonShadowColor();
  const int cx = arrowPart.left() + arrowPart.width() / 2 + (sunken ? 1 : 0);
  const int cy = height() / 2 - 1 + (sunken ? 1 : 0);
  for (int row = 0; row < 3; ++row) {
    p.fillRect(cx - 2 + row, cy + row, 5 - 2 * row, 1, arrow);
  }
}

}  // namespace ui
