// h2b HEXFILE: converts an Intel HEX file into its binary image in the current folder and
// prints the image's name, so that an image can be checked without a target.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <exception>
#include <string>

#include "h2b/convert_hex_file.h"
#include "h2b/file_errors.h"

int main(int argc, char** argv) {
  // Past a file-size limit a write then fails with its message instead of killing us.
  std::signal(SIGXFSZ, SIG_IGN);
  if (argc != 2) {
    std::fprintf(stderr, "usage: h2b HEXFILE\n");
    return 2;
  }
  try {
    const std::string image = h2b::ConvertHexFile(argv[1]);
    if (image.empty()) throw h2b::FileError("Cannot open", argv[1], ENOENT);
    std::printf("%s\n", image.c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
