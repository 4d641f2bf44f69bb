#include "h2b/hex_record.h"

#include <array>
#include <string>

#include "h2b/errors.h"

namespace h2b {

namespace {

// Positions counted from 0 at the start code.
constexpr std::size_t kByteCountAt = 1;
constexpr std::size_t kAddressAt = 3;
constexpr std::size_t kTypeAt = 7;
constexpr std::size_t kDataAt = 9;

constexpr std::uint8_t kDataRecord = 0x00;
constexpr std::uint8_t kSegmentAddressRecord = 0x02;
constexpr std::uint8_t kLinearAddressRecord = 0x04;

constexpr std::int8_t kNotHex = -1;

constexpr std::array<std::int8_t, 256> MakeDigitTable() {
  std::array<std::int8_t, 256> table{};
  for (auto& entry : table) entry = kNotHex;
  for (int c = '0'; c <= '9'; ++c) table[c] = static_cast<std::int8_t>(c - '0');
  for (int c = 'A'; c <= 'F'; ++c) table[c] = static_cast<std::int8_t>(c - 'A' + 10);
  for (int c = 'a'; c <= 'f'; ++c) table[c] = static_cast<std::int8_t>(c - 'a' + 10);
  return table;
}
constexpr std::array<std::int8_t, 256> kDigit = MakeDigitTable();

// Reads width hex digits at pos into value; false when the line ends first or a
// character is no hex digit.
bool ReadHex(std::string_view line, std::size_t pos, std::size_t width, std::uint32_t& value) {
  if (line.size() < pos + width) return false;
  std::uint32_t result = 0;
  for (std::size_t i = pos; i < pos + width; ++i) {
    const std::int8_t digit = kDigit[static_cast<unsigned char>(line[i])];
    if (digit == kNotHex) return false;
    result = result << 4 | static_cast<std::uint32_t>(digit);
  }
  value = result;
  return true;
}

[[noreturn]] void ThrowNotInteger(std::string_view line, std::size_t pos, std::size_t width) {
  const std::string_view present = pos < line.size() ? line.substr(pos, width) : "";
  throw EConvertError("'$" + std::string(present) + "' is not a valid integer value");
}

std::uint32_t ReadField(std::string_view line, std::size_t pos, std::size_t width) {
  std::uint32_t value;
  if (!ReadHex(line, pos, width, value)) ThrowNotInteger(line, pos, width);
  return value;
}

void ConvertDataRecord(std::string_view line, std::uint32_t baseAddress, ImageSink& image) {
  const std::uint32_t offset = baseAddress + ReadField(line, kAddressAt, 4);
  // The fill reaches the record's offset even when its bytes then turn out unreadable.
  image.PadTo(offset);
  const std::uint32_t count = ReadField(line, kByteCountAt, 2);
  std::uint8_t data[255];
  std::uint32_t read = 0;
  std::uint32_t value;
  while (read < count && ReadHex(line, kDataAt + 2 * read, 2, value))
    data[read++] = static_cast<std::uint8_t>(value);
  image.Put(offset, data, read);
  if (read < count) ThrowNotInteger(line, kDataAt + 2 * read, 2);
}

}  // namespace

void ConvertHexLine(std::string_view line, std::uint32_t& baseAddress, ImageSink& image) {
  if (line.empty() || line[0] != ':') return;
  switch (ReadField(line, kTypeAt, 2)) {
    case kDataRecord:
      ConvertDataRecord(line, baseAddress, image);
      break;
    case kSegmentAddressRecord:
      baseAddress = ReadField(line, kDataAt, 4) << 4;
      break;
    case kLinearAddressRecord:
      baseAddress = ReadField(line, kDataAt, 4) << 16;
      break;
    default:
      break;
  }
}

}  // namespace h2b
