#include "options.h"

#include "paced_output.h"

#include <getopt.h>

#include <charconv>
#include <cstring>
#include <sstream>
#include <system_error>

namespace sim {

const char* const kUsage =
    "usage: loader-sim [options]\n"
    "Plays the target's boot loader on a serial line. Without --port it creates a\n"
    "pseudo-terminal and prints the path of its other side as the first line.\n"
    "  --port PATH           use a real serial port (set to 10400 8N1, raw)\n"
    "  --hello-delay MS      wait MS after the flasher connects before the hello\n"
    "  --no-pace             send at once instead of at 10400 bit/s\n"
    "  --burst N             hand bytes on in groups of up to N, each once its last byte\n"
    "                        is due (a UART receive FIFO, a USB adapter's packets)\n"
    "  --out FILE            write the received image to FILE\n"
    "  --expect FILE         compare the received image with FILE (exit 1 on a difference)\n"
    "  --length N            trim the received image to N bytes\n"
    "  --wrong-reply-at N    give packet N a wrong reply (0: the hello)\n"
    "  --silent-after N      stop replying after packet N (0: no hello)\n"
    "  --hangup-after N      hang the line up after replying to packet N\n"
    "  --noise \"00 FF ..\"    send these bytes (hex) before the hello\n"
    "  --bit7                send every reply with bit 7 set\n"
    "Exit: 0 image received, 1 image differs, 2 usage, 3 protocol or line failure.\n";

namespace {

long long Number(const char* name, const char* text, long long max) {
  long long value = 0;
  const char* end = text + std::strlen(text);
  auto [ptr, ec] = std::from_chars(text, end, value);
  if (ec != std::errc() || ptr != end || value < 0 || value > max)
    throw UsageError(std::string("--") + name + ": not a number from 0 to " + std::to_string(max) +
                     ": " + text);
  return value;
}

std::vector<std::uint8_t> HexBytes(const char* text) {
  std::vector<std::uint8_t> bytes;
  std::istringstream in(text);
  std::string word;
  while (in >> word) {
    unsigned value = 0;
    auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), value, 16);
    if (ec != std::errc() || ptr != word.data() + word.size() || value > 0xFF)
      throw UsageError("--noise: not a hex byte: " + word);
    bytes.push_back(static_cast<std::uint8_t>(value));
  }
  return bytes;
}

enum Key {
  kPort = 1,
  kHelloDelay,
  kNoPace,
  kBurst,
  kOut,
  kExpect,
  kLength,
  kWrongReplyAt,
  kSilentAfter,
  kHangupAfter,
  kNoise,
  kBit7,
  kHelp
};

const option kLongOptions[] = {{"port", required_argument, nullptr, kPort},
                               {"hello-delay", required_argument, nullptr, kHelloDelay},
                               {"no-pace", no_argument, nullptr, kNoPace},
                               {"burst", required_argument, nullptr, kBurst},
                               {"out", required_argument, nullptr, kOut},
                               {"expect", required_argument, nullptr, kExpect},
                               {"length", required_argument, nullptr, kLength},
                               {"wrong-reply-at", required_argument, nullptr, kWrongReplyAt},
                               {"silent-after", required_argument, nullptr, kSilentAfter},
                               {"hangup-after", required_argument, nullptr, kHangupAfter},
                               {"noise", required_argument, nullptr, kNoise},
                               {"bit7", no_argument, nullptr, kBit7},
                               {"help", no_argument, nullptr, kHelp},
                               {nullptr, 0, nullptr, 0}};

constexpr long long kMaxPacket = 1'000'000'000;

}  // namespace

Options ParseOptions(int argc, char** argv) {
  Options options;
  optind = 0;  // restart getopt, also when called more than once
  opterr = 0;
  for (;;) {
    int index = 0;
    const int key = getopt_long(argc, argv, "", kLongOptions, &index);
    if (key == -1) break;
    const char* name = optarg ? kLongOptions[index].name : "";
    switch (key) {
      case kPort:
        options.port = optarg;
        break;
      case kHelloDelay:
        options.helloDelayMs = static_cast<int>(Number(name, optarg, 3'600'000));
        break;
      case kNoPace:
        options.pace = false;
        break;
      case kBurst:
        options.burst = static_cast<std::size_t>(Number(name, optarg, kMaxBurst));
        if (options.burst == 0) throw UsageError("--burst: at least 1");
        break;
      case kOut:
        options.outFile = optarg;
        break;
      case kExpect:
        options.expectFile = optarg;
        break;
      case kLength:
        options.length = static_cast<std::size_t>(Number(name, optarg, 1LL << 40));
        break;
      case kWrongReplyAt:
        options.wrongReplyAt = static_cast<int>(Number(name, optarg, kMaxPacket));
        break;
      case kSilentAfter:
        options.silentAfter = static_cast<int>(Number(name, optarg, kMaxPacket));
        break;
      case kHangupAfter:
        options.hangupAfter = static_cast<int>(Number(name, optarg, kMaxPacket));
        break;
      case kNoise:
        options.noise = HexBytes(optarg);
        break;
      case kBit7:
        options.bit7 = true;
        break;
      case kHelp:
        options.help = true;
        break;
      default:
        throw UsageError(std::string("unknown or incomplete option: ") +
                         (optind > 0 && optind <= argc ? argv[optind - 1] : "?"));
    }
  }
  if (optind < argc) throw UsageError(std::string("unexpected argument: ") + argv[optind]);
  return options;
}

}  // namespace sim
