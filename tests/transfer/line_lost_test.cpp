// The port closed itself because the line failed: the download ends at once, whatever its
// state, and the next Start downloads from scratch.
#include <gtest/gtest.h>

#include <stdexcept>

#include "rig.h"

namespace transfer::testing {
namespace {

TEST(LineLost, MidDownloadEndsItAndTheNextStartBeginsAfresh) {
  Rig rig;
  const auto image = RandomImage(2000, 21);
  rig.images.SetImage(image);
  rig.download.Start("fw.hex");
  rig.target.SendHello();
  for (int i = 0; i < 12; ++i) ASSERT_TRUE(rig.target.DeliverOne());
  ASSERT_GT(rig.download.BlockCount(), 0);
  const std::size_t sent = rig.target.Packets().size();

  rig.journal.clear();
  EXPECT_TRUE(rig.download.LineLost(true));
  // As after a wrong reply, without the notice: the failure has its own report.
  EXPECT_EQ(rig.journal, (Journal{"parts 0", "hide progress", "close image", "controls on"}));
  EXPECT_EQ(rig.download.TransferState(), State::Idle);
  EXPECT_FALSE(rig.download.HasImageStream());
  EXPECT_TRUE(rig.view.informations.empty());
  // Whatever was still on the line finds the download gone.
  rig.target.Run();
  EXPECT_EQ(rig.target.Packets().size(), sent);

  rig.download.Start("fw.hex");
  rig.target.SendHello();
  rig.target.Run();
  EXPECT_TRUE(rig.target.Finished());
  // The second download's blocks start again at block 0, address 0.
  const auto& addresses = rig.target.DataAddresses();
  ASSERT_GT(addresses.size(), 16u);
  EXPECT_EQ(addresses[addresses.size() - 16], 0u);
  const auto& got = rig.target.Image();
  EXPECT_TRUE(std::equal(image.begin(), image.end(), got.end() - 16 * 128));
  EXPECT_TRUE(rig.view.informations.empty());
}

// The line died in the middle of a data packet's echo (TxLength 131, RxCount 10): the next
// Start must take the very next byte for the hello, not for the rest of that echo.
TEST(LineLost, InTheMiddleOfAnEchoTheNextStartHearsTheHello) {
  Rig rig;
  const auto image = RandomImage(700, 24);
  rig.images.SetImage(image);
  rig.target.SetChunk(1);
  rig.download.Start("fw.hex");
  rig.target.SendHello();
  while (!(rig.download.TxLength() == 131 && rig.download.RxCount() == 10))
    ASSERT_TRUE(rig.target.DeliverOne());
  EXPECT_TRUE(rig.download.LineLost(true));
  rig.target.Discard();
  const std::size_t before = rig.target.Packets().size();
  rig.download.Start("fw.hex");
  rig.target.SendHello();
  rig.target.Run();
  EXPECT_TRUE(rig.target.Finished());
  EXPECT_EQ(rig.target.Packets().size() - before,
            1u + 2u + 6u + 1u);  // sync, 2 addresses, 6 blocks, end
}

TEST(LineLost, WhileWaitingHidesThePromptAndIgnoresALateHello) {
  Rig rig;
  rig.images.SetImage(std::vector<std::uint8_t>(300, 7));
  rig.download.Start("fw.hex");
  rig.journal.clear();
  EXPECT_TRUE(rig.download.LineLost(true));
  EXPECT_EQ(rig.journal,
            (Journal{"parts 0", "hide progress", "close image", "controls on", "hide prompt"}));
  rig.target.SendHello();
  rig.target.Run();
  EXPECT_TRUE(rig.target.Packets().empty());
}

// A read error of the image ends the download the same way, then leaves for the report.
TEST(ImageReadFailure, MidDownloadEndsItBeforeTheFailureIsReported) {
  for (const std::size_t failAt : {std::size_t{0}, std::size_t{600}}) {
    SCOPED_TRACE(failAt);
    Rig rig;
    rig.images.SetImage(RandomImage(2000, 22));
    rig.images.FailReadAt(failAt, "Cannot read file \"/w/app.BIN\". Input/output error");
    rig.download.Start("fw.hex");
    rig.target.SendHello();
    try {
      rig.target.Run();
      ADD_FAILURE() << "no failure";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "Cannot read file \"/w/app.BIN\". Input/output error");
    }
    EXPECT_EQ(rig.download.TransferState(), State::Idle);
    EXPECT_FALSE(rig.download.HasImageStream());
    EXPECT_TRUE(rig.view.controlsEnabled);
    EXPECT_FALSE(rig.view.progressVisible);
    EXPECT_EQ(rig.view.parts, 0u);
    EXPECT_TRUE(rig.view.informations.empty());
  }
}

TEST(LineLost, WhileIdleChangesNothing) {
  Rig rig;
  rig.Flash(std::vector<std::uint8_t>(100, 3));
  ASSERT_TRUE(rig.target.Finished());
  rig.journal.clear();
  EXPECT_TRUE(rig.download.LineLost(true));
  EXPECT_TRUE(rig.journal.empty());
}

// The target restarts into its new firmware as soon as it has the end command, taking the line
// and the end command's echo with it: once the end command is written, the download has
// finished. Lost before that, it has failed.
TEST(LineLost, AfterTheEndCommandWasWrittenTheDownloadHasFinished) {
  for (const bool written : {true, false}) {
    SCOPED_TRACE(written);
    Rig rig;
    rig.images.SetImage(std::vector<std::uint8_t>(300, 9));
    rig.download.Start("fw.hex");
    rig.target.SendHello();
    while (rig.target.Packets().empty() || rig.target.Packets().back()[0] != 0x99)
      ASSERT_TRUE(rig.target.DeliverOne());
    rig.journal.clear();
    EXPECT_EQ(rig.download.LineLost(written), !written);
    EXPECT_EQ(rig.view.endings, std::vector<Ending>{written ? Ending::Finished : Ending::LineLost});
    EXPECT_TRUE(rig.journal.empty()) << "the window was already set back by the finish";
    EXPECT_TRUE(rig.download.LineLost(true)) << "a second loss is no longer the download's";
  }
}

}  // namespace
}  // namespace transfer::testing
