#pragma once

#include <QWidget>

namespace ui {

// The status bar: window-coloured, with a flat one-pixel frame inside a one-pixel band, so
// that its panes start at x 2, y 2; no size grip.
class TStatusBar : public QWidget {
  Q_OBJECT

 public:
  explicit TStatusBar(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace ui
