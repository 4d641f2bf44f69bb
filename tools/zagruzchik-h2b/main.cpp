// zagruzchik-h2b HEXFILE: converts an Intel HEX file into its binary image in the current
// folder and prints the image's name, so that an image can be checked without a target.
#include <csignal>
#include <cstdio>
#include <exception>
#include <string>

#include "command_line.h"
#include "h2b/convert_hex_file.h"

namespace {

const cli::Program kProgram{
    "zagruzchik-h2b", "[OPTION]... HEXFILE",
    "Converts the Intel HEX file HEXFILE into its flat binary image in the current folder,\n"
    "exactly as the loader does before a download, and prints the image's name.\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "Exit status: 0 converted, 1 failed, 2 usage.\n"};

}  // namespace

int main(int argc, char** argv) {
#ifdef SIGXFSZ
  // Past a file-size limit a write then fails with its message instead of killing us.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  std::string hexFile;
  if (const auto done =
          cli::ParseOrExit(kProgram, argc, argv, {}, [&hexFile](const cli::CommandLine& line) {
            if (line.operands.empty()) throw cli::UsageError("no HEX file given");
            if (line.operands.size() > 1) throw cli::UsageError("more than one HEX file given");
            hexFile = line.operands.front();
          }))
    return *done;
  try {
    h2b::RequireHexFile(hexFile);
    const std::string image = h2b::ConvertHexFile(hexFile);
    std::printf("%s\n", image.c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
