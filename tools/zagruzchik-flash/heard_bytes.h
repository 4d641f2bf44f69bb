#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace flash {

// Bytes already read off a port (a hello heard before the engine listened) are the engine's
// next read: moves up to count of them into buffer and returns how many.
inline std::int32_t TakeHeard(std::vector<std::uint8_t>& heard, std::uint8_t* buffer,
                              std::int32_t count) {
  const auto n = static_cast<std::int32_t>(
      std::min<std::size_t>(static_cast<std::size_t>(std::max(count, 0)), heard.size()));
  std::copy_n(heard.begin(), n, buffer);
  heard.erase(heard.begin(), heard.begin() + n);
  return n;
}

}  // namespace flash
