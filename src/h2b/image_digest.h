#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace h2b {

// Fingerprints of an image, chunk by chunk, taken as it is written: a download compares what
// it reads with them, so that an image another program rewrote meanwhile is never sent.
class ImageDigest {
 public:
  static constexpr std::size_t kChunk = 1 << 20;

  // Fast, not cryptographic: it tells accidental changes, not deliberate ones.
  static std::uint64_t Of(const std::uint8_t* data, std::size_t count);

  void Set(std::size_t chunk, std::uint64_t value);
  std::uint64_t At(std::size_t chunk) const { return chunks_.at(chunk); }
  std::size_t Chunks() const { return chunks_.size(); }

 private:
  std::vector<std::uint64_t> chunks_;
};

}  // namespace h2b
