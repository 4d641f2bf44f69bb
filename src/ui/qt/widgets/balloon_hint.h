#pragma once

#include <QObject>
#include <QPainterPath>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "ui/behaviour/window_design.h"

namespace ui {

// Geometry of a balloon: its window size for a given text size, and where it stands.
struct BalloonLayout {
  static constexpr int kTextWidth = design::kHintTextWidth;
  static constexpr int kPointerHeight = 20;
  static constexpr int kPointerWidth = 20;
  static constexpr int kCornerRadius = 10;
  static constexpr int kMinWidth = 55;
  static constexpr int kTextInset = 4;

  // Size of the whole balloon window, pointer included, around wrapped text of textSize.
  static QSize WindowSize(const QSize& textSize);

  bool pointerAtTop = false;    // balloon below the point
  bool pointerAtRight = false;  // balloon to the left of the point
  QRect frame;                  // global window rectangle
};

// Above and to the right of the point by preference, flipped at the screen's edges.
BalloonLayout PlaceBalloon(const QPoint& point, const QSize& windowSize, const QRect& screen);

// The balloon window itself: a rounded body with a pointer towards the point it belongs to.
class TBalloonWindow : public QWidget {
  Q_OBJECT

 public:
  TBalloonWindow();

  void ShowAt(const QPoint& point, const QString& text);
  QString Text() const { return text_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRect BodyRect() const;
  QPainterPath Outline() const;
  QRect TextRect() const;

  QString text_;
  QSize textSize_;
  BalloonLayout layout_;
};

// Shows a balloon for the attached widgets instead of the standard tooltip, with the
// widget's toolTip() as its text: after the mouse has rested on a widget for the first pause,
// and after the short pause when it moves on from a widget whose balloon was showing.
class TBalloonHints : public QObject {
  Q_OBJECT

 public:
  static constexpr int kHintPauseMs = design::kHintInitialDelayMs;
  static constexpr int kHintShortPauseMs = design::kHintReshowDelayMs;

  explicit TBalloonHints(QObject* parent = nullptr);
  ~TBalloonHints() override;

  void Attach(QWidget* widget);
  // The balloon of the widget under the mouse, or nullptr when none is showing.
  TBalloonWindow* Shown() const;
  // The widget whose balloon the running pause will show, if any.
  QWidget* Pending() const { return timer_.isActive() ? pending_.data() : nullptr; }
  int PendingDelayMs() const { return timer_.isActive() ? timer_.interval() : -1; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Entered(QWidget* widget);
  void Left();
  void Cancel();
  void ShowPending();

  std::unique_ptr<TBalloonWindow> balloon_;
  QPointer<QWidget> pending_;
  QTimer timer_;
  // Holds the short pause for a while after a balloon was hidden by leaving its widget.
  QTimer shortPauseWindow_;
};

}  // namespace ui
