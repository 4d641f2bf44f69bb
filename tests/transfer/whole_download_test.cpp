#include <gtest/gtest.h>

#include <algorithm>

#include "rig.h"

namespace transfer::testing {
namespace {

using Packet = ScriptedTarget::Packet;

// The wire as the boot loader expects it: sync, then every block with an address command
// before each fourth one, then the end command. One block is always short (or empty).
std::vector<Packet> ExpectedPackets(const std::vector<std::uint8_t>& image) {
  std::vector<Packet> packets{{0x55, 0x33, 0xCC}};
  const std::size_t blocks = image.size() / 128 + 1;
  for (std::size_t i = 0; i < blocks; ++i) {
    const auto hi = static_cast<std::uint8_t>((i * 128) >> 8 & 0xFF);
    const auto lo = static_cast<std::uint8_t>(i * 128 & 0xFF);
    if (i % 4 == 0) packets.push_back({0x11, hi, lo});
    Packet data{0x22, hi, lo};
    for (std::size_t k = i * 128; k < i * 128 + 128; ++k) {
      data.push_back(k < image.size() ? image[k] : 0x00);
    }
    packets.push_back(data);
  }
  packets.push_back({0x99, 0x00, 0x00});
  return packets;
}

struct WholeCase {
  std::size_t size;
  std::size_t chunk;  // bytes per notification, 0 = whole arrival
};

std::string Name(const ::testing::TestParamInfo<WholeCase>& info) {
  return "S" + std::to_string(info.param.size) + "_chunk" + std::to_string(info.param.chunk);
}

class WholeDownload : public ::testing::TestWithParam<WholeCase> {};

TEST_P(WholeDownload, SendsEveryBlockAndEndsIdle) {
  const auto [size, chunk] = GetParam();
  const auto image = RandomImage(size, static_cast<unsigned>(size + 7));
  Rig rig;
  rig.target.SetChunk(chunk);
  rig.Flash(image);

  const std::size_t blocks = size / 128 + 1;
  EXPECT_EQ(rig.target.Packets(), ExpectedPackets(image));
  ASSERT_EQ(rig.target.Image().size(), blocks * 128);
  EXPECT_TRUE(HoldsImage(rig.target, image));
  EXPECT_TRUE(std::all_of(rig.target.Image().begin() + static_cast<std::ptrdiff_t>(size),
                          rig.target.Image().end(), [](std::uint8_t b) { return b == 0; }));
  EXPECT_TRUE(rig.target.Finished());
  EXPECT_EQ(rig.target.ProtocolErrors(), 0u);
  EXPECT_EQ(rig.target.Waiting(), 0u);

  EXPECT_EQ(rig.download.TransferState(), State::Idle);
  EXPECT_FALSE(rig.download.LastBlock());
  EXPECT_EQ(rig.images.OpenStreams(), 0);
  EXPECT_TRUE(rig.view.informations.empty());
  EXPECT_EQ(rig.view.total, size / 128);
  EXPECT_EQ(rig.view.mostParts, size / 128 + 1);
  EXPECT_FALSE(rig.view.progressVisible);
  EXPECT_FALSE(rig.view.promptVisible);
  EXPECT_TRUE(rig.view.controlsEnabled);
  EXPECT_EQ(rig.view.endings, std::vector<Ending>{Ending::Finished});

  // Progress rises by one with every block built, after the zero set at Start.
  std::vector<std::string> parts;
  for (const auto& line : rig.journal) {
    if (line.rfind("parts ", 0) == 0) parts.push_back(line);
  }
  ASSERT_EQ(parts.size(), blocks + 1);
  for (std::size_t i = 0; i < parts.size(); ++i) EXPECT_EQ(parts[i], "parts " + std::to_string(i));
}

// The port is told what the engine awaits: before each packet its echo and reply (the end
// command: its echo), and after a part of them has been read exactly the rest still to come.
TEST_P(WholeDownload, EveryHintIsWhatTheLineStillOwesTheEngine) {
  const auto [size, chunk] = GetParam();
  Rig rig;
  rig.target.SetChunk(chunk);
  rig.Flash(RandomImage(size, 3));
  const auto& packets = rig.target.Packets();
  const auto& hints = rig.target.Hints();
  ASSERT_FALSE(hints.empty());
  for (const ScriptedTarget::Hint& hint : hints) {
    if (hint.pending > 0) {
      // After the end command the engine waits for its echo alone, not the reply behind it.
      const bool afterEnd = hint.packets == packets.size();
      EXPECT_EQ(static_cast<std::size_t>(hint.awaited) + (afterEnd ? 1 : 0), hint.pending)
          << hint.packets;
    } else if (hint.awaited > 0) {
      // Given before the packet it announces is written.
      ASSERT_LT(hint.packets, packets.size());
      const std::size_t echo = packets[hint.packets].size();
      const bool end = hint.packets + 1 == packets.size();
      EXPECT_EQ(static_cast<std::size_t>(hint.awaited), echo + (end ? 0 : 1)) << hint.packets;
    }
  }
  // The hello is awaited byte by byte; the download ends awaiting nothing.
  EXPECT_EQ(hints.front().awaited, 0);
  EXPECT_EQ(hints.back().awaited, 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, WholeDownload,
                         ::testing::Values(WholeCase{0, 0}, WholeCase{1, 0}, WholeCase{127, 1},
                                           WholeCase{128, 0}, WholeCase{300, 0}, WholeCase{300, 1},
                                           WholeCase{512, 0}, WholeCase{513, 7},
                                           // the last block is the fourth of its group
                                           WholeCase{1000, 0}, WholeCase{1000, 3},
                                           WholeCase{4099, 200}, WholeCase{65536 + 128, 0},
                                           WholeCase{100000, 0}),
                         Name);

TEST(WholeDownload, ThreeHundredBytesGoOutAsTheLoaderExpects) {
  std::vector<std::uint8_t> image(300);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
  Rig rig;
  rig.Flash(image);

  auto data = [&](std::uint8_t hi, std::uint8_t lo, std::size_t from) {
    Packet p{0x22, hi, lo};
    for (std::size_t k = from; k < from + 128; ++k) p.push_back(k < 300 ? image[k] : 0);
    return p;
  };
  const std::vector<Packet> expected{{0x55, 0x33, 0xCC},    {0x11, 0x00, 0x00},
                                     data(0x00, 0x00, 0),   data(0x00, 0x80, 128),
                                     data(0x01, 0x00, 256), {0x99, 0x00, 0x00}};
  EXPECT_EQ(rig.target.Packets(), expected);
  EXPECT_EQ(rig.view.total, 2u);
  EXPECT_EQ(rig.view.mostParts, 3u);
}

TEST(WholeDownload, EmptyImageSendsOneZeroBlock) {
  Rig rig;
  rig.Flash({});
  const std::vector<Packet> expected{
      {0x55, 0x33, 0xCC}, {0x11, 0x00, 0x00}, Packet(131, 0x00), {0x99, 0x00, 0x00}};
  auto sent = rig.target.Packets();
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(sent[2][0], 0x22);
  sent[2][0] = 0x00;
  EXPECT_EQ(sent, expected);
  EXPECT_EQ(rig.view.total, 0u);
  EXPECT_EQ(rig.view.mostParts, 1u);
}

TEST(WholeDownload, FiveHundredTwelveBytesEndWithAnAddressAndAZeroBlock) {
  Rig rig;
  rig.Flash(RandomImage(512, 1));
  EXPECT_EQ(rig.target.AddressCommands(), (std::vector<std::uint16_t>{0x0000, 0x0200}));
  EXPECT_EQ(rig.target.DataAddresses(),
            (std::vector<std::uint16_t>{0x0000, 0x0080, 0x0100, 0x0180, 0x0200}));
  ASSERT_EQ(rig.target.Packets().size(), 9u);
  EXPECT_EQ(rig.target.Packets()[6], (Packet{0x11, 0x02, 0x00}));
  const auto& last = rig.target.Packets()[7];
  EXPECT_TRUE(std::all_of(last.begin() + 3, last.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST(WholeDownload, AddressesWrapAfterSixtyFourKilobytes) {
  Rig rig;
  rig.Flash(RandomImage(65536 + 128, 2));
  const auto& addresses = rig.target.AddressCommands();
  const auto& data = rig.target.DataAddresses();
  ASSERT_EQ(data.size(), 514u);
  ASSERT_EQ(addresses.size(), 129u);
  EXPECT_EQ(addresses[127], 0xFE00);
  EXPECT_EQ(data[511], 0xFF80);
  EXPECT_EQ(addresses[128], 0x0000);
  EXPECT_EQ(data[512], 0x0000);
  EXPECT_EQ(data[513], 0x0080);
}

TEST(WholeDownload, EffectsOnTheWindowComeInOrder) {
  Rig rig;
  rig.Flash(RandomImage(10, 3));
  const std::vector<std::string> begin{"open image fw.hex", "total 0",     "parts 0",
                                       "open port",         "show prompt", "show progress",
                                       "controls off",      "hide prompt", "write 55 33 CC"};
  const std::vector<std::string> end{"hide progress", "controls on", "close image",
                                     "write 99 00 00"};
  ASSERT_GE(rig.journal.size(), begin.size() + end.size());
  EXPECT_EQ(std::vector<std::string>(rig.journal.begin(), rig.journal.begin() + 9), begin);
  EXPECT_EQ(std::vector<std::string>(rig.journal.end() - 4, rig.journal.end()), end);
}

}  // namespace
}  // namespace transfer::testing
