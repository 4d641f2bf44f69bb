#pragma once

#include <optional>
#include <stdexcept>
#include <string>

namespace flash {

// A mistake on the command line; main prints it with the usage text and exits 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct FlashOptions {
  std::string port;  // a path, or a name under /dev
  std::string hexFile;
  std::optional<double> timeoutSeconds;  // none: wait for the target forever
  bool help = false;
};

FlashOptions ParseFlashOptions(int argc, char** argv);

extern const char* const kFlashUsage;

}  // namespace flash
