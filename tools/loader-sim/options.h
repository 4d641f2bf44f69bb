#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace sim {

// A mistake on the command line; main prints it with the usage text and exits 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

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
  std::vector<std::uint8_t> noise;
  bool bit7 = false;
  bool help = false;
};

Options ParseOptions(int argc, char** argv);

extern const char* const kUsage;

}  // namespace sim
