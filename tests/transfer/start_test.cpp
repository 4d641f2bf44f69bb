#include <gtest/gtest.h>

#include <stdexcept>

#include "rig.h"

namespace transfer::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Start, OpensTheImageAndThePortThenAsksForPower) {
  Rig rig;
  rig.images.SetImage(Bytes(300, 0x11));
  rig.download.Start("fw.hex");
  EXPECT_EQ(rig.journal,
            (Journal{"open image fw.hex", "total 2", "parts 0", "open port", "show prompt"}));
  EXPECT_EQ(rig.download.TransferState(), State::WaitingForDevice);
  EXPECT_EQ(rig.download.ExpectedReply(), 0x55);
  EXPECT_EQ(rig.download.TxLength(), 0);
  EXPECT_TRUE(rig.target.Active());
  EXPECT_FALSE(rig.view.progressVisible);
  EXPECT_TRUE(rig.view.controlsEnabled);
  EXPECT_TRUE(rig.target.Packets().empty());
}

TEST(Start, LeavesAnOpenPortAlone) {
  Rig rig;
  rig.target.SetActive(true);
  rig.download.Start("fw.hex");
  EXPECT_EQ(rig.target.OpenCalls(), 0);
  EXPECT_TRUE(rig.view.promptVisible);
}

struct PortCase {
  const char* name;
  bool chosen;
};

class PortChoice : public ::testing::TestWithParam<PortCase> {};

