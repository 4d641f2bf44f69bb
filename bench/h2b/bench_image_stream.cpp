// What sending only the converted image costs on a 16 MiB image: the digests the conversion takes
// and the checked reads of a download, against the conversion and plain reads without them.
//   bench_image_stream
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "h2b/convert_hex_file.h"
#include "h2b/image_digest.h"
#include "h2b/image_file_stream.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::size_t kSize = 16 << 20;
constexpr int kRepeats = 5;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

template <typename F>
double Best(F&& f) {
  double best = 1e9;
  for (int i = 0; i < kRepeats; ++i) {
    const Clock::time_point start = Clock::now();
    f();
    best = std::min(best, Since(start));
  }
  return best;
}

void WriteHex(const std::string& name) {
  std::ofstream out(name, std::ios::binary);
  std::uint32_t state = 1;
  char line[64];
  for (std::uint32_t offset = 0; offset < kSize; offset += 16) {
    if (offset % 0x10000 == 0) {
      const unsigned upper = offset >> 16;
      std::snprintf(line, sizeof line, ":02000004%04X%02X\r\n", upper,
                    (0x100 - ((6 + (upper >> 8) + (upper & 0xFF)) & 0xFF)) & 0xFF);
      out << line;
    }
    std::string record = ":10" + std::string(4, '0') + "00";
    std::snprintf(record.data() + 3, 5, "%04X", offset & 0xFFFF);
    record[7] = '0';
    for (int i = 0; i < 16; ++i) {
      state = state * 1103515245 + 12345;
      std::snprintf(line, sizeof line, "%02X", (state >> 16) & 0xFF);
      record += line;
    }
    out << record << "00\r\n";  // the checksum is never read
  }
}

}  // namespace

int main() {
  const fs::path dir = fs::temp_directory_path() / ("bench-stream-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path previous = fs::current_path();
  fs::current_path(dir);
  WriteHex("app.hex");

  const double convert = Best([] { h2b::ConvertHexFileToImage("app.hex"); });
  std::vector<std::uint8_t> image(kSize, 0x5A);
  volatile std::uint64_t sink = 0;
  const double digest = Best([&] {
    for (std::size_t at = 0; at < kSize; at += h2b::ImageDigest::kChunk)
      sink = sink + h2b::ImageDigest::Of(image.data() + at, h2b::ImageDigest::kChunk);
  });

  std::uint8_t block[128];
  const double checked = Best([&] {
                           h2b::ImageFileStream stream(h2b::ConvertHexFileToImage("app.hex"));
                           while (stream.Read(block, sizeof block) == sizeof block) {
                           }
                         }) -
                         convert;
  const double plain =
      Best([&] {
        h2b::ConvertedImage converted = h2b::ConvertHexFileToImage("app.hex");
        sys::Error error = 0;
        for (std::uint64_t at = 0; converted.file.ReadAt(at, block, sizeof block, error) > 0;
             at += sizeof block) {
        }
      }) -
      convert;

  std::printf("16 MiB image, best of %d runs, in ms\n", kRepeats);
  std::printf("conversion (digests included)     %8.1f\n", convert * 1e3);
  std::printf("  of which digests                %8.1f  (%.1f %%)\n", digest * 1e3,
              100.0 * digest / convert);
  std::printf("download's reads, checked         %8.1f\n", checked * 1e3);
  std::printf("download's reads, plain pread     %8.1f\n", plain * 1e3);
  fs::current_path(previous);
  fs::remove_all(dir);
  return 0;
}
