#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QWidget>

#include "modal_watcher.h"
#include "ui/qt/widgets/form2.h"
#include "ui/qt/widgets/system_colors.h"

namespace {

using testsupport::WaitFor;
using ui::PromptPosition;
using ui::TForm2;

TEST(PromptPosition, CentresOverTheMainWindowAndTruncatesTowardZero) {
  EXPECT_EQ(PromptPosition(QRect(100, 200, 367, 176), QSize(201, 86)), QPoint(183, 245));
  // Odd differences: 5 / 2 = 2 and -5 / 2 = -2 (toward zero, not -3).
  EXPECT_EQ(PromptPosition(QRect(10, 10, 100, 100), QSize(95, 95)), QPoint(12, 12));
  EXPECT_EQ(PromptPosition(QRect(10, 10, 100, 100), QSize(105, 105)), QPoint(8, 8));
}

TEST(PromptPosition, ClampsEachNegativeCoordinateToZero) {
  EXPECT_EQ(PromptPosition(QRect(-300, 50, 100, 100), QSize(50, 50)), QPoint(0, 75));
  EXPECT_EQ(PromptPosition(QRect(50, -300, 100, 100), QSize(50, 50)), QPoint(75, 0));
  EXPECT_EQ(PromptPosition(QRect(0, 0, 50, 50), QSize(195, 57)), QPoint(0, 0));
}

class Form2Test : public ::testing::Test {
 protected:
  void SetUp() override {
    main_.setFixedSize(361, 147);
    main_.move(300, 200);
    main_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main_));
  }

  QWidget main_;
};

TEST_F(Form2Test, IsAFixedSmallWindowWithTheCentredPromptText) {
  TForm2 prompt(&main_);
  EXPECT_FALSE(prompt.isVisible());
  EXPECT_EQ(prompt.size(), QSize(195, 57));
  EXPECT_EQ(prompt.minimumSize(), prompt.maximumSize());
  EXPECT_TRUE(prompt.windowTitle().isEmpty());
  const Qt::WindowFlags flags = prompt.windowFlags();
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  // A tool window or one kept on top would stay above the main window.
  EXPECT_EQ(prompt.windowType(), Qt::Window);
  EXPECT_FALSE(flags & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(prompt.autoFillBackground());
  EXPECT_EQ(prompt.palette().color(QPalette::Window), ui::WindowColor());

  prompt.Show();
  EXPECT_EQ(prompt.Label1->text(), QStringLiteral("Включи питание"));
  EXPECT_EQ(prompt.Label1->geometry(), prompt.rect());
  EXPECT_EQ(prompt.Label1->alignment(), Qt::AlignCenter);
  EXPECT_FALSE(prompt.Label1->wordWrap());
  EXPECT_EQ(prompt.Label1->font().pixelSize(), 19);
  EXPECT_EQ(prompt.Label1->focusPolicy(), Qt::NoFocus);
}

TEST_F(Form2Test, FirstShowingCentresItOverTheMainWindowAndActivatesIt) {
  TForm2 prompt(&main_);
  prompt.Show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&prompt));
  // The frame, title bar included, is centred; under a window manager once it has framed it.
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return prompt.frameGeometry().topLeft() ==
               PromptPosition(main_.frameGeometry(), prompt.frameGeometry().size());
      },
      5000))
      << "prompt frame at " << prompt.frameGeometry().y() << ", main frame at "
      << main_.frameGeometry().y();
  // Showing again while visible keeps one window, still active.
  prompt.Show();
  EXPECT_TRUE(prompt.isVisible());
  EXPECT_TRUE(prompt.isActiveWindow());
}

TEST_F(Form2Test, LaterShowingsKeepTheLastPositionEvenAfterTheMainWindowMoved) {
  TForm2 prompt(&main_);
  prompt.Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&prompt));
  prompt.move(40, 30);  // the user drags it
  ASSERT_TRUE(WaitFor([&] { return prompt.pos() == QPoint(40, 30); }));
  prompt.Hide();
  main_.move(500, 400);
  prompt.Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&prompt));
  EXPECT_EQ(prompt.pos(), QPoint(40, 30));
}

TEST_F(Form2Test, HidingGivesTheActivationBackToTheMainWindow) {
  TForm2 prompt(&main_);
  prompt.Hide();  // hidden already: nothing happens
  EXPECT_FALSE(prompt.isVisible());
  prompt.Show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&prompt));
  prompt.Hide();
  EXPECT_FALSE(prompt.isVisible());
  EXPECT_TRUE(QTest::qWaitForWindowActive(&main_));
}

TEST_F(Form2Test, ClosingOnlyHidesItAndNeverEndsTheApplication) {
  TForm2 prompt(&main_);
  bool quitting = false;
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, &prompt, [&] { quitting = true; });
  QObject::connect(qApp, &QGuiApplication::lastWindowClosed, &prompt, [&] { quitting = true; });
  prompt.Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&prompt));
  main_.hide();  // even as the last visible window, closing it must not quit
  EXPECT_TRUE(prompt.close());
  EXPECT_FALSE(prompt.isVisible());
  QCoreApplication::processEvents();
  EXPECT_FALSE(quitting);
  // Enter and Esc do nothing in it.
  prompt.Show();
  QTest::keyClick(&prompt, Qt::Key_Escape);
  QTest::keyClick(&prompt, Qt::Key_Return);
  EXPECT_TRUE(prompt.isVisible());
  // Shown again after its close box, it still has no caption: not the application's name.
  EXPECT_EQ(prompt.windowHandle()->title(), QStringLiteral(" "));
}

}  // namespace
