#pragma once

#include <cstdint>
#include <string>

namespace transfer {

// What a download needs of the serial device. Every call comes from the user-interface
// thread; failures are thrown as exceptions carrying the user-visible message.
class Port {
 public:
  virtual ~Port() = default;

  // "COM%d" (the initial value) means that no port has been chosen yet.
  virtual std::string DeviceName() const = 0;
  virtual bool Active() const = 0;
  virtual void Open() = 0;
  // Queues count bytes for transmission and returns count without waiting for the line.
  virtual std::int32_t WriteBuf(const std::uint8_t* buffer, std::int32_t count) = 0;
  // Reads up to count received bytes; returns how many were read.
  virtual std::int32_t ReadBuf(std::uint8_t* buffer, std::int32_t count) = 0;
  // A hint, not a contract: the engine waits for count more bytes (a packet's echo and its
  // reply), or takes every byte as it comes (0, waiting for the hello). A port may then gather
  // the bytes into one notification; what it notifies and when stays correct without the hint.
  virtual void Await(std::int32_t count) { static_cast<void>(count); }
};

}  // namespace transfer
