#include "ui/qt/widgets/balloon_hint.h"

#include <QBitmap>
#include <QCursor>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include "ui/qt/widgets/fonts.h"
#include "ui/qt/widgets/system_colors.h"

namespace ui {

namespace {

// The standard hint rectangle adds these to the text's own rectangle.
constexpr int kHintMarginX = 6;
constexpr int kHintMarginY = 2;
constexpr int kBalloonGrow = 2;
constexpr int kBalloonExtraHeight = 28;

constexpr int kTextFlags = Qt::AlignLeft | Qt::TextWordWrap;

}  // namespace

QSize BalloonLayout::WindowSize(const QSize& textSize) {
  const int width = textSize.width() + kHintMarginX + 2 * kBalloonGrow;
  const int height = textSize.height() + kHintMarginY + 2 * kBalloonGrow + kBalloonExtraHeight;
  return QSize(std::max(width, kMinWidth), height);
}

BalloonLayout PlaceBalloon(const QPoint& point, const QSize& size, const QRect& screen) {
  BalloonLayout layout;
  int x = point.x();
  int y = point.y() - size.height();
  if (y < screen.top()) {
    y = point.y();
    layout.pointerAtTop = true;
    if (y + size.height() > screen.bottom() + 1) {
      y = point.y() - size.height();
      layout.pointerAtTop = false;
    }
  }
  if (x + size.width() > screen.right() + 1) {
    x = point.x() - size.width();
    layout.pointerAtRight = true;
    if (x < screen.left()) {
      x = point.x();
      layout.pointerAtRight = false;
    }
  }
  layout.frame = QRect(QPoint(x, y), size);
  return layout;
}

TBalloonWindow::TBalloonWindow() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFont(WindowFont());
}

void TBalloonWindow::ShowAt(const QPoint& point, const QString& text) {
  text_ = text;
  const QFontMetrics metrics(font());
  textSize_ =
      metrics.boundingRect(QRect(0, 0, BalloonLayout::kTextWidth, 0), kTextFlags, text).size();
  const QSize size = BalloonLayout::WindowSize(textSize_);
  QScreen* where = QGuiApplication::screenAt(point);
  if (!where) where = QGuiApplication::primaryScreen();
  const QRect screen = where ? where->geometry() : QRect(QPoint(0, 0), size);
  layout_ = PlaceBalloon(point, size, screen);
  setGeometry(layout_.frame);

  // Cut the window to the balloon's shape; without a compositor there is no transparency.
  QBitmap mask(size);
  mask.fill(Qt::color0);
  {
    QPainter p(&mask);
    p.setPen(QPen(Qt::color1, 1));
    p.setBrush(Qt::color1);
    p.drawPath(Outline());
  }
  setMask(mask);
  show();
  update();
}

QRect TBalloonWindow::BodyRect() const {
  const int top = layout_.pointerAtTop ? BalloonLayout::kPointerHeight : 0;
  return QRect(0, top, width(), height() - BalloonLayout::kPointerHeight);
}

QPainterPath TBalloonWindow::Outline() const {
  const QRectF body = QRectF(BodyRect()).adjusted(0.5, 0.5, -0.5, -0.5);
  QPainterPath path;
  path.addRoundedRect(body, BalloonLayout::kCornerRadius, BalloonLayout::kCornerRadius);
  // The pointer: a triangle whose base lies on the body's edge and whose tip is the corner of
  // the window nearest to the point.
  const qreal edgeY = layout_.pointerAtTop ? body.top() + 1 : body.bottom() - 1;
  const qreal tipY = layout_.pointerAtTop ? 0.5 : height() - 0.5;
  const qreal w = width();
  const qreal baseNear = BalloonLayout::kCornerRadius;
  const qreal baseFar = baseNear + BalloonLayout::kPointerWidth;
  QPolygonF pointer;
  if (layout_.pointerAtRight) {
    pointer << QPointF(w - baseFar, edgeY) << QPointF(w - 0.5, tipY)
            << QPointF(w - baseNear, edgeY);
  } else {
    pointer << QPointF(baseFar, edgeY) << QPointF(0.5, tipY) << QPointF(baseNear, edgeY);
  }
  QPainterPath tip;
  tip.addPolygon(pointer);
  tip.closeSubpath();
  return path.united(tip);
}

QRect TBalloonWindow::TextRect() const {
  const QRect body = BodyRect();
  return QRect(body.left() + BalloonLayout::kTextInset, body.top() + BalloonLayout::kTextInset,
               textSize_.width(), textSize_.height());
}

void TBalloonWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(TooltipTextColor(), 1));
  p.setBrush(TooltipBackColor());
  p.drawPath(Outline());
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setFont(font());
  p.drawText(TextRect(), kTextFlags, text_);
}

TBalloonHints::TBalloonHints(QObject* parent) : QObject(parent) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &TBalloonHints::ShowPending);
  shortPauseWindow_.setSingleShot(true);
  shortPauseWindow_.setInterval(kHintPauseMs);
}

TBalloonHints::~TBalloonHints() = default;

void TBalloonHints::Attach(QWidget* widget) {
  widget->installEventFilter(this);
}

TBalloonWindow* TBalloonHints::Shown() const {
  return balloon_ && balloon_->isVisible() ? balloon_.get() : nullptr;
}

bool TBalloonHints::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget) return false;
  switch (event->type()) {
    case QEvent::ToolTip:
      return true;  // the balloon replaces the standard tooltip
    case QEvent::Enter:
      Entered(widget);
      break;
    case QEvent::Leave:
      Left();
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Hide:
    case QEvent::EnabledChange:
      Cancel();
      break;
    default:
      break;
  }
  return false;
}

void TBalloonHints::Entered(QWidget* widget) {
  pending_ = widget;
  const bool moveOn = Shown() || shortPauseWindow_.isActive();
  if (Shown()) balloon_->hide();
  shortPauseWindow_.stop();
  timer_.start(moveOn ? kHintShortPauseMs : kHintPauseMs);
}

void TBalloonHints::Left() {
  timer_.stop();
  pending_ = nullptr;
  if (Shown()) {
    balloon_->hide();
    shortPauseWindow_.start();
  }
}

void TBalloonHints::Cancel() {
  timer_.stop();
  shortPauseWindow_.stop();
  if (Shown()) balloon_->hide();
}

void TBalloonHints::ShowPending() {
  QWidget* widget = pending_.data();
  if (!widget || !widget->isVisible() || widget->toolTip().isEmpty()) return;
  if (!balloon_) balloon_ = std::make_unique<TBalloonWindow>();
  balloon_->ShowAt(QCursor::pos(), widget->toolTip());
}

}  // namespace ui
