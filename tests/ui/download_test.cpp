#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include "ui/qt/widgets/form2.h"
#include "ui/qt/widgets/port_button.h"
#include "ui/qt/widgets/progress_bar.h"
#include "window_rig.h"

namespace {

using testsupport::ModalWatcher;
using uitest::WindowRig;

struct Controls {
  bool start, file, port, exit;
  bool operator==(const Controls&) const = default;
};

Controls Enabled(const ui::TForm1& form) {
  return {form.ToolButton3->isEnabled(), form.ToolButton1->isEnabled(),
          form.ToolButton2->isEnabled(), form.ToolButton4->isEnabled()};
}

class WindowDownload : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.WriteValidSettings();
    rig.images.SetImage(transfer::testing::PatternImage(1000));  // 7 full blocks and one short one
    rig.Create();
    prompt = std::make_unique<ui::TForm2>(rig.form.get());
    rig.form->SetPromptWindow(prompt.get());
    rig.form->show();
    rig.form->PortMenu->actions().front()->trigger();  // COM1, opened
  }
  void TearDown() override {
    if (rig.form) rig.form->SetPromptWindow(nullptr);
  }

  WindowRig rig;
  std::unique_ptr<ui::TForm2> prompt;
};

TEST_F(WindowDownload, StartWithoutAFileIsReportedAndChangesNothing) {
  ui::TForm1& form = rig.Form();
  rig.images.FailWith("Cannot open file \"\". No such file or directory");
  rig.guard.ExpectAny([](QWidget* box) {
    EXPECT_TRUE(ModalWatcher::TextOf(box).startsWith("Cannot open file \"\". No such file"));
    ModalWatcher::Dismiss(box);
  });
  form.ABegin->trigger();
  EXPECT_EQ(form.Behaviour().Transfer().TransferState(), transfer::State::Idle);
  EXPECT_FALSE(prompt->isVisible());
}

TEST_F(WindowDownload, ClosingTheWindowMidwayClosesThePortAndSendsNothingMore) {
  ui::TForm1& form = rig.Form();
  auto& target = rig.port.target;
  form.ABegin->trigger();
  target.SendHello();
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(target.DeliverOne());
  // The widgets follow the download: only Exit is left usable.
  EXPECT_EQ(Enabled(form), (Controls{false, false, false, true}));
  EXPECT_TRUE(form.ProgressBar1->isVisible());
  EXPECT_FALSE(prompt->isVisible());
  const std::size_t sent = target.Packets().size();
  form.AExit->trigger();
  EXPECT_FALSE(form.isVisible());
  rig.form->SetPromptWindow(nullptr);
  rig.form.reset();
  EXPECT_FALSE(rig.port.Active());
  EXPECT_EQ(target.Packets().size(), sent);
}

}  // namespace
