#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QTest>

#include "ui/qt/widgets/port_status_pane.h"
#include "ui/qt/widgets/system_colors.h"
#include "window_rig.h"

namespace {

class Pane : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(uitest::ShowControl(pane, QSize(47, 15))); }
  QImage Grab() { return uitest::GrabPixels(pane); }
  // Leftmost column, inside the frame, holding anything but the window colour.
  int FirstInkColumn(const QImage& image) {
    for (int x = 1; x < image.width() - 1; ++x)
      for (int y = 1; y < image.height() - 1; ++y)
        if (image.pixel(x, y) != ui::WindowColor().rgb()) return x;
    return -1;
  }

  ui::TPortStatusPane pane;
};

TEST_F(Pane, FlatFrameWithoutCornersAndTheCaptionFromXFour) {
  pane.SetCaption(QStringLiteral("COM1"));
  const QImage image = Grab();
  const QRgb frame = ui::ButtonShadowColor().rgb();
  const QRgb window = ui::WindowColor().rgb();
  EXPECT_EQ(image.pixel(0, 0), window);
  EXPECT_EQ(image.pixel(46, 14), window);
  EXPECT_EQ(image.pixel(1, 0), frame);
  EXPECT_EQ(image.pixel(0, 7), frame);
  EXPECT_EQ(image.pixel(46, 7), frame);
  EXPECT_EQ(image.pixel(20, 14), frame);
  const int ink = FirstInkColumn(image);
  EXPECT_GE(ink, 4);
  EXPECT_LE(ink, 5) << "'C' starts at x 4, give or take its side bearing";

  // A name wider than the pane is cut off inside the frame.
  pane.SetCaption(QStringLiteral("ttyUSB0-long-device-name"));
  const QImage cut = Grab();
  for (int y = 1; y < 14; ++y) EXPECT_EQ(cut.pixel(46, y), frame) << y;
}

TEST_F(Pane, RepaintsOnlyForANewText) {
  pane.SetCaption(QStringLiteral("COM1"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return pane.PaintCount() > 0; }, 2000));
  QCoreApplication::processEvents();
  const int painted = pane.PaintCount();
  pane.SetCaption(QStringLiteral("COM1"));
  QCoreApplication::processEvents();
  EXPECT_EQ(pane.PaintCount(), painted);
  pane.SetCaption(QStringLiteral("COM2"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return pane.PaintCount() > painted; }, 2000));
}

}  // namespace
