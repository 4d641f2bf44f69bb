#include <gtest/gtest.h>

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QProcess>
#include <QTest>

#include "ui/qt/widgets/port_button.h"
#include "ui/qt/widgets/port_status_pane.h"
#include "window_rig.h"

namespace {

using uitest::WindowRig;

QStringList Captions(const QMenu* menu) {
  QStringList captions;
  for (const QAction* item : menu->actions()) captions << item->text();
  return captions;
}

void PressPortButton(ui::TForm1& form, Qt::MouseButton button = Qt::LeftButton,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier, QPoint at = {32, 12}) {
  QTest::mousePress(form.ToolButton2, button, modifiers, at);
  QTest::mouseRelease(form.ToolButton2, button, modifiers, at);
}

TEST(PortMenu, ListsThePortsSortedAsTextWithoutRegardToCase) {
  WindowRig rig;
  rig.ports = {"COM2", "COM10", "com3", "COM1"};
  rig.WriteValidSettings();
  ui::TForm1& form = rig.Create();
  EXPECT_EQ(Captions(form.PortMenu), (QStringList{"COM1", "COM10", "COM2", "com3"}));
  for (const QAction* item : form.PortMenu->actions()) {
    EXPECT_FALSE(item->isCheckable());
    EXPECT_TRUE(item->icon().isNull());
  }
}

TEST(PortMenu, NamesWithAmpersandsAreShownAndUsedExactly) {
  WindowRig rig;
  rig.ports = {"A&B"};
  rig.WriteSettings("[PortName]\nName=A&B\n[FileName]\nName=" + rig.MakeFile("board.hex").string() +
                    "\n");
  ui::TForm1& form = rig.Create();
  ASSERT_EQ(form.PortMenu->actions().size(), 1);
  QAction* item = form.PortMenu->actions().first();
  EXPECT_EQ(ui::TForm1::PortName(item), "A&B");
  // Qt shows "&&" as one "&" and marks no mnemonic.
  EXPECT_EQ(item->text(), QStringLiteral("A&&B"));
  EXPECT_EQ(form.PortStatusPane->Caption(), QStringLiteral("A&B"));
  EXPECT_EQ(form.Behaviour().Comm1.DeviceName(), "A&B");

  item->trigger();
  EXPECT_TRUE(rig.port.Active());
  EXPECT_EQ(rig.port.DeviceName(), "A&B");
  form.PortMenuItemClick(&form);  // not a menu item: nothing happens
  EXPECT_EQ(rig.port.closes, 0);
  EXPECT_TRUE(rig.port.Active());
}

TEST(PortMenu, APortThatCannotOpenIsReportedAndKeepsThePaneAndSetting) {
  WindowRig rig;
  rig.WriteValidSettings();
  ui::TForm1& form = rig.Create();
  const std::string before = rig.ReadSettings();
  rig.port.target.FailOpen("Can't open specified device COM2");
  rig.guard.ExpectAny([](QWidget* box) {
    EXPECT_TRUE(
        testsupport::ModalWatcher::TextOf(box).contains("Can't open specified device COM2"));
    testsupport::ModalWatcher::Dismiss(box);
  });
  form.PortMenu->actions().at(1)->trigger();
  EXPECT_EQ(rig.port.DeviceName(), "COM2");
  EXPECT_EQ(form.PortStatusPane->Caption(), QStringLiteral("COM1"));
  EXPECT_EQ(rig.ReadSettings(), before);
}

TEST(PortButton, APlainLeftPressDropsTheMenuDownUnderTheButton) {
  WindowRig rig;
  rig.WriteValidSettings();
  ui::TForm1& form = rig.Create();
  form.show();
  PressPortButton(form, Qt::RightButton);
  EXPECT_FALSE(form.PortMenu->isVisible());
  PressPortButton(form, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_FALSE(form.PortMenu->isVisible());

  PressPortButton(form, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));  // on the glyph part
  ASSERT_TRUE(form.PortMenu->isVisible());
  EXPECT_TRUE(form.ToolButton2->IsDroppedDown());
  EXPECT_EQ(form.PortMenu->pos(), form.ToolButton2->mapToGlobal(QPoint(0, 25)));

  // The click that closes the menu on the button must not open it again at once.
  form.PortMenu->hide();
  EXPECT_FALSE(form.ToolButton2->IsDroppedDown());
  PressPortButton(form);
  EXPECT_FALSE(form.PortMenu->isVisible());
  // Later presses open it again.
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        PressPortButton(form, Qt::LeftButton, Qt::NoModifier, QPoint(33, 12));  // arrow part
        return form.PortMenu->isVisible();
      },
      2000));
  form.PortMenu->hide();
}

