#include "h2b/image_digest.h"

#include <cstring>

namespace h2b {

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;

std::uint64_t RotateLeft(std::uint64_t value, int bits) {
  return (value << bits) | (value >> (64 - bits));
}

// Four independent lanes keep the multiplier busy.
std::uint64_t Round(std::uint64_t lane, std::uint64_t word) {
  return RotateLeft(lane + word * kPrime2, 31) * kPrime1;
}

std::uint64_t Word(const std::uint8_t* data) {
  std::uint64_t word;
  std::memcpy(&word, data, sizeof word);
  return word;
}

}  // namespace

std::uint64_t ImageDigest::Of(const std::uint8_t* data, std::size_t count) {
  std::uint64_t lanes[4] = {kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1};
  std::size_t i = 0;
  for (; i + 32 <= count; i += 32)
    for (int lane = 0; lane < 4; ++lane)
      lanes[lane] = Round(lanes[lane], Word(data + i + 8 * lane));
  std::uint64_t hash = RotateLeft(lanes[0], 1) + RotateLeft(lanes[1], 7) +
                       RotateLeft(lanes[2], 12) + RotateLeft(lanes[3], 18) + count;
  for (; i + 8 <= count; i += 8) hash = RotateLeft(hash ^ Round(0, Word(data + i)), 27) * kPrime1;
  for (; i < count; ++i) hash = RotateLeft(hash ^ (data[i] * kPrime2), 11) * kPrime1;
  hash ^= hash >> 33;
  hash *= kPrime2;
  hash ^= hash >> 29;
  return hash;
}

void ImageDigest::Set(std::size_t chunk, std::uint64_t value) {
  if (chunk >= chunks_.size()) chunks_.resize(chunk + 1);
  chunks_[chunk] = value;
}

}  // namespace h2b
