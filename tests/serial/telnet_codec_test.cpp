#include <gtest/gtest.h>

#include <vector>

#include "serial/comm_settings.h"
#include "serial/net/telnet_codec.h"

using serial::TelnetCodec;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::uint8_t kIac = TelnetCodec::kIac, kSb = TelnetCodec::kSb, kSe = TelnetCodec::kSe,
                       kWill = TelnetCodec::kWill, kWont = TelnetCodec::kWont,
                       kDo = TelnetCodec::kDo, kDont = TelnetCodec::kDont;

struct Decoded {
  Bytes data;
  Bytes answers;
  bool ok = true;
};

// Feeds the stream in pieces of the given size (1: every split there can be).
Decoded Feed(TelnetCodec& codec, const Bytes& stream, std::size_t piece) {
  Decoded out;
  for (std::size_t i = 0; i < stream.size(); i += piece) {
    const std::size_t n = std::min(piece, stream.size() - i);
    out.ok = codec.Decode(stream.data() + i, n, out.data, out.answers) && out.ok;
  }
  return out;
}

Bytes Agreed() {
  // The server's answers to the greeting: binary, no go-ahead, the com-port option.
  return {kIac, kDo, 0, kIac, kWill, 0, kIac, kDo, 3, kIac, kWill, 3, kIac, kDo, 44};
}

}  // namespace

TEST(TelnetCodec, LineBytesComeThroughExactlyWhereverTheReadsSplitThem) {
  // 0xFF doubled, the rate's answer with a 0xFF in it, an option request and a NOP amid data.
  Bytes stream = Agreed();
  const Bytes line = {0x55, 0xFF, 0x0D, 0x00, 0x0D, 0x0A, 0xAA, 0xFF, 0xFF, 0x13};
  Bytes sent;
  for (const std::uint8_t byte : line) {
    sent.push_back(byte);
    if (byte == 0xFF) sent.push_back(0xFF);
  }
  stream.insert(stream.end(), sent.begin(), sent.begin() + 4);
  stream.insert(stream.end(), {kIac, kSb, 44, 101, 0x00, 0x00, 0x28, 0xFF, 0xFF, kIac, kSe});
  stream.insert(stream.end(), {kIac, kWill, 5, kIac, 241});
  stream.insert(stream.end(), sent.begin() + 4, sent.end());
  for (const std::size_t piece : {1, 2, 3, 7, 1000}) {
    TelnetCodec codec;
    codec.Greeting();
    const Decoded out = Feed(codec, stream, piece);
    EXPECT_TRUE(out.ok);
    EXPECT_EQ(out.data, line) << "in pieces of " << piece;
    EXPECT_EQ(codec.BaudRate(), 0x000028FFu);
    EXPECT_TRUE(codec.ComPortAccepted());
    // Only the unwanted option is answered: the others were ours to ask for.
    EXPECT_EQ(out.answers, (Bytes{kIac, kDont, 5}));
  }
}

TEST(TelnetCodec, OutsideBinaryModeCrTravelsAsCrNulAndTheNulIsNotTheLines) {
  TelnetCodec codec;
  codec.Greeting();
  const Decoded refused = Feed(codec, {kIac, kDont, 0, kIac, kWont, 0}, 1);
  EXPECT_TRUE(refused.answers.empty());
  Bytes out;
  const Bytes line = {0x0D, 0x41, 0xFF, 0x0D, 0x0A};
  codec.EncodeData(line.data(), line.size(), out);
  EXPECT_EQ(out, (Bytes{0x0D, 0x00, 0x41, 0xFF, 0xFF, 0x0D, 0x00, 0x0A}));
  EXPECT_EQ(Feed(codec, {0x0D, 0x00, 0x41, 0x0D, 0x0A, 0x0D}, 1).data,
            (Bytes{0x0D, 0x41, 0x0D, 0x0A, 0x0D}));

  // In binary mode both ways, every byte is the line's as it is.
  TelnetCodec binary;
  binary.Greeting();
  Feed(binary, Agreed(), 1000);
  out.clear();
  binary.EncodeData(line.data(), line.size(), out);
  EXPECT_EQ(out, (Bytes{0x0D, 0x41, 0xFF, 0xFF, 0x0D, 0x0A}));
  EXPECT_EQ(Feed(binary, {0x0D, 0x00, 0x0D}, 1).data, (Bytes{0x0D, 0x00, 0x0D}));
}

TEST(TelnetCodec, RequestsAreAnsweredOnceAChangeAndNonsenseIsRefused) {
  TelnetCodec codec;
  codec.Greeting();
  // The server's echo is refused every time it is offered; the option we offered is taken
  // once; a server turning binary off is answered once, and again on.
  const Decoded out =
      Feed(codec, {kIac, kWill, 1, kIac, kWill, 1, kIac, kDo,   44, kIac, kDo, 44, kIac, kWill, 0,
                   kIac, kWont, 0, kIac, kWont, 0, kIac, kWill, 0,  kIac, kDo, 24},
           1);
  EXPECT_TRUE(out.ok);
  EXPECT_EQ(out.answers,
            (Bytes{kIac, kDont, 1, kIac, kDont, 1, kIac, kDont, 0, kIac, kDo, 0, kIac, kWont, 24}));
  EXPECT_EQ(codec.OptionCommands(), 9u);

  // The com-port option refused; line errors notified and taken once.
  TelnetCodec refusing;
  refusing.Greeting();
  Feed(refusing, {kIac, kDont, 44, kIac, kSb, 44, 106, 0x0A, kIac, kSe}, 1);
  EXPECT_TRUE(refusing.ComPortRefused());
  EXPECT_FALSE(refusing.ComPortAccepted());
  EXPECT_EQ(refusing.TakeLineErrors(), serial::kCeOverrun | serial::kCeFrame);
  EXPECT_EQ(refusing.TakeLineErrors(), 0u);

  // A sub-negotiation that never ends, or IAC and a stray byte inside one, is no Telnet.
  TelnetCodec endless;
  Bytes flood = {kIac, kSb, 44, 101};
  flood.resize(200, 0x01);
  EXPECT_FALSE(Feed(endless, flood, 1).ok);
  TelnetCodec stray;
  EXPECT_FALSE(Feed(stray, {kIac, kSb, 44, 101, kIac, 0x01}, 1).ok);
}
