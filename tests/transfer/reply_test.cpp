#include <gtest/gtest.h>

#include "rig.h"

namespace transfer::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
const std::string kWrongReply = "Ошибка ответа";

// Noise before the hello, in arrivals of their own or with the hello.
class NoiseBeforeHello : public ::testing::TestWithParam<std::vector<Bytes>> {};

TEST_P(NoiseBeforeHello, IsIgnored) {
  Rig rig;
  const auto image = RandomImage(200, 4);
  rig.images.SetImage(image);
  rig.download.Start("fw.hex");
  for (const auto& arrival : GetParam()) rig.target.Inject(arrival);
  rig.target.Run();
  EXPECT_TRUE(rig.target.Finished());
  EXPECT_TRUE(rig.view.informations.empty());
  EXPECT_TRUE(HoldsImage(rig.target, image));
}

INSTANTIATE_TEST_SUITE_P(Arrivals, NoiseBeforeHello,
                         ::testing::Values(std::vector<Bytes>{{0x00}, {0xFF}, {0x55}},
                                           std::vector<Bytes>{{0x00, 0xFF, 0x00, 0xFF, 0x55}},
                                           std::vector<Bytes>{Bytes(1500, 0xFF), {0x00, 0xD5}}));

// Only the low seven bits of a reply count.
TEST(SevenBitReplies, HelloWithBitSevenSetStartsTheTransfer) {
  Rig rig;
  rig.images.SetImage({1, 2, 3});
  rig.download.Start("fw.hex");
  rig.target.SendHello(0xD5);
  rig.target.Run();
  EXPECT_TRUE(rig.target.Finished());
}

TEST(SevenBitReplies, EveryReplyWithBitSevenFlippedIsAccepted) {
  Rig rig;
  rig.target.SetFlipBit7(true);
  const auto image = RandomImage(1000, 5);
  rig.Flash(image);
  EXPECT_TRUE(rig.target.Finished());
  EXPECT_TRUE(rig.view.informations.empty());
  EXPECT_TRUE(HoldsImage(rig.target, image));
}

TEST(SevenBitReplies, AcknowledgeAs2AIsAccepted) {
  Rig rig;
  rig.target.ReplaceReply(0, 0x2A);
  rig.target.ReplaceReply(1, 0x2A);
  rig.Flash(RandomImage(50, 6));
  EXPECT_TRUE(rig.target.Finished());
}

class WrongHello : public ::testing::TestWithParam<std::uint8_t> {};

TEST_P(WrongHello, IsRejected) {
  Rig rig;
  rig.images.SetImage({1});
  rig.download.Start("fw.hex");
  rig.target.SendHello(GetParam());
  rig.target.Run();
  EXPECT_EQ(rig.view.informations, std::vector<std::string>{kWrongReply});
  EXPECT_TRUE(rig.target.Packets().empty());
}

INSTANTIATE_TEST_SUITE_P(Bytes, WrongHello,
                         ::testing::Values(0x54, 0x56, 0x15, 0xAA, 0x01, 0xFE, 0x7F, 0x80));

// The first TxLength bytes after a packet are its echo and are not looked at.
class EchoCount : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    rig.target.SetEcho(false);
    rig.target.SetAnswering(false);
    rig.images.SetImage(RandomImage(300, 8));
    rig.download.Start("fw.hex");
    Feed(0x55);
    // Lead the download to the packet under test: 0 sync, 1 address, 2 data.
    for (int i = 0; i < GetParam(); ++i) {
      ASSERT_EQ(rig.target.Packets().size(), static_cast<std::size_t>(i) + 1);
      for (std::size_t k = 0; k < Sent().size(); ++k) Feed(Sent()[k]);
      Feed(RightReply());
    }
    ASSERT_EQ(rig.target.Packets().size(), static_cast<std::size_t>(GetParam()) + 1);
  }
  const ScriptedTarget::Packet& Sent() const { return rig.target.Packets().back(); }
  std::uint8_t RightReply() const { return Sent().size() == 131 ? SumOfData(Sent()) : 0xAA; }
  void Feed(std::uint8_t byte) {
    rig.target.Inject({byte});
    rig.target.DeliverOne();
  }
  Rig rig;
};

TEST_P(EchoCount, WholeEchoIsDroppedUnseen) {
  const std::size_t echo = Sent().size();
  EXPECT_EQ(rig.download.TxLength(), static_cast<std::int32_t>(echo));
  for (std::size_t k = 0; k < echo; ++k) Feed(0x42);
  EXPECT_EQ(rig.target.Packets().size(), static_cast<std::size_t>(GetParam()) + 1);
  EXPECT_TRUE(rig.view.informations.empty());
  Feed(RightReply());
  EXPECT_EQ(rig.target.Packets().size(), static_cast<std::size_t>(GetParam()) + 2);
  EXPECT_TRUE(rig.view.informations.empty());
}

TEST_P(EchoCount, ReplyInsideTheEchoIsNotTaken) {
  const std::size_t echo = Sent().size();
  for (std::size_t k = 0; k + 1 < echo; ++k) Feed(0x42);
  Feed(RightReply());
  EXPECT_EQ(rig.download.RxCount(), static_cast<std::int32_t>(echo));
  EXPECT_EQ(rig.target.Packets().size(), static_cast<std::size_t>(GetParam()) + 1);
  Feed(RightReply());
  EXPECT_EQ(rig.target.Packets().size(), static_cast<std::size_t>(GetParam()) + 2);
  EXPECT_TRUE(rig.view.informations.empty());
}

INSTANTIATE_TEST_SUITE_P(Packets, EchoCount, ::testing::Values(0, 1, 2));