TEST_P(PortChoice, OnlyTheInitialNameMeansNoPort) {
  Rig rig;
  rig.target.SetDeviceName(GetParam().name);
  rig.download.Start("fw.hex");
  rig.target.SendHello();
  rig.target.Run();
  if (GetParam().chosen) {
    EXPECT_TRUE(rig.target.Finished());
  } else {
    EXPECT_TRUE(rig.journal.empty());
    EXPECT_EQ(rig.images.Conversions(), 0);
    EXPECT_EQ(rig.download.TransferState(), State::Idle);
    EXPECT_TRUE(rig.target.Packets().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Names, PortChoice,
                         ::testing::Values(PortCase{"COM%d", false}, PortCase{"com%d", true},
                                           PortCase{"COM%d ", true}, PortCase{"COM1", true},
                                           PortCase{"/dev/ttyUSB0", true}));

TEST(Start, AgainWhileWaitingConvertsAfreshAndDownloadsOnce) {
  Rig rig;
  rig.images.SetImage(Bytes(200, 0x11));
  rig.download.Start("fw.hex");
  const auto second = RandomImage(260, 10);
  rig.images.SetImage(second);
  rig.download.Start("fw.hex");
  EXPECT_EQ(rig.images.Conversions(), 2);
  EXPECT_EQ(rig.images.OpenStreams(), 1);
  EXPECT_EQ(rig.journal[5], "close image");
  EXPECT_EQ(rig.journal[6], "open image fw.hex");

  rig.target.SendHello();
  rig.target.Run();
  EXPECT_TRUE(rig.target.Finished());
  EXPECT_EQ(rig.target.Packets().front(), (ScriptedTarget::Packet{0x55, 0x33, 0xCC}));
  EXPECT_EQ(rig.target.Packets().size(), 6u);
  EXPECT_TRUE(HoldsImage(rig.target, second));
}

TEST(Start, PortThatFailsToOpenLeavesTheTransferWaiting) {
  Rig rig;
  rig.target.FailOpen("Port busy");
  rig.images.SetImage({7, 7, 7});
  try {
    rig.download.Start("fw.hex");
    FAIL() << "Start went on with a port that did not open";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Port busy");
  }
  EXPECT_EQ(rig.journal.back(), "open port");
  EXPECT_FALSE(rig.view.promptVisible);
  EXPECT_EQ(rig.download.TransferState(), State::WaitingForDevice);
  EXPECT_TRUE(rig.download.HasImageStream());

  // Opened later from the port menu: the hello still starts the transfer.
  rig.target.SetActive(true);
  rig.target.SendHello();
  rig.target.Run();
  EXPECT_TRUE(rig.target.Finished());
}

// A second Start whose HEX file fails must not leave the first one waiting without an image:
// the next hello would then download an empty image as if all were well.
TEST(Start, ImageFailureWhileWaitingAbandonsTheWait) {
  Rig rig;
  rig.download.Start("fw.hex");
  rig.images.FailWith("Cannot open file \"/tmp/fw.BIN\". No such file or directory");
  rig.journal.clear();
  EXPECT_THROW(rig.download.Start("fw.hex"), std::runtime_error);
  EXPECT_EQ(rig.journal, (Journal{"close image", "open image fw.hex", "hide prompt"}));
  EXPECT_EQ(rig.images.OpenStreams(), 0);
  EXPECT_EQ(rig.download.TransferState(), State::Idle);
  EXPECT_FALSE(rig.view.promptVisible);

  rig.target.SendHello();
  rig.target.Run();
  EXPECT_TRUE(rig.target.Packets().empty());
}

TEST(Start, ImageFailureWhileIdleChangesNothingElse) {
  Rig rig;
  rig.images.FailWith("Cannot open file \"\". No such file or directory");
  EXPECT_THROW(rig.download.Start(""), std::runtime_error);
  EXPECT_EQ(rig.journal, (Journal{"open image "}));
  EXPECT_EQ(rig.download.TransferState(), State::Idle);
}

// Start pressed while the wrong-reply message is open: bytes read before it belong to the
// abandoned download and must not count as the new one's hello.
TEST(Start, InsideTheWrongReplyMessageWaitsForAFreshHello) {
  Rig rig;
  rig.images.SetImage(Bytes(300, 0x01));
  rig.target.ReplaceReply(2, 0x13);
  rig.target.AppendAfterReply(2, 0x55);
  bool usable = false;
  rig.view.WhileInformationShown = [&] {
    usable = rig.view.controlsEnabled && !rig.view.progressVisible;
    rig.download.Start("fw.hex");
  };
  rig.download.Start("fw.hex");
  rig.target.SendHello();
  rig.target.Run();
  EXPECT_TRUE(usable);
  EXPECT_EQ(rig.target.Packets().size(), 3u);
  EXPECT_EQ(rig.download.TransferState(), State::WaitingForDevice);
  EXPECT_EQ(rig.view.informations.size(), 1u);

  rig.view.WhileInformationShown = nullptr;
  rig.target.SendHello();
  rig.target.Run();
  EXPECT_TRUE(rig.target.Finished());
  EXPECT_EQ(rig.view.informations.size(), 1u);
}

// A wrong reply to the last block leaves LastBlock set and TxLength at 131: Start must
// clear both, or the hello would be taken for echo, or block 0 be followed by the end.
TEST(Start, AfterAWrongReplyToTheLastBlockDownloadsAfresh) {
  Rig rig;
  const auto image = RandomImage(300, 23);
  rig.images.SetImage(image);
  rig.target.ReplaceReply(4, 0x13);  // sync, address, blocks 0 to 2: packet 4 is the last block
  rig.download.Start("fw.hex");
  rig.target.SendHello();
  rig.target.Run();
  ASSERT_EQ(rig.view.informations, std::vector<std::string>{"Ошибка ответа"});
  ASSERT_TRUE(rig.download.LastBlock());
  const std::size_t before = rig.target.Packets().size();

  Rig fresh;  // what the second download must look like
  fresh.Flash(image);
  rig.download.Start("fw.hex");
  rig.target.SendHello();
  rig.target.Run();
  const std::vector<ScriptedTarget::Packet> second(rig.target.Packets().begin() + before,
                                                   rig.target.Packets().end());
  EXPECT_EQ(second, fresh.target.Packets());
  EXPECT_TRUE(rig.target.Finished());
  EXPECT_EQ(rig.view.endings, (std::vector<Ending>{Ending::WrongReply, Ending::Finished}));
}

TEST(Start, BytesBeforeStartAreIgnored) {
  Rig rig;
  rig.target.Inject({0x55, 0x42, 0x00});
  rig.target.Run();
  EXPECT_TRUE(rig.target.Packets().empty());
  EXPECT_TRUE(rig.view.informations.empty());
}

}  // namespace
}  // namespace transfer::testing
