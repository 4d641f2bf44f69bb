#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The boot loader's wire format. Addresses go high byte first.
namespace transfer {

inline constexpr std::size_t kBlockSize = 128;
inline constexpr std::size_t kTxBufferSize = 1024;
// Received bytes taken from the port per notification; the rest wait for the next one.
inline constexpr std::int32_t kRxChunk = 1024;

// The commands: a code byte and a 16-bit address, a DataCommand's 128 data bytes after them.
inline constexpr std::array<std::uint8_t, 3> kSyncCommand = {0x55, 0x33, 0xCC};
inline constexpr std::uint8_t kAddressCode = 0x11;
inline constexpr std::uint8_t kDataCode = 0x22;
inline constexpr std::uint8_t kEndCode = 0x99;  // with address 0x0000
inline constexpr std::int32_t kCommandLength = 3;
inline constexpr std::int32_t kDataCommandLength = 3 + static_cast<std::int32_t>(kBlockSize);
// Where the data of a DataCommand starts.
inline constexpr std::size_t kDataOffset = 3;

// The device says hello once it is powered; line noise before it is 0x00 or 0xFF.
inline constexpr std::uint8_t kDeviceHello = 0x55;
inline constexpr std::uint8_t kAcknowledge = 0xAA;

using TxBufferArray = std::array<std::uint8_t, kTxBufferSize>;

void PutSyncCommand(TxBufferArray& buffer);
void PutAddressCommand(TxBufferArray& buffer, std::uint16_t address);
// Only the command byte and address: the data is read into place by the caller.
void PutDataHeader(TxBufferArray& buffer, std::uint16_t address);
void PutEndCommand(TxBufferArray& buffer);
// Sum of the 128 data bytes modulo 256.
std::uint8_t DataChecksum(const TxBufferArray& buffer);
// The line may lose bit 7 (or set it): only the low seven bits count.
constexpr bool ReplyMatches(std::uint8_t reply, std::uint8_t expected) {
  return ((reply ^ expected) & 0x7F) == 0;
}

}  // namespace transfer
