#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTest>

#include "ui/qt/widgets/balloon_hint.h"
#include "ui/qt/widgets/port_button.h"
#include "ui/qt/widgets/progress_bar.h"
#include "window_rig.h"

namespace {

// Pictures of the main window for the documentation; taken only when
// LOADER_SCREENSHOT_DIR names the folder to write them into.
class Screenshots : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = qEnvironmentVariable("LOADER_SCREENSHOT_DIR");
    if (folder.isEmpty()) GTEST_SKIP() << "LOADER_SCREENSHOT_DIR not set";
    rig.ports = {"ttyS0", "ttyUSB0", "ttyACM0", "ttyS1"};
    rig.WriteValidSettings();
    rig.Create();
    rig.form->show();
  }

  void Save(const QPixmap& picture, const char* name) {
    EXPECT_TRUE(picture.save(folder + QLatin1Char('/') + QLatin1String(name)));
  }

  QString folder;
  uitest::WindowRig rig;
};

TEST_F(Screenshots, Idle) {
  uitest::ProcessEvents();
  Save(rig.form->grab(), "main-idle.png");
}

TEST_F(Screenshots, PortMenuOpen) {
  ui::TForm1& form = rig.Form();
  QTest::mousePress(form.ToolButton2, Qt::LeftButton, Qt::NoModifier, QPoint(32, 12));
  ASSERT_TRUE(form.PortMenu->isVisible());
  form.PortMenu->setActiveAction(form.PortMenu->actions().at(1));
  uitest::ProcessEvents();
  const QPixmap window = form.grab();
  const QPixmap menu = form.PortMenu->grab();
  const QPoint at = form.ToolButton2->mapTo(&form, QPoint(0, form.ToolButton2->height()));
  QPixmap picture(std::max(window.width(), at.x() + menu.width()),
                  std::max(window.height(), at.y() + menu.height()));
  picture.fill(QColor(0x3a, 0x6e, 0xa5));
  QPainter p(&picture);
  p.drawPixmap(0, 0, window);
  p.drawPixmap(at, menu);
  p.end();
  Save(picture, "main-port-menu.png");
  form.PortMenu->hide();
}

TEST_F(Screenshots, DownloadAtFortyPercent) {
  ui::TForm1& form = rig.Form();
  auto& target = rig.port.target;
  std::vector<std::uint8_t> image(128 * 20, 0x5a);
  rig.images.SetImage(image);
  form.PortMenu->actions().front()->trigger();
  form.ABegin->trigger();
  target.SendHello();
  while (form.ProgressBar1->Percent() < 40 && target.DeliverOne()) {
  }
  uitest::ProcessEvents();
  Save(form.grab(), "main-download.png");
}

TEST_F(Screenshots, BalloonHint) {
  ui::TForm1& form = rig.Form();
  ui::TBalloonWindow balloon;
  const QPoint mouse = form.ToolButton2->mapToGlobal(QPoint(12, 14));
  balloon.ShowAt(mouse, form.ToolButton2->toolTip());
  uitest::ProcessEvents();
  const QPixmap window = form.grab();
  const QPixmap hint = balloon.grab();
  const QPoint at = balloon.pos() - form.mapToGlobal(QPoint(0, 0));
  const QRect all = QRect(QPoint(0, 0), window.size()).united(QRect(at, hint.size()));
  QPixmap picture(all.size());
  picture.fill(QColor(0x3a, 0x6e, 0xa5));
  QPainter p(&picture);
  p.drawPixmap(-all.topLeft(), window);
  p.setClipRegion(balloon.mask().translated(at - all.topLeft()));
  p.drawPixmap(at - all.topLeft(), hint);
  p.end();
  Save(picture, "main-hint.png");
}

}  // namespace
