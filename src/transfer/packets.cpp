#include "transfer/packets.h"

#include <algorithm>
#include <numeric>

namespace transfer {
namespace {

void PutCommand(TxBufferArray& buffer, std::uint8_t code, std::uint16_t address) {
  buffer[0] = code;
  buffer[1] = static_cast<std::uint8_t>(address >> 8);
  buffer[2] = static_cast<std::uint8_t>(address & 0xFF);
}

}  // namespace

void PutSyncCommand(TxBufferArray& buffer) {
  std::copy(kSyncCommand.begin(), kSyncCommand.end(), buffer.begin());
}

void PutAddressCommand(TxBufferArray& buffer, std::uint16_t address) {
  PutCommand(buffer, kAddressCode, address);
}

void PutDataHeader(TxBufferArray& buffer, std::uint16_t address) {
  PutCommand(buffer, kDataCode, address);
}

void PutEndCommand(TxBufferArray& buffer) {
  PutCommand(buffer, kEndCode, 0x0000);
}

std::uint8_t DataChecksum(const TxBufferArray& buffer) {
  const auto* data = buffer.data() + kDataOffset;
  return static_cast<std::uint8_t>(std::accumulate(data, data + kBlockSize, 0u));
}

}  // namespace transfer
