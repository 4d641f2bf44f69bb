// zagruzchik-h2b HEXFILE: converts an Intel HEX file into its binary image in the current
// folder and prints the image's name, so that an image can be checked without a target.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "command_line.h"
#include "h2b/convert_hex_file.h"
#include "sys/process.h"

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
  sys::SetUpProcess();
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
    // The image is written; a name that cannot be printed is still a failure for a script.
    if (std::printf("%s\n", image.c_str()) < 0 || std::fflush(stdout) != 0) {
      std::fprintf(stderr, "Cannot write the image's name to standard output. %s\n",
                   std::strerror(errno));
      return 1;
    }
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