TEST(Notifications, ByteAfterTheReplyCountsAsEchoOfTheNextPacket) {
  Rig rig;
  // Every data byte 0x01: the checksum 0x80 can never be taken for a data byte.
  rig.images.SetImage(Bytes(384, 0x01));
  rig.target.AppendAfterReply(2, 0x80);
  rig.download.Start("fw.hex");
  rig.target.SendHello();
  while (rig.target.Packets().size() < 4) ASSERT_TRUE(rig.target.DeliverOne());
  EXPECT_EQ(rig.download.TxLength(), 131);
  EXPECT_EQ(rig.download.RxCount(), 1);

  // So the last byte of the next echo is taken for the reply.
  rig.target.SetChunk(1);
  for (int k = 0; k < 130; ++k) ASSERT_TRUE(rig.target.DeliverOne());
  EXPECT_TRUE(rig.view.informations.empty());
  ASSERT_TRUE(rig.target.DeliverOne());
  EXPECT_EQ(rig.view.informations, std::vector<std::string>{kWrongReply});
  rig.target.Run();
  EXPECT_EQ(rig.target.Packets().size(), 4u);
  EXPECT_EQ(rig.view.informations.size(), 1u);
}

TEST(Notifications, AtMost1024BytesAreTakenPerNotification) {
  Rig rig;
  rig.images.SetImage({1});
  rig.download.Start("fw.hex");
  Bytes arrival(1024, 0x00);
  arrival.push_back(0x42);
  rig.target.Inject(arrival);
  ASSERT_TRUE(rig.target.DeliverOne());
  EXPECT_EQ(rig.target.ReadRequests(), std::vector<std::int32_t>{1024});
  EXPECT_EQ(rig.target.Waiting(), 1u);
  EXPECT_TRUE(rig.view.informations.empty());
  EXPECT_EQ(rig.download.TransferState(), State::WaitingForDevice);

  // The byte left behind is read with the next notification, ahead of the new one.
  rig.target.Inject({0x00});
  ASSERT_TRUE(rig.target.DeliverOne());
  EXPECT_EQ(rig.target.ReadRequests().back(), 2);
  EXPECT_EQ(rig.view.informations, std::vector<std::string>{kWrongReply});
}

TEST(Notifications, BytesLeftBehindAreReadBeforeTheHello) {
  Rig rig;
  const auto image = RandomImage(700, 9);
  rig.images.SetImage(image);
  rig.download.Start("fw.hex");
  rig.target.Inject(Bytes(1025, 0xFF));
  rig.target.Run();
  EXPECT_EQ(rig.target.Waiting(), 1u);
  rig.target.SendHello();
  rig.target.Run();
  EXPECT_EQ(rig.target.ReadRequests()[1], 2);
  EXPECT_TRUE(rig.target.Finished());
  EXPECT_TRUE(HoldsImage(rig.target, image));
}

// A wrong reply in each state, followed in the same notification by more bytes.
struct WrongCase {
  const char* name;
  std::size_t packet;  // index of the packet whose reply is wrong; npos: the hello
  std::uint8_t reply;
};

class WrongReply : public ::testing::TestWithParam<WrongCase> {};

TEST_P(WrongReply, StopsResetsAndLeavesTheWindowUsable) {
  const auto& c = GetParam();
  Rig rig;
  // Data bytes 0x01: every full block sums to 0x80.
  rig.images.SetImage(Bytes(1000, 0x01));
  const bool inHello = c.packet == std::string::npos;
  if (!inHello) {
    rig.target.ReplaceReply(c.packet, c.reply);
    rig.target.AppendAfterReply(c.packet, 0x55);
  }
  rig.download.Start("fw.hex");
  rig.target.Inject(inHello ? Bytes{c.reply, 0x55, 0x42} : Bytes{0x55});
  rig.target.Run();

  EXPECT_EQ(rig.view.informations, std::vector<std::string>{kWrongReply});
  EXPECT_EQ(rig.target.Packets().size(), inHello ? 0 : c.packet + 1);
  EXPECT_FALSE(rig.target.Finished());
  EXPECT_EQ(rig.download.TransferState(), State::Idle);
  EXPECT_EQ(rig.download.BlockCount(), 0);
  EXPECT_EQ(rig.download.BlockAddress(), 0);
  EXPECT_FALSE(rig.download.HasImageStream());
  EXPECT_EQ(rig.images.OpenStreams(), 0);
  EXPECT_FALSE(rig.view.progressVisible);
  EXPECT_EQ(rig.view.parts, 0u);
  EXPECT_TRUE(rig.view.controlsEnabled);
  EXPECT_EQ(rig.view.promptVisible, inHello);
  ASSERT_GE(rig.journal.size(), 5u);
  const std::vector<std::string> tail{"parts 0", "hide progress", "close image", "controls on",
                                      "info " + kWrongReply};
  EXPECT_EQ(std::vector<std::string>(rig.journal.end() - 5, rig.journal.end()), tail);

  // The next Start downloads normally.
  rig.Flash(Bytes(10, 0x02));
  EXPECT_TRUE(rig.target.Finished());
  EXPECT_EQ(rig.view.informations.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(States, WrongReply,
                         ::testing::Values(WrongCase{"WaitingForDevice", std::string::npos, 0x42},
                                           WrongCase{"Synchronising", 0, 0xAB},
                                           WrongCase{"SettingAddress", 1, 0x00},
                                           WrongCase{"SendingBlock", 2, 0x81},
                                           WrongCase{"SendingLaterBlock", 5, 0x7F},
                                           WrongCase{"SettingLaterAddress", 6, 0x55}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace transfer::testing
