#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace fuzz {

// The record rules of the converter, written again as plainly as they can be, to judge it
// by: the image a HEX text must give, or none when a field read is not hexadecimal.
// Images longer than cap bytes are not worked out (tooLarge is set).
struct ModelResult {
  std::optional<std::vector<std::uint8_t>> image;
  bool tooLarge = false;
};
ModelResult ModelImage(std::string_view text, std::uint64_t cap);

}  // namespace fuzz
