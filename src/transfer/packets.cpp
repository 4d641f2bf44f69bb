#include "transfer/packets.h"

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
  buffer[0] = 0x55;
  buffer[1] = 0x33;
  buffer[2] = 0xCC;
}

void PutAddressCommand(TxBufferArray& buffer, std::uint16_t address) {
  PutCommand(buffer, 0x11, address);
}

void PutDataHeader(TxBufferArray& buffer, std::uint16_t address) {
  PutCommand(buffer, 0x22, address);
}

void PutEndCommand(TxBufferArray& buffer) {
  PutCommand(buffer, 0x99, 0x0000);
}

std::uint8_t DataChecksum(const TxBufferArray& buffer) {
  const auto* data = buffer.data() + kDataOffset;
  return static_cast<std::uint8_t>(std::accumulate(data, data + kBlockSize, 0u));
}

}  // namespace transfer
