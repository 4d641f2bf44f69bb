#include "hex_model.h"

#include <map>

namespace fuzz {

namespace {

int Digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The field of count characters from 1-based position first; none when any is missing or
// not a hex digit.
std::optional<std::uint32_t> Field(std::string_view line, std::size_t first, std::size_t count) {
  if (line.size() < first - 1 + count) return std::nullopt;
  std::uint32_t value = 0;
  for (std::size_t i = first - 1; i < first - 1 + count; ++i) {
    const int d = Digit(line[i]);
    if (d < 0) return std::nullopt;
    value = value * 16 + static_cast<std::uint32_t>(d);
  }
  return value;
}

std::vector<std::string_view> Lines(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find_first_of("\r\n");
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
    text.remove_prefix(end + (crlf ? 2 : 1));
  }
  return lines;
}

}  // namespace

ModelResult ModelImage(std::string_view text, std::uint64_t cap) {
  std::map<std::uint64_t, std::uint8_t> bytes;
  std::uint64_t length = 0;
  std::uint32_t base = 0;
  ModelResult result;
  for (const std::string_view line : Lines(text)) {
    if (line.empty() || line[0] != ':') continue;
    const auto type = Field(line, 8, 2);
    if (!type) return result;
    if (*type == 0) {
      const auto address = Field(line, 4, 4);
      const auto count = Field(line, 2, 2);
      if (!address || !count) return result;
      const std::uint64_t offset = static_cast<std::uint32_t>(base + *address);
      if (offset + *count > cap) {
        result.tooLarge = true;
        return result;
      }
      if (offset > length) length = offset;
      for (std::uint32_t k = 1; k <= *count; ++k) {
        const auto byte = Field(line, 8 + 2 * k, 2);
        if (!byte) return result;
        bytes[offset + k - 1] = static_cast<std::uint8_t>(*byte);
        if (offset + k > length) length = offset + k;
      }
    } else if (*type == 2 || *type == 4) {
      const auto value = Field(line, 10, 4);
      if (!value) return result;
      base = *value * (*type == 2 ? 16u : 65536u);
    }
  }
  std::vector<std::uint8_t> image(length, 0xFF);
  for (const auto& [offset, byte] : bytes) image[offset] = byte;
  result.image = std::move(image);
  return result;
}

}  // namespace fuzz
