#include "flash_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

// What a port is called where the program runs.
#ifdef _WIN32
#define PORT_EXAMPLES "COM3, or \\\\.\\COM12"
#else
#define PORT_EXAMPLES                            \
  "a device path, a /dev/serial/by-id link or\n" \
  "                         a name under /dev (ttyUSB0)"
#endif

namespace flash {

const cli::Program kFlashProgram{
    "zagruzchik-flash",
    "--port NAME [--timeout SECONDS] HEXFILE\n   or: zagruzchik-flash --list-ports",
    "Converts HEXFILE into its binary image in the current folder and downloads it into the\n"
    "target's boot loader at 10400 bit/s. Switch the target's power on when asked.\n"
    "\n"
    "Options:\n"
    "  -p, --port NAME        the serial port: " PORT_EXAMPLES
    "\n"
    "  -t, --timeout SECONDS  give up when the line stays silent that long\n"
    "  -l, --list-ports       list the serial ports present, sorted, one a line of fields\n"
    "                         separated by tabs: the name for --port, USB vendor:product,\n"
    "                         manufacturer, product, serial number, stable links\n"
    "  -h, --help             show this help and exit\n"
    "      --version          show the version and exit\n"
    "\n"
    "Exit status: 0 downloaded, 1 failed, 2 usage, 130 interrupted (143 terminated).\n"};

namespace {

double Seconds(const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno != 0 || !std::isfinite(value) || value <= 0 ||
      value > 1e6)
    throw cli::UsageError("--timeout: not a number of seconds: " + text);
  return value;
}

}  // namespace

FlashOptions FlashOptionsOf(const cli::CommandLine& line) {
  FlashOptions options;
  options.listPorts = line.Has("list-ports");
  if (options.listPorts) {
    if (line.Has("port") || !line.operands.empty())
      throw cli::UsageError("--list-ports takes no port and no HEX file");
    return options;
  }
  options.port = line.Value("port").value_or("");
  if (const auto timeout = line.Value("timeout")) options.timeoutSeconds = Seconds(*timeout);
  if (options.port.empty()) throw cli::UsageError("no --port given");
  if (line.operands.empty()) throw cli::UsageError("no HEX file given");
  if (line.operands.size() > 1)
    throw cli::UsageError("more than one HEX file: " + line.operands[1]);
  options.hexFile = line.operands.front();
  return options;
}

std::optional<int> ParseFlashOptions(int argc, char** argv, FlashOptions& options) {
  return cli::ParseOrExit(
      kFlashProgram, argc, argv,
      {{"port", true, 'p'}, {"timeout", true, 't'}, {"list-ports", false, 'l'}},
      [&options](const cli::CommandLine& line) { options = FlashOptionsOf(line); });
}

}  // namespace flash
