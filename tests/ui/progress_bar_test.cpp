#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QTest>

#include "ui/qt/widgets/progress_bar.h"
#include "ui/qt/widgets/system_colors.h"
#include "window_rig.h"

namespace {

using ui::TProgressBar;

TEST(ProgressArithmetic, PercentRoundsHalfToEvenAndPartsClampToTheTotal) {
  TProgressBar bar;
  bar.SetTotalParts(8);
  const std::pair<std::uint32_t, std::uint16_t> steps[] = {{1, 12}, {3, 38}, {5, 62}, {7, 88}};
  for (auto [parts, percent] : steps) {
    bar.SetPartsComplete(parts);
    EXPECT_EQ(bar.Percent(), percent) << parts << " of 8";
  }
  bar.SetPartsComplete(9);
  EXPECT_EQ(bar.Percent(), 100);
  EXPECT_EQ(bar.PartsComplete(), 8u);

  // The same total again changes nothing; a new one empties the bar.
  bar.SetTotalParts(8);
  EXPECT_EQ(bar.PartsComplete(), 8u);
  EXPECT_EQ(bar.Percent(), 100);
  bar.SetTotalParts(3);
  EXPECT_EQ(bar.PartsComplete(), 0u);
  EXPECT_EQ(bar.Percent(), 0);
}

TEST(ProgressArithmetic, AZeroTotalKeepsZeroPercentWhateverThePartsSay) {
  TProgressBar bar;
  bar.SetTotalParts(0);
  bar.SetPartsComplete(1);
  EXPECT_EQ(bar.PartsComplete(), 0u);
  EXPECT_EQ(bar.Percent(), 0);
}

TEST(ProgressArithmetic, FillWidthRoundsHalfToEven) {
  EXPECT_EQ(ui::FillWidth(0, 306), 0);
  EXPECT_EQ(ui::FillWidth(50, 305), 152);  // 152.5
  EXPECT_EQ(ui::FillWidth(50, 307), 154);  // 153.5
  EXPECT_EQ(ui::FillWidth(12, 306), 37);   // 36.72
  EXPECT_EQ(ui::FillWidth(100, 306), 306);
  EXPECT_EQ(ui::FillWidth(250, 306), 306);
}

// The bar as the window holds it: 310 x 15 with the window font.
class ShownBar : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(uitest::ShowControl(bar, QSize(310, 15)));
    bar.SetTotalParts(100);
  }
  QImage Grab() { return uitest::GrabPixels(bar); }

  TProgressBar bar;
};

TEST_F(ShownBar, RepaintsAtOnceOnlyWhenThePercentChanges) {
  bar.SetTotalParts(1000);
  bar.SetPartsComplete(10);  // 1%
  const int painted = bar.PaintCount();
  bar.SetPartsComplete(11);  // still 1%
  bar.SetPartsComplete(12);
  EXPECT_EQ(bar.PaintCount(), painted);
  bar.SetPartsComplete(20);  // 2%: painted before the call returns
  EXPECT_EQ(bar.PaintCount(), painted + 1);
}

TEST_F(ShownBar, FillAndTextShowThePercentInBothColours) {
  bar.SetPartsComplete(50);
  const QImage image = Grab();
  const QRgb highlight = ui::HighlightColor().rgb();
  const QRgb window = ui::WindowColor().rgb();
  const QRgb face = ui::ButtonFaceColor().rgb();
  const QRgb shadow = ui::ButtonShadowColor().rgb();

  // Band, sunken edge, then the inner rectangle from x 2 to 307: 153 pixels filled.
  EXPECT_EQ(image.pixel(0, 7), face);
  EXPECT_EQ(image.pixel(1, 7), shadow);
  EXPECT_EQ(image.pixel(5, 1), shadow);
  EXPECT_EQ(image.pixel(2, 12), highlight);
  EXPECT_EQ(image.pixel(2 + 152, 12), highlight);
  EXPECT_EQ(image.pixel(2 + 153, 12), window);
  EXPECT_EQ(image.pixel(307, 12), window);

  // "50%" straddles the edge of the fill at x 155: its left part in the window colour over
  // the fill, its right part in the highlight colour over the empty part.
  bool windowTextOnFill = false;
  bool highlightTextOnEmpty = false;
  for (int y = 2; y < 13; ++y) {
    for (int x = 130; x < 155; ++x) {
      if (image.pixel(x, y) != highlight) windowTextOnFill = true;
    }
    for (int x = 155; x < 180; ++x) {
      if (image.pixel(x, y) != window) highlightTextOnEmpty = true;
    }
  }
  EXPECT_TRUE(windowTextOnFill);
  EXPECT_TRUE(highlightTextOnEmpty);
}

TEST_F(ShownBar, ZeroShowsNoFill) {
  bar.SetPartsComplete(0);
  const QImage image = Grab();
  for (int x = 2; x < 130; ++x) {
    EXPECT_EQ(image.pixel(x, 12), ui::WindowColor().rgb()) << x;
  }
}

}  // namespace
