#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "behaviour_rig.h"

namespace {

using behaviourtest::BehaviourRig;

class DownloadView : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.WriteValidSettings();
    rig.images.SetImage(transfer::testing::PatternImage(1000));  // 7 full blocks and one short one
    rig.Create();
    rig.form->PortMenuItemClick("COM1");
  }

  BehaviourRig rig;
};

TEST_F(DownloadView, ControlsAreSwitchedOffFromTheHelloUntilTheEnd) {
  ui::TForm1Behaviour& form = *rig.form;
  auto& controls = rig.controls;
  auto& target = rig.port.target;

  form.ABeginExecute();
  EXPECT_EQ(form.Transfer().TransferState(), transfer::State::WaitingForDevice);
  EXPECT_TRUE(controls.promptShown);
  EXPECT_FALSE(controls.progressShown);
  EXPECT_TRUE(controls.DownloadControlsEnabled()) << "waiting leaves everything usable";
  EXPECT_EQ(controls.progressTotal, 7u);

  target.SendHello();
  ASSERT_TRUE(target.DeliverOne());
  EXPECT_TRUE(controls.DownloadControlsDisabled());
  EXPECT_TRUE(controls.Enabled(ui::Control::ChangeComPort)) << "never switched off";
  EXPECT_FALSE(controls.promptShown);
  EXPECT_TRUE(controls.progressShown);

  std::vector<std::uint32_t> parts;
  while (target.DeliverOne()) {
    if (!target.Finished()) {
      EXPECT_TRUE(controls.DownloadControlsDisabled());
      EXPECT_TRUE(controls.progressShown);
    }
    if (parts.empty() || parts.back() != controls.progressParts)
      parts.push_back(controls.progressParts);
  }
  EXPECT_TRUE(target.Finished());
  const std::vector<std::uint8_t> sent = transfer::testing::PatternImage(1000);
  ASSERT_EQ(target.Image().size(), 8u * 128);
  EXPECT_TRUE(std::equal(sent.begin(), sent.end(), target.Image().begin()));
  EXPECT_TRUE(controls.DownloadControlsEnabled());
  EXPECT_FALSE(controls.progressShown);
  EXPECT_EQ(form.Transfer().TransferState(), transfer::State::Idle);
  EXPECT_EQ(parts, (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_TRUE(controls.informations.empty());
}

// After a wrong reply the controls come back, so that the user can try again.
TEST_F(DownloadView, AWrongReplyShowsTheMessageAndGivesTheControlsBack) {
  auto& target = rig.port.target;
  target.ReplaceReply(2, 0x00);  // the first data block's checksum
  rig.form->ABeginExecute();
  target.SendHello();
  target.Run();
  EXPECT_EQ(rig.controls.informations, std::vector<std::string>{"Ошибка ответа"});
  EXPECT_FALSE(rig.controls.progressShown);
  EXPECT_TRUE(rig.controls.DownloadControlsEnabled());
  EXPECT_EQ(rig.form->Transfer().TransferState(), transfer::State::Idle);
  EXPECT_FALSE(target.Finished());
}

TEST_F(DownloadView, AHungUpLineEndsTheWaitAndAFailingStartShowsNoPrompt) {
  rig.form->ABeginExecute();
  ASSERT_TRUE(rig.controls.promptShown);
  rig.port.Close();
  EXPECT_TRUE(rig.form->Comm1LineLost(true));
  EXPECT_FALSE(rig.controls.promptShown) << "no hello can come through a closed port";
  EXPECT_EQ(rig.form->Transfer().TransferState(), transfer::State::Idle);
  EXPECT_TRUE(rig.controls.informations.empty()) << "the port reports the failure itself";

  rig.images.FailWith("Cannot open file \"\". No such file or directory");
  EXPECT_THROW(rig.form->ABeginExecute(), std::runtime_error);
  EXPECT_EQ(rig.form->Transfer().TransferState(), transfer::State::Idle);
  EXPECT_FALSE(rig.controls.promptShown);
  EXPECT_EQ(rig.controls.promptShowings, 1);
}

}  // namespace
