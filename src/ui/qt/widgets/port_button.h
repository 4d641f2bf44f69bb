#pragma once

#include <QElapsedTimer>
#include <QPoint>
#include <QRect>
#include <QSize>

#include "ui/behaviour/window_design.h"
#include "ui/qt/widgets/tool_bar.h"

class QMenu;

namespace ui {

// Where a drop-down menu of menuSize opens under a button at buttonRect (global
// coordinates): left edges aligned, or right edges aligned when it would otherwise reach
// past the right edge of the work area.
QPoint DropDownMenuPosition(const QRect& buttonRect, const QSize& menuSize, const QRect& workArea);

// The Port button: a glyph part and an arrow part; a plain left press anywhere on it drops
// its menu down.
class TPortButton : public TFlatToolButton {
  Q_OBJECT

 public:
  static constexpr int kGlyphPartWidth = design::kButtonSize;
  static constexpr int kArrowPartWidth = design::kPortArrowWidth;
  // A press this soon after the menu closed is the click that closed it.
  static constexpr int kReopenGuardMs = 100;

  explicit TPortButton(QWidget* parent = nullptr);

  void SetDropDownMenu(QMenu* menu);
  QMenu* DropDownMenu() const { return menu_; }
  bool IsDroppedDown() const { return droppedDown_; }

 signals:
  void MenuDroppedDown();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void DropDown();
  void MenuClosed();

  QMenu* menu_ = nullptr;
  bool droppedDown_ = false;
  QElapsedTimer sinceClosed_;
};

}  // namespace ui
