#include "h2b/hex_extent.h"

#include <algorithm>
#include <string_view>

#include "h2b/hex_line_reader.h"
#include "h2b/hex_record.h"

namespace h2b {

namespace {

// Measures instead of writing: the image's end and where its data begins.
class ExtentSink : public ImageSink {
 public:
  void PadTo(std::uint64_t offset) override {
    extent.imageSize = std::max(extent.imageSize, offset);
  }
  void Put(std::uint64_t offset, const std::uint8_t*, std::size_t count) override {
    if (count == 0) return;
    extent.imageSize = std::max(extent.imageSize, offset + count);
    extent.lowestAddress = std::min(extent.lowestAddress.value_or(offset), offset);
  }
  HexExtent extent;
};

}  // namespace

HexExtent ScanHexFile(const std::string& hexFileName) {
  HexLineReader lines(hexFileName);
  ExtentSink sink;
  std::uint32_t baseAddress = 0;
  std::string_view line;
  while (lines.Next(line)) ConvertHexLine(line, baseAddress, sink);
  return sink.extent;
}

}  // namespace h2b
