#include "ui/qt/widgets/tool_bar.h"

#include <QPainter>

#include "ui/qt/widgets/glyphs.h"
#include "ui/qt/widgets/system_colors.h"

namespace ui {

TToolBar::TToolBar(QWidget* parent) : QWidget(parent) {}

void TToolBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), WindowColor());
  p.fillRect(0, 0, width(), 1, ButtonShadowColor());
  p.fillRect(0, height() - 1, width(), 1, ButtonShadowColor());
}

TFlatToolButton::TFlatToolButton(QWidget* parent) : QToolButton(parent) {
  setAutoRaise(true);
  setToolButtonStyle(Qt::ToolButtonIconOnly);
  setIconSize(QSize(kGlyphSize, kGlyphSize));
  setFocusPolicy(Qt::NoFocus);
}

bool TFlatToolButton::IsHot() const {
  return isEnabled() && underMouse();
}

void TFlatToolButton::PaintEdge(QPainter& p, const QRect& area, bool sunken) const {
  const QColor topLeft = sunken ? ButtonShadowColor() : ButtonHighlightColor();
  const QColor bottomRight = sunken ? ButtonHighlightColor() : ButtonShadowColor();
  p.fillRect(area.left(), area.top(), area.width(), 1, topLeft);
  p.fillRect(area.left(), area.top(), 1, area.height(), topLeft);
  p.fillRect(area.left(), area.bottom(), area.width(), 1, bottomRight);
  p.fillRect(area.right(), area.top(), 1, area.height(), bottomRight);
}

void TFlatToolButton::PaintGlyph(QPainter& p, const QRect& area, bool sunken) const {
  const QPixmap glyph =
      icon().pixmap(iconSize(), isEnabled() ? QIcon::Normal : QIcon::Disabled, QIcon::Off);
  const QSize size = glyph.deviceIndependentSize().toSize();
  QPoint at = area.center() - QPoint(size.width() / 2 - 1, size.height() / 2 - 1);
  if (sunken) at += QPoint(1, 1);
  p.drawPixmap(at, glyph);
}

void TFlatToolButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const bool sunken = isEnabled() && isDown();
  if (sunken || IsHot()) {
    // The hot and pressed looks are a plain face colour with a one-pixel edge.
    p.fillRect(rect(), ButtonFaceColor());
    PaintEdge(p, rect(), sunken);
  }
  PaintGlyph(p, rect(), sunken);
}

}  // namespace ui
