// A one-thread host: the download engine on a blocking loop, for the production-line benchmark
// to run beside zagruzchik-flash.   bench_host [--whole] PORT HEXFILE
#include <cstdio>
#include <exception>
#include <string>

#include "blocking_flasher.h"

int main(int argc, char** argv) {
  const bool whole = argc == 4 && std::string(argv[1]) == "--whole";
  if (argc != 3 + (whole ? 1 : 0)) {
    std::fputs("usage: bench_host [--whole] PORT HEXFILE\n", stderr);
    return 2;
  }
  try {
    bench::FlashBlocking(argv[argc - 2], argv[argc - 1], whole);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_host: %s\n", error.what());
    return 1;
  }
  return 0;
}
