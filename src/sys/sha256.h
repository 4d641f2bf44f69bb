#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sys {

// SHA-256 (FIPS 180-4), fed in pieces: the fingerprint a production record gives an image.
class Sha256 {
 public:
  Sha256();
  void Add(const std::uint8_t* data, std::size_t count);
  // The digest in lower-case hexadecimal; the object is used up.
  std::string HexDigest();

 private:
  void Block(const std::uint8_t* block);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> pending_{};
  std::size_t pendingSize_ = 0;
  std::uint64_t total_ = 0;
};

}  // namespace sys
