#include "flash_options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "serial/discovery.h"

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
    "--port NAME [--timeout SECONDS] HEXFILE\n"
    "   or: zagruzchik-flash --port NAME [--port NAME]... [--repeat] [--log FILE] [--json]\n"
    "                        [--timeout SECONDS] HEXFILE\n"
    "   or: zagruzchik-flash --list-ports",
    "Converts HEXFILE into its binary image in the current folder and downloads it into the\n"
    "target's boot loader at 10400 bit/s. Switch the target's power on when asked.\n"
    "\n"
    "Options:\n"
    "  -p, --port NAME        the serial port: " PORT_EXAMPLES
    ";\n"
    "                         or a network port: rfc2217://HOST:PORT (a terminal server or\n"
    "                         ser2net setting the line), socket://HOST:PORT (raw TCP: the\n"
    "                         line's settings are the server's); or auto: every USB serial\n"
    "                         adapter listens, nothing sent, and the first whose target says\n"
    "                         hello is taken, the others closed at once\n"
    "  -t, --timeout SECONDS  give up when the line stays silent that long; on a production\n"
    "                         line, a board silent that long after its hello fails alone\n"
    "      --max-time SECONDS refuse, before the prompt, a download longer than that on the\n"
    "                         line (default 3600: an hour)\n"
    "      --repeat           board after board: after each download wait for the next\n"
    "                         board's hello on the same port, until interrupted\n"
    "      --log FILE         append a CSV line for every board to FILE (board numbers go\n"
    "                         on from the file's last)\n"
    "      --json             a JSON object a board and one for the summary, on standard\n"
    "                         output\n"
    "  -q, --quiet            only the summary and errors\n"
    "  -v, --verbose          also the line's details: bytes dropped between boards, adapters\n"
    "                         opened again, the network's delay\n"
    "  -l, --list-ports       list the serial ports present, sorted, one a line of fields\n"
    "                         separated by tabs: the name for --port, USB vendor:product,\n"
    "                         manufacturer, product, serial number, stable links\n"
    "  -h, --help             show this help and exit\n"
    "      --version          show the version and exit\n"
    "\n"
    "A production line: --port given more than once downloads the one conversion into every\n"
    "port at once, each port on its own; \"Включи питание\" is asked once. A summary line per\n"
    "port follows, and a total.\n"
    "\n"
    "Before the prompt the image's size, blocks and time on the line are said; a download\n"
    "longer than --max-time is refused then, with status 2.\n"
    "\n"
    "Exit status: 0 downloaded (every port, every board), 1 failed, 2 usage or refused,\n"
    "130 interrupted (143 terminated); with --repeat an interrupt between boards ends the run\n"
    "with 0 when no board failed.\n"};

namespace {

double Seconds(const std::string& text, const char* option = "timeout") {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno != 0 || !std::isfinite(value) || value <= 0 ||
      value > 1e9)
    throw cli::UsageError(std::string("--") + option + ": not a number of seconds: " + text);
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
  options.ports = line.Values("port");
  options.port = options.ports.empty() ? "" : options.ports.front();
  if (const auto timeout = line.Value("timeout")) options.timeoutSeconds = Seconds(*timeout);
  if (const auto limit = line.Value("max-time")) options.maxSeconds = Seconds(*limit, "max-time");
  options.repeat = line.Has("repeat");
  options.logFile = line.Value("log").value_or("");
  options.json = line.Has("json");
  options.quiet = line.Has("quiet");
  options.verbose = line.Has("verbose");
  if (options.quiet && options.verbose) throw cli::UsageError("-q and -v together");
  if (options.port.empty()) throw cli::UsageError("no --port given");
  if (options.ports.size() > 1 &&
      std::find(options.ports.begin(), options.ports.end(), kAutoPort) != options.ports.end())
    throw cli::UsageError("--port auto takes no other --port");
  // Two names of one device (a link and its target, pts/3 and /dev/pts/3) are one port.
  for (std::size_t i = 0; i < options.ports.size(); ++i)
    for (std::size_t j = i + 1; j < options.ports.size(); ++j)
      if (serial::SamePort(options.ports[i], options.ports[j]))
        throw cli::UsageError(
            "the same port twice: " + options.ports[i] +
            (options.ports[i] == options.ports[j] ? "" : " and " + options.ports[j]));
  if (line.operands.empty()) throw cli::UsageError("no HEX file given");
  if (line.operands.size() > 1)
    throw cli::UsageError("more than one HEX file: " + line.operands[1]);
  options.hexFile = line.operands.front();
  return options;
}

std::optional<int> ParseFlashOptions(int argc, char** argv, FlashOptions& options) {
  return cli::ParseOrExit(
      kFlashProgram, argc, argv,
      {{"port", true, 'p'},
       {"timeout", true, 't'},
       {"max-time", true},
       {"list-ports", false, 'l'},
       {"repeat", false},
       {"log", true},
       {"json", false},
       {"quiet", false, 'q'},
       {"verbose", false, 'v'}},
      [&options](const cli::CommandLine& line) { options = FlashOptionsOf(line); });
}

}  // namespace flash
