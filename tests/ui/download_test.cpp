#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include "ui/widgets/form2.h"
#include "ui/widgets/port_button.h"
#include "ui/widgets/progress_bar.h"
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

std::vector<std::uint8_t> Image(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
  return bytes;
}

class WindowDownload : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.WriteValidSettings();
    rig.images.SetImage(Image(1000));  // 7 full blocks and one short one
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

TEST_F(WindowDownload, ControlsAreDisabledFromTheHelloUntilTheEnd) {
  ui::TForm1& form = rig.Form();
  auto& target = rig.port.target;
  const Controls all{true, true, true, true};
  const Controls onlyExit{false, false, false, true};

  form.ABegin->trigger();
  EXPECT_EQ(form.Transfer().TransferState(), transfer::State::WaitingForDevice);
  EXPECT_TRUE(prompt->isVisible());
  EXPECT_FALSE(form.ProgressBar1->isVisible());
  EXPECT_EQ(Enabled(form), all) << "waiting for the device leaves everything usable";
  EXPECT_EQ(form.ProgressBar1->TotalParts(), 7u);

  target.SendHello();
  ASSERT_TRUE(target.DeliverOne());
  EXPECT_EQ(Enabled(form), onlyExit);
  EXPECT_FALSE(prompt->isVisible());
  EXPECT_TRUE(form.ProgressBar1->isVisible());

  std::vector<std::uint16_t> percents;
  while (target.DeliverOne()) {
    if (!target.Finished()) {
      EXPECT_EQ(Enabled(form), onlyExit);
      EXPECT_TRUE(form.ProgressBar1->isVisible());
    }
    if (percents.empty() || percents.back() != form.ProgressBar1->Percent()) {
      percents.push_back(form.ProgressBar1->Percent());
    }
  }
  EXPECT_TRUE(target.Finished());
  EXPECT_EQ(target.Image().size(), 8u * 128);
  const std::vector<std::uint8_t> sent = Image(1000);
  EXPECT_TRUE(std::equal(sent.begin(), sent.end(), target.Image().begin()));
  EXPECT_EQ(Enabled(form), all);
  EXPECT_FALSE(form.ProgressBar1->isVisible());
  EXPECT_EQ(form.Transfer().TransferState(), transfer::State::Idle);
  // 1 to 7 of 7 blocks, then the last short block stays at 100.
  EXPECT_EQ(percents, (std::vector<std::uint16_t>{0, 14, 29, 43, 57, 71, 86, 100}));
}

// The engine gives the controls back after a wrong reply, so that the user can try again.
TEST_F(WindowDownload, AWrongReplyShowsTheMessageAndGivesTheControlsBack) {
  ui::TForm1& form = rig.Form();
  auto& target = rig.port.target;
  target.ReplaceReply(2, 0x00);  // the first data block's checksum
  form.ABegin->trigger();
  target.SendHello();
  rig.guard.ExpectAny([&](QWidget* box) {
    EXPECT_EQ(ModalWatcher::TextOf(box), QString::fromUtf8("Ошибка ответа"));
    EXPECT_FALSE(form.ProgressBar1->isVisible()) << "reset before the message";
    ModalWatcher::Dismiss(box);
  });
  target.Run();
  EXPECT_EQ(rig.guard.Answered(), 1);
  EXPECT_EQ(form.Transfer().TransferState(), transfer::State::Idle);
  EXPECT_EQ(Enabled(form), (Controls{true, true, true, true}));
  EXPECT_FALSE(target.Finished());
}

TEST_F(WindowDownload, StartWithoutAFileIsReportedAndChangesNothing) {
  ui::TForm1& form = rig.Form();
  rig.images.FailWith("Cannot open file \"\". No such file or directory");
  rig.guard.ExpectAny([](QWidget* box) {
    EXPECT_TRUE(ModalWatcher::TextOf(box).startsWith("Cannot open file \"\". No such file"));
    ModalWatcher::Dismiss(box);
  });
  form.ABegin->trigger();
  EXPECT_EQ(form.Transfer().TransferState(), transfer::State::Idle);
  EXPECT_FALSE(prompt->isVisible());
}

TEST_F(WindowDownload, ClosingTheWindowMidwayClosesThePortAndSendsNothingMore) {
  ui::TForm1& form = rig.Form();
  auto& target = rig.port.target;
  form.ABegin->trigger();
  target.SendHello();
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(target.DeliverOne());
  const std::size_t sent = target.Packets().size();
  form.AExit->trigger();
  EXPECT_FALSE(form.isVisible());
  rig.form->SetPromptWindow(nullptr);
  rig.form.reset();
  EXPECT_FALSE(rig.port.Active());
  EXPECT_EQ(target.Packets().size(), sent);
}

}  // namespace
