#include "transfer/line_time.h"

#include <cmath>
#include <cstdio>

#include "transfer/packets.h"

namespace transfer {

std::uint64_t BlockCount(std::uint64_t imageSize) {
  return imageSize / kBlockSize + 1;
}

std::uint64_t LineBytes(std::uint64_t imageSize) {
  const std::uint64_t blocks = BlockCount(imageSize);
  const std::uint64_t addresses = (blocks + 3) / 4;  // one before every fourth block
  constexpr std::uint64_t kHello = 1, kReply = 1;
  return kHello + (kCommandLength + kReply) + addresses * (kCommandLength + kReply) +
         blocks * (kDataCommandLength + kReply) + kCommandLength;
}

double LineSeconds(std::uint64_t imageSize) {
  return static_cast<double>(LineBytes(imageSize)) * kBitsPerByte / kLineBitRate;
}

std::string DurationText(double seconds) {
  char text[48];
  if (seconds < 60) {
    std::snprintf(text, sizeof text, "%.1f s", seconds);
  } else if (seconds < 3600) {
    const long whole = std::lround(seconds);
    std::snprintf(text, sizeof text, "%ld min %ld s", whole / 60, whole % 60);
  } else {
    const long minutes = std::lround(seconds / 60);
    std::snprintf(text, sizeof text, "%ld h %ld min", minutes / 60, minutes % 60);
  }
  return text;
}

}  // namespace transfer
