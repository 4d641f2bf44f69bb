#include <gtest/gtest.h>

#include <QAction>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QScreen>
#include <QTest>

#include "ui/qt/widgets/glyphs.h"
#include "ui/qt/widgets/port_button.h"
#include "ui/qt/widgets/port_status_pane.h"
#include "ui/qt/widgets/progress_bar.h"
#include "ui/qt/widgets/status_bar.h"
#include "ui/qt/widgets/tool_bar.h"
#include "window_rig.h"

namespace {

using uitest::WindowRig;

TEST(MainWindowLayout, ControlsSitWhereTheDesignPutsThem) {
  WindowRig rig;
  rig.WriteValidSettings();
  ui::TForm1& form = rig.Create();

  EXPECT_EQ(form.size(), QSize(361, 147));
  EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "the window must not be resizable";
  EXPECT_FALSE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(form.windowFlags() & Qt::WindowCloseButtonHint);

  EXPECT_EQ(form.Toolbar1->geometry(), QRect(0, 0, 361, 29));
  EXPECT_EQ(form.ToolButton1->geometry(), QRect(4, 2, 25, 25));
  EXPECT_EQ(form.ToolButton2->geometry(), QRect(29, 2, 39, 25));
  EXPECT_EQ(form.ToolButton3->geometry(), QRect(68, 2, 25, 25));
  EXPECT_EQ(form.ToolButton4->geometry(), QRect(93, 2, 25, 25));
  EXPECT_EQ(form.StatusBar1->geometry(), QRect(0, 128, 361, 19));
  EXPECT_EQ(form.PortStatusPane->geometry(), QRect(2, 2, 47, 15));
  EXPECT_EQ(form.ProgressBar1->geometry(), QRect(49, 2, 310, 15));
  EXPECT_FALSE(form.ProgressBar1->isVisibleTo(&form)) << "hidden while idle";

  // No control in the band between the toolbar and the status bar.
  for (const QWidget* child : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isWindow() || !child->isVisibleTo(&form)) continue;
    const QRect r = child->geometry();
    EXPECT_TRUE(r.bottom() <= 28 || r.top() >= 128) << child->objectName().toStdString();
  }
}

TEST(MainWindowLayout, EveryControlUsesTheElevenPixelFont) {
  WindowRig rig;
  rig.WriteValidSettings();
  ui::TForm1& form = rig.Create();
  for (const QWidget* widget :
       {static_cast<QWidget*>(&form), static_cast<QWidget*>(form.PortStatusPane),
        static_cast<QWidget*>(form.ProgressBar1), static_cast<QWidget*>(form.ToolButton3)}) {
    EXPECT_EQ(QFontInfo(widget->font()).pixelSize(), 11) << widget->objectName().toStdString();
    EXPECT_EQ(widget->font().styleHint(), QFont::SansSerif);
  }
}

TEST(MainWindowLayout, ActionsCarryTheirCaptionsHintsAndGlyphs) {
  WindowRig rig;
  rig.WriteValidSettings();
  ui::TForm1& form = rig.Create();
  struct Expected {
    QAction* action;
    const char* caption;
    const char* hint;
  };
  for (const Expected& e :
       {Expected{form.AExit, "Выход", "Выход"},
        Expected{form.ASelectFile, "Файл", "Выбор файла для загрузки"},
        Expected{form.ABegin, "Старт", "Начать загрузку"},
        Expected{form.AChangeComPort, "AChangeComPort", "Выбрать последовательный порт"}}) {
    EXPECT_EQ(e.action->text(), QString::fromUtf8(e.caption));
    EXPECT_EQ(e.action->toolTip(), QString::fromUtf8(e.hint));
    EXPECT_TRUE(e.action->isEnabled());
    EXPECT_TRUE(e.action->shortcut().isEmpty());
    EXPECT_EQ(e.action->icon().availableSizes().value(0), QSize(16, 16));
  }
  // The buttons take glyph, hint and state from their actions; the Port button has none.
  EXPECT_EQ(form.ToolButton1->defaultAction(), form.ASelectFile);
  EXPECT_EQ(form.ToolButton3->defaultAction(), form.ABegin);
  EXPECT_EQ(form.ToolButton4->defaultAction(), form.AExit);
  EXPECT_EQ(form.ToolButton2->defaultAction(), nullptr);
  EXPECT_EQ(form.ToolButton1->toolTip(), QString::fromUtf8("Выбор файла для загрузки"));
  EXPECT_EQ(form.ToolButton2->toolTip(), QString::fromUtf8("Выбрать последовательный порт"));
  EXPECT_EQ(form.ToolButton2->text(), QString::fromUtf8("Порт"));
  form.ABegin->setEnabled(false);
  EXPECT_FALSE(form.ToolButton3->isEnabled());
}

// Each glyph is a real picture: mostly opaque in its middle, its own colours, and no two alike.
TEST(MainWindowLayout, GlyphsAreDistinctPictures) {
  std::vector<QImage> images;
  for (int i = 0; i < ui::kGlyphCount; ++i) {
    const QImage image = ui::PaintGlyph(static_cast<ui::Glyph>(i)).toImage();
    ASSERT_EQ(image.size(), QSize(16, 16));
    int opaque = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) opaque += qAlpha(image.pixel(x, y)) > 128;
    EXPECT_GT(opaque, 40) << "glyph " << i;
    EXPECT_LT(opaque, 256) << "glyph " << i << " has no transparent surround";
    for (const QImage& other : images) EXPECT_NE(image, other);
    images.push_back(image);
  }
  const auto isYellow = [](QRgb c) {
    return qRed(c) > 200 && qGreen(c) > 150 && qBlue(c) < 120 && qAlpha(c) > 200;
  };
  EXPECT_TRUE(isYellow(images[2].pixel(9, 7))) << "the lightning bolt is yellow";
  EXPECT_TRUE(isYellow(images[0].pixel(6, 11))) << "the folder is yellow";
}

TEST(MainWindowLayout, FirstShownInTheMiddleOfTheDesktop) {
  WindowRig rig;
  rig.WriteValidSettings();
  ui::TForm1& form = rig.Create();
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  const QPoint middle = form.screen()->geometry().center();
  // The frame, title bar included, is centred; under a window manager once it has framed it.
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return (form.frameGeometry().center() - middle).manhattanLength() <= 1; }, 5000))
      << "frame centre " << form.frameGeometry().center().x() << ","
      << form.frameGeometry().center().y();
  // Moved by the user, it stays where it was put when shown again.
  form.hide();
  form.move(10, 10);
  form.show();
  EXPECT_EQ(form.pos(), QPoint(10, 10));
}

}  // namespace
