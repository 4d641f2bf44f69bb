#pragma once

#include <optional>
#include <string>
#include <vector>

#include "command_line.h"

namespace flash {

extern const cli::Program kFlashProgram;

// The port named so is whichever USB serial adapter hears the target's hello first.
inline constexpr char kAutoPort[] = "auto";

struct FlashOptions {
  std::string port;                // a path (a /dev/serial/by-id link too), or a name under /dev
  std::vector<std::string> ports;  // every --port given, in order (port is the first)
  std::string hexFile;
  std::optional<double> timeoutSeconds;  // none: wait for the target forever
  double maxSeconds = 3600;              // longer downloads are refused before the prompt
  bool listPorts = false;
  bool repeat = false;   // board after board on every port, until interrupted
  std::string logFile;   // a CSV record of every board, appended to
  bool json = false;     // a JSON object a board and one for the summary, on standard output
  bool quiet = false;    // only the summary and errors
  bool verbose = false;  // also the line's details: dropped bytes, reopened adapters, delays

  // Several ports, board after board, a record, JSON, or the line's own quiet or detailed
  // output: the production line's run.
  bool ProductionLine() const {
    return ports.size() > 1 || repeat || !logFile.empty() || json || quiet || verbose;
  }
};

// The options of a parsed command line. Throws cli::UsageError.
FlashOptions FlashOptionsOf(const cli::CommandLine& line);

// Parses argv: the options, or the exit code when the program ends here (help, version, a
// usage error, all printed already).
std::optional<int> ParseFlashOptions(int argc, char** argv, FlashOptions& options);

}  // namespace flash
