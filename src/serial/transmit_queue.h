#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "sys/sync.h"

namespace serial {

// The fixed block of bytes waiting for the writer thread. Appends go behind the queued bytes and
// the writer removes from the front, so the bytes it is writing never move while it writes.
class TransmitQueue {
 public:
  explicit TransmitQueue(std::size_t capacity);

  // User-interface thread: waits up to timeout for room for all n bytes, then appends them.
  // False, with nothing appended, when there was no room in time.
  bool Append(const std::uint8_t* data, std::size_t n, std::chrono::milliseconds timeout);

  // Writer thread: blocks until bytes are queued or Stop; false on Stop. The count and start
  // stay valid until Remove.
  bool WaitForData(const std::uint8_t*& front, std::size_t& count);
  // Writer thread: drops n written bytes from the front; returns how many remain.
  std::size_t Remove(std::size_t n);

  // Any thread: whether every appended byte has been written (removed).
  bool Empty();

  // Any thread: ends WaitForData for good.
  void Stop();

 private:
  const std::size_t capacity_;
  std::unique_ptr<std::uint8_t[]> bytes_;
  sys::Mutex mutex_;
  sys::Condition dataReady_;
  sys::Condition room_;
  std::size_t count_ = 0;
  bool stopped_ = false;
};

}  // namespace serial
