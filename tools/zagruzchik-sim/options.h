#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "command_line.h"

namespace sim {

// Packet numbers count the flasher's packets from 1 (the synchronisation command);
// number 0 stands for the hello.
struct Options {
  std::string port;  // empty: create a pseudo-terminal
  int helloDelayMs = 0;
  bool pace = true;
  std::size_t burst = 1;  // bytes handed to the line together
  std::string outFile;
  std::string expectFile;
  std::optional<std::size_t> length;
  std::optional<int> wrongReplyAt;
  std::optional<int> silentAfter;
  std::optional<int> hangupAfter;
  bool hangupAtEnd = false;
  bool echoOnly = false;
  int targets = 1;  // targets played at once, one pseudo-terminal each
  std::vector<std::uint8_t> noise;
  int noiseEveryMs = 0;                // a noise byte this often from the start, for a minute
  std::vector<std::uint8_t> afterEnd;  // said after the end command's echo (new firmware)
  bool bit7 = false;
};

extern const cli::Program kProgram;

// The options of a parsed command line. Throws cli::UsageError.
Options OptionsOf(const cli::CommandLine& line);

// Parses argv: the options, or the exit code when the program ends here (help, version, a
// usage error, all printed already).
std::optional<int> ParseOptions(int argc, char** argv, Options& options);

}  // namespace sim
