#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

#include "ui/qt/widgets/balloon_hint.h"
#include "ui/qt/widgets/tool_bar.h"
#include "window_rig.h"

namespace {

using ui::BalloonLayout;
using ui::PlaceBalloon;

const QRect kScreen(0, 0, 1024, 768);

TEST(BalloonPlacement, PrefersAboveAndRightThenFlipsAtEachEdge) {
  const QSize size(80, 50);
  BalloonLayout middle = PlaceBalloon({500, 400}, size, kScreen);
  EXPECT_EQ(middle.frame, QRect(500, 350, 80, 50));
  EXPECT_FALSE(middle.pointerAtTop);
  EXPECT_FALSE(middle.pointerAtRight);

  BalloonLayout nearTop = PlaceBalloon({500, 30}, size, kScreen);
  EXPECT_EQ(nearTop.frame.topLeft(), QPoint(500, 30));
  EXPECT_TRUE(nearTop.pointerAtTop);

  BalloonLayout nearRight = PlaceBalloon({1000, 400}, size, kScreen);
  EXPECT_EQ(nearRight.frame.topLeft(), QPoint(920, 350));
  EXPECT_TRUE(nearRight.pointerAtRight);

  // A screen too short either way: back above. Too narrow either way: back to the right.
  BalloonLayout cramped = PlaceBalloon({40, 30}, size, QRect(0, 0, 100, 60));
  EXPECT_EQ(cramped.frame.topLeft(), QPoint(40, -20));
  EXPECT_FALSE(cramped.pointerAtTop);
  EXPECT_FALSE(cramped.pointerAtRight);
}

TEST(BalloonWindow, WrapsTheTextAtAHundredPixels) {
  ui::TBalloonWindow balloon;
  balloon.ShowAt(QPoint(300, 300), QString::fromUtf8("Выбрать последовательный порт"));
  const QFontMetrics metrics(balloon.font());
  EXPECT_GT(balloon.height(), 2 * metrics.height() + 34) << "at least two lines";
  EXPECT_LE(balloon.width(), 100 + 6 + 4);
  // The pointer's tip is at the point, at the balloon's lower left.
  EXPECT_EQ(balloon.geometry().bottomLeft() + QPoint(0, 1), QPoint(300, 300));
  balloon.hide();
}

void Enter(QWidget* widget) {
  QEnterEvent enter(QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)),
                    widget->mapToGlobal(QPointF(5, 5)));
  QApplication::sendEvent(widget, &enter);
}

void Leave(QWidget* widget) {
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(widget, &leave);
}

TEST(BalloonHints, ReplaceTheTooltipWithTheirPausesBetweenButtons) {
  uitest::WindowRig rig;
  rig.WriteValidSettings();
  ui::TForm1& form = rig.Create();
  form.show();
  ui::TBalloonHints& hints = *form.BalloonHints1;

  // The standard tooltip never comes up for a tool button.
  QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), form.ToolButton1->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(form.ToolButton1, &help);
  EXPECT_FALSE(QToolTip::isVisible());

  Enter(form.ToolButton1);
  EXPECT_EQ(hints.Pending(), form.ToolButton1);
  EXPECT_EQ(hints.PendingDelayMs(), 500);
  ASSERT_TRUE(QTest::qWaitFor([&] { return hints.Shown() != nullptr; }, 3000));
  EXPECT_EQ(hints.Shown()->Text(), QString::fromUtf8("Выбор файла для загрузки"));

  // Moving on while it shows: the next one after the short pause.
  Leave(form.ToolButton1);
  EXPECT_EQ(hints.Shown(), nullptr);
  Enter(form.ToolButton4);
  EXPECT_EQ(hints.PendingDelayMs(), 50);
  ASSERT_TRUE(QTest::qWaitFor([&] { return hints.Shown() != nullptr; }, 3000));
  EXPECT_EQ(hints.Shown()->Text(), QString::fromUtf8("Выход"));

  // A press puts it away.
  QTest::mousePress(form.ToolButton4, Qt::RightButton);
  EXPECT_EQ(hints.Shown(), nullptr);
  QTest::mouseRelease(form.ToolButton4, Qt::RightButton);
  Leave(form.ToolButton4);
}

}  // namespace
