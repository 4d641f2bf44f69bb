#pragma once

#include <QString>
#include <QWidget>

namespace ui {

// The status bar's pane with the chosen port's name in a flat frame.
class TPortStatusPane : public QWidget {
  Q_OBJECT

 public:
  explicit TPortStatusPane(QWidget* parent = nullptr);

  QString Caption() const { return caption_; }
  // Repaints only when the text differs from the one shown.
  void SetCaption(const QString& caption);

  int PaintCount() const { return paintCount_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString caption_;
  int paintCount_ = 0;
};

}  // namespace ui