TEST(PortButton, DoesNothingWithoutPortsOrWhenDisabled) {
  WindowRig rig;
  rig.WriteValidSettings();
  ui::TForm1& form = rig.Create();
  form.show();
  form.ToolButton2->setEnabled(false);
  PressPortButton(form);
  EXPECT_FALSE(form.PortMenu->isVisible());

  rig.ports.clear();
  form.Behaviour().BuildPortMenu();
  EXPECT_TRUE(form.PortMenu->isEmpty());
  form.ToolButton2->setEnabled(true);
  PressPortButton(form);
  EXPECT_FALSE(form.PortMenu->isVisible());
  EXPECT_FALSE(form.ToolButton2->IsDroppedDown());
}

void RealClick() {
  ASSERT_EQ(
      QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("1")}),
      0);
}

// With the real pointer of an X server: the pointer rests on the button, drops the menu down
// and chooses an item below it. Once the menu has closed, the button must look idle again.
TEST(PortButton, IsNotLeftHotAfterAChoiceFromItsMenu) {
  if (QGuiApplication::platformName() != QStringLiteral("xcb"))
    GTEST_SKIP() << "needs the pointer of an X server: tests/support/with-window-manager";
  WindowRig rig;
  rig.WriteValidSettings();
  ui::TForm1& form = rig.Create();
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  ui::TPortButton& button = *form.ToolButton2;
  QCursor::setPos(form.mapToGlobal(QPoint(200, 80)));  // over the empty band
  ASSERT_TRUE(QTest::qWaitFor([&] { return !button.underMouse(); }, 5000));
  const QImage idle = uitest::GrabPixels(button);

  const QPoint onButton(20, 12);
  QCursor::setPos(button.mapToGlobal(onButton));
  ASSERT_TRUE(QTest::qWaitFor([&] { return button.underMouse(); }, 5000));
  ASSERT_NE(uitest::GrabPixels(button), idle) << "the pointer makes it hot";
  RealClick();
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.PortMenu->isVisible(); }, 5000));

  QAction* second = form.PortMenu->actions().at(1);
  const QPoint onItem = form.PortMenu->actionGeometry(second).center();
  QCursor::setPos(form.PortMenu->mapToGlobal(onItem));
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.PortMenu->activeAction() == second; }, 5000));
  RealClick();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form.PortMenu->isVisible(); }, 5000));
  EXPECT_EQ(rig.port.DeviceName(), "COM2");
  EXPECT_TRUE(QTest::qWaitFor([&] { return uitest::GrabPixels(button) == idle; }, 2000))
      << "still drawn hot with the pointer away from it";
}

TEST(PortButton, TheMenuMovesLeftWhereItWouldLeaveTheWorkArea) {
  const QRect workArea(0, 0, 1024, 740);
  const QRect button(500, 100, 39, 25);
  EXPECT_EQ(ui::DropDownMenuPosition(button, QSize(80, 60), workArea), QPoint(500, 125));
  const QRect nearEdge(1000, 100, 39, 25);
  EXPECT_EQ(ui::DropDownMenuPosition(nearEdge, QSize(80, 60), workArea), QPoint(1039 - 80, 125));
  // Exactly reaching the edge still fits.
  const QRect touching(944, 100, 39, 25);
  EXPECT_EQ(ui::DropDownMenuPosition(touching, QSize(80, 60), workArea), QPoint(944, 125));
}

}  // namespace
