#include "options.h"

#include "paced_output.h"

#include <charconv>
#include <cstring>
#include <sstream>
#include <system_error>

namespace sim {

const cli::Program kProgram{
    "zagruzchik-sim", "[OPTION]...",
    "Plays the target's boot loader on a serial line. Without --port it creates a\n"
    "pseudo-terminal and prints the path of its other side as the first line.\n"
    "\n"
    "Options:\n"
    "      --port PATH           use a real serial port (set to 10400 8N1, raw)\n"
    "      --hello-delay MS      wait MS after the flasher connects before the hello\n"
    "      --no-pace             send at once instead of at 10400 bit/s\n"
    "      --burst N             hand bytes on in groups of up to N, each once its last byte\n"
    "                            is due (a UART receive FIFO, a USB adapter's packets)\n"
    "      --out FILE            write the received image to FILE\n"
    "      --expect FILE         compare the received image with FILE (exit 1 on a difference)\n"
    "      --length N            trim the received image to N bytes\n"
    "      --wrong-reply-at N    give packet N a wrong reply (0: the hello)\n"
    "      --silent-after N      stop replying after packet N (0: no hello)\n"
    "      --hangup-after N      hang the line up after replying to packet N\n"
    "      --hangup-at-end       hang the line up at the end command, before its echo\n"
    "                            (a target that restarts into its new firmware at once)\n"
    "      --noise \"00 FF ..\"    send these bytes (hex) before the hello\n"
    "      --noise-every MS      send a noise byte (3C) every MS from the start, for a minute\n"
    "      --after-end \"48 ..\"   say these bytes (hex) after the end command's echo, as new\n"
    "                            firmware that talks at once\n"
    "      --bit7                send every reply with bit 7 set\n"
    "      --targets N           play N targets at once, each on a pseudo-terminal of its own\n"
    "                            (their paths first, one a line), for a production line\n"
    "      --echo                only echo, no boot loader, for one opening after another\n"
    "                            (a bare echoing line for the serial device's tests)\n"
    "  -h, --help                show this help and exit\n"
    "      --version             show the version and exit\n"
    "\n"
    "Packets are counted from 1, the synchronisation command.\n"
    "Exit status: 0 image received, 1 image differs, 2 usage, 3 protocol or line failure.\n"};

namespace {

long long Number(const char* name, const std::string& text, long long max) {
  long long value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || value < 0 || value > max)
    throw cli::UsageError(std::string("--") + name + ": not a number from 0 to " +
                          std::to_string(max) + ": " + text);
  return value;
}

std::vector<std::uint8_t> HexBytes(const std::string& option, const std::string& text) {
  std::vector<std::uint8_t> bytes;
  std::istringstream in(text);
  std::string word;
  while (in >> word) {
    unsigned value = 0;
    auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), value, 16);
    if (ec != std::errc() || ptr != word.data() + word.size() || value > 0xFF)
      throw cli::UsageError("--" + option + ": not a hex byte: " + word);
    bytes.push_back(static_cast<std::uint8_t>(value));
  }
  return bytes;
}

constexpr long long kMaxPacket = 1'000'000'000;

}  // namespace

Options OptionsOf(const cli::CommandLine& line) {
  if (!line.operands.empty()) throw cli::UsageError("unexpected argument: " + line.operands[0]);
  Options options;
  const auto number = [&line](const char* name, long long max) -> std::optional<long long> {
    const auto text = line.Value(name);
    if (!text) return std::nullopt;
    return Number(name, *text, max);
  };
  options.port = line.Value("port").value_or("");
  if (const auto ms = number("hello-delay", 3'600'000))
    options.helloDelayMs = static_cast<int>(*ms);
  options.pace = !line.Has("no-pace");
  if (const auto burst = number("burst", kMaxBurst)) {
    if (*burst == 0) throw cli::UsageError("--burst: at least 1");
    options.burst = static_cast<std::size_t>(*burst);
  }
  options.outFile = line.Value("out").value_or("");
  options.expectFile = line.Value("expect").value_or("");
  if (const auto length = number("length", 1LL << 40))
    options.length = static_cast<std::size_t>(*length);
  if (const auto n = number("wrong-reply-at", kMaxPacket))
    options.wrongReplyAt = static_cast<int>(*n);
  if (const auto n = number("silent-after", kMaxPacket)) options.silentAfter = static_cast<int>(*n);
  if (const auto n = number("hangup-after", kMaxPacket)) options.hangupAfter = static_cast<int>(*n);
  if (const auto noise = line.Value("noise")) options.noise = HexBytes("noise", *noise);
  if (const auto n = number("noise-every", 60000)) options.noiseEveryMs = static_cast<int>(*n);
  if (const auto talk = line.Value("after-end")) options.afterEnd = HexBytes("after-end", *talk);
  options.hangupAtEnd = line.Has("hangup-at-end");
  options.echoOnly = line.Has("echo");
  if (const auto n = number("targets", 1024)) {
    if (*n == 0) throw cli::UsageError("--targets: at least 1");
    options.targets = static_cast<int>(*n);
  }
  if (options.targets > 1 &&
      (!options.port.empty() || !options.outFile.empty() || !options.expectFile.empty()))
    throw cli::UsageError("--targets takes no --port, --out or --expect");
  options.bit7 = line.Has("bit7");
  return options;
}

std::optional<int> ParseOptions(int argc, char** argv, Options& options) {
  return cli::ParseOrExit(kProgram, argc, argv,
                          {{"port", true},
                           {"hello-delay", true},
                           {"no-pace", false},
                           {"burst", true},
                           {"out", true},
                           {"expect", true},
                           {"length", true},
                           {"wrong-reply-at", true},
                           {"silent-after", true},
                           {"hangup-after", true},
                           {"hangup-at-end", false},
                           {"echo", false},
                           {"targets", true},
                           {"noise", true},
                           {"noise-every", true},
                           {"after-end", true},
                           {"bit7", false}},
                          [&options](const cli::CommandLine& line) { options = OptionsOf(line); });
}

}  // namespace sim
