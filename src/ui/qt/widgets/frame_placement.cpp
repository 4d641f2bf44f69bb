#include "ui/qt/widgets/frame_placement.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>
#include <utility>

namespace ui {

namespace {

// Watches the window's first exposure, places it and goes.
class FramePlacer : public QObject {
 public:
  FramePlacer(QWidget& window, std::function<QPoint(const QSize&)> where)
      : QObject(&window), widget_(&window), where_(std::move(where)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* window = qobject_cast<QWindow*>(watched);
    if (event->type() == QEvent::Expose && window && window->isExposed() && where_) {
      const QRect frame = window->frameGeometry();
      const QPoint target = where_(frame.size());
      where_ = nullptr;
      if (frame.topLeft() != target) {
        // The client area's place: a frame position asked of the window system now would be
        // taken as the client's by some window managers.
        const QMargins margins = window->frameMargins();
        widget_->setGeometry(
            QRect(target + QPoint(margins.left(), margins.top()), widget_->size()));
      }
      deleteLater();
    }
    return false;
  }

 private:
  QWidget* widget_;
  std::function<QPoint(const QSize&)> where_;
};

}  // namespace

QPoint CentredFramePosition(const QRect& area, const QSize& frameSize) {
  return area.center() - QPoint((frameSize.width() - 1) / 2, (frameSize.height() - 1) / 2);
}

void PlaceWhenFramed(QWidget& window, std::function<QPoint(const QSize& frameSize)> where) {
  window.winId();  // the native window, to watch
  auto* placer = new FramePlacer(window, std::move(where));
  window.windowHandle()->installEventFilter(placer);
}

}  // namespace ui
