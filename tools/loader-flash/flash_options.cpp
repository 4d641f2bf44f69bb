#include "flash_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace flash {

const char* const kFlashUsage =
    "usage: loader-flash --port NAME [--timeout SECONDS] HEXFILE\n"
    "Converts HEXFILE into its image in the current folder and downloads it into the\n"
    "target's boot loader. NAME is a device path or a name under /dev (ttyUSB0).\n"
    "  --timeout SECONDS   give up when the line stays silent that long\n"
    "Exit: 0 downloaded, 1 failed, 2 usage.\n";

namespace {

double Seconds(const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno != 0 || !std::isfinite(value) || value <= 0 ||
      value > 1e6)
    throw UsageError("--timeout: not a number of seconds: " + text);
  return value;
}

}  // namespace

FlashOptions ParseFlashOptions(int argc, char** argv) {
  FlashOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&](std::string_view name) -> std::string {
      if (arg.size() > name.size() && arg.substr(0, name.size()) == name && arg[name.size()] == '=')
        return std::string(arg.substr(name.size() + 1));
      if (i + 1 >= argc) throw UsageError(std::string(name) + " needs a value");
      return argv[++i];
    };
    auto is = [&](std::string_view name) {
      return arg == name || (arg.substr(0, name.size()) == name && arg.size() > name.size() &&
                             arg[name.size()] == '=');
    };
    if (arg == "--help") {
      options.help = true;
      return options;
    }
    if (is("--port")) {
      options.port = value("--port");
    } else if (is("--timeout")) {
      options.timeoutSeconds = Seconds(value("--timeout"));
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw UsageError("unknown option: " + std::string(arg));
    } else if (options.hexFile.empty()) {
      options.hexFile = arg;
    } else {
      throw UsageError("more than one HEX file: " + std::string(arg));
    }
  }
  if (options.port.empty()) throw UsageError("no --port given");
  if (options.hexFile.empty()) throw UsageError("no HEX file given");
  return options;
}

}  // namespace flash
