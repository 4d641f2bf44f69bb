#pragma once

#include <QToolButton>
#include <QWidget>

namespace ui {

// The strip that holds the tool buttons: window-coloured, with a flat line along its top and
// bottom edges.
class TToolBar : public QWidget {
  Q_OBJECT

 public:
  explicit TToolBar(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A flat tool button showing only its glyph: raised while the mouse is over it, sunken while
// it is held down, greyed and inert when disabled.
class TFlatToolButton : public QToolButton {
  Q_OBJECT

 public:
  explicit TFlatToolButton(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void PaintEdge(QPainter& p, const QRect& area, bool sunken) const;
  void PaintGlyph(QPainter& p, const QRect& area, bool sunken) const;
  bool IsHot() const;
};

}  // namespace ui
