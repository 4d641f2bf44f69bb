#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

namespace sim {

using Clock = std::chrono::steady_clock;

inline constexpr std::size_t kMaxBurst = 512;

// One byte on the line: 10 bits (start, 8 data, stop) at 10400 bit/s.
Clock::duration LineTime(std::uint64_t bytes);

// Everything the target sends, each byte released when it would have crossed the line.
// Due times are counted from the start of each busy stretch, so rounding never adds up.
class PacedOutput {
 public:
  PacedOutput(bool pace, std::size_t burst) : pace_(pace), burst_(burst) {}

  // Queues a byte that may not go out before `earliest` (its arrival, for an echo).
  void Queue(std::uint8_t byte, Clock::time_point earliest);
  // Writes every byte that is due by horizon (now, or a little later for a loop that serves
  // many lines at each wake-up) to the non-blocking fd.
  void WriteDue(int fd, Clock::time_point horizon);

  bool Empty() const { return queue_.empty(); }
  // Drops what is queued: the side it was for has gone.
  void Discard() {
    queue_.clear();
    blocked_ = false;
  }
  // The line refused bytes: wait for it to take more before writing again.
  bool Blocked() const { return blocked_; }
  std::optional<Clock::time_point> NextDue() const;

  std::uint64_t BytesSent() const { return sent_; }
  // From the start of the first byte's frame to the end of the last one's.
  Clock::duration SendingSpan() const;

 private:
  struct Entry {
    std::uint8_t byte;
    Clock::time_point due;
  };

  // The group at the front of the queue goes out once its last byte is due.
  const Entry& GroupEnd() const;

  bool pace_;
  std::size_t burst_;
  std::deque<Entry> queue_;
  Clock::time_point stretchStart_{};
  std::uint64_t stretchBytes_ = 0;
  bool blocked_ = false;
  std::uint64_t sent_ = 0;
  Clock::time_point firstWrite_{};
  Clock::time_point lastWrite_{};
};

}  // namespace sim
