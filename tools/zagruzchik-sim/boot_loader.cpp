#include "boot_loader.h"

#include <cstdio>

namespace sim {

namespace {

constexpr std::uint8_t kSyncCommand = 0x55;
constexpr std::uint8_t kAddressCommand = 0x11;
constexpr std::uint8_t kDataCommand = 0x22;
constexpr std::uint8_t kEndCommand = 0x99;
constexpr std::uint8_t kAck = 0xAA;

std::size_t PacketLength(std::uint8_t command) {
  switch (command) {
    case kSyncCommand:
    case kAddressCommand:
    case kEndCommand:
      return 3;
    case kDataCommand:
      return 3 + kBlockSize;
    default:
      return 0;
  }
}

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

// The command and address bytes as they came: "55 33 CD".
std::string Head(const std::vector<std::uint8_t>& packet) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X %02X %02X", packet[0], packet[1], packet[2]);
  return text;
}

}  // namespace

std::optional<Packet> BootLoader::Take(std::uint8_t byte) {
  if (packet_.empty()) {
    ++packets_;
    packetLength_ = PacketLength(byte);
    if (packetLength_ == 0) Fail("unknown command byte " + Hex(byte, 2));
  }
  packet_.push_back(byte);
  if (packet_.size() < packetLength_) return std::nullopt;
  Packet packet = Complete();
  packet_.clear();
  return packet;
}

Packet BootLoader::Complete() {
  const std::uint16_t address = static_cast<std::uint16_t>(packet_[1] << 8 | packet_[2]);
  const std::size_t block = Blocks();
  const auto blockAddress = static_cast<std::uint16_t>(block * kBlockSize);
  Packet packet{Packet::kEnd, packets_, address, kAck};
  if (packet_[0] != kSyncCommand && !synchronised_)
    Fail(Head(packet_) + " before the synchronisation command");
  switch (packet_[0]) {
    case kSyncCommand:
      if (synchronised_) Fail("a second synchronisation command");
      if (address != 0x33CC) Fail("synchronisation command " + Head(packet_));
      synchronised_ = true;
      packet.kind = Packet::kSync;
      break;
    case kAddressCommand:
      if (block % 4 != 0 || addressGiven_)
        Fail("address command before block " + std::to_string(block) +
             ", which is not the first of four");
      if (address != blockAddress)
        Fail("address command " + Hex(address, 4) + " before block " + std::to_string(block) +
             ", expected " + Hex(blockAddress, 4));
      addressGiven_ = true;
      packet.kind = Packet::kAddress;
      break;
    case kDataCommand: {
      if (block % 4 == 0 && !addressGiven_)
        Fail("block " + std::to_string(block) + " without an address command before it");
      if (address != blockAddress)
        Fail("block " + std::to_string(block) + " at address " + Hex(address, 4) + ", expected " +
             Hex(blockAddress, 4));
      unsigned sum = 0;
      for (std::size_t i = 3; i < packet_.size(); ++i) sum += packet_[i];
      image_.insert(image_.end(), packet_.begin() + 3, packet_.end());
      addressGiven_ = false;
      packet.kind = Packet::kData;
      packet.reply = static_cast<std::uint8_t>(sum);
      break;
    }
    case kEndCommand:
      if (address != 0) Fail("end command " + Head(packet_));
      break;
  }
  return packet;
}

void BootLoader::Fail(const std::string& what) const {
  throw ProtocolError("packet " + std::to_string(packets_) + ": " + what);
}

}  // namespace sim
