#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace sim {

// The flasher sent something the boot loader cannot take.
class ProtocolError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr std::size_t kBlockSize = 128;

struct Packet {
  enum Kind { kSync, kAddress, kData, kEnd } kind;
  int number;  // counted from 1
  std::uint16_t address;
  std::uint8_t reply;  // the correct reply; none is sent for kEnd
};

// The target's side of the protocol: splits the received bytes into packets, checks
// that they come in the order a download needs and collects the image they carry.
class BootLoader {
 public:
  // Takes the next received byte; returns the packet it completes, if any.
  std::optional<Packet> Take(std::uint8_t byte);

  // Every block received so far, block n at offset n * 128 (addresses wrap every
  // 64 KiB, so the order tells where a block belongs).
  const std::vector<std::uint8_t>& Image() const { return image_; }
  std::size_t Blocks() const { return image_.size() / kBlockSize; }

 private:
  Packet Complete();
  [[noreturn]] void Fail(const std::string& what) const;

  std::vector<std::uint8_t> packet_;
  std::size_t packetLength_ = 0;
  int packets_ = 0;
  bool synchronised_ = false;
  bool addressGiven_ = false;  // for the group of four blocks that comes next
  std::vector<std::uint8_t> image_;
};

}  // namespace sim
