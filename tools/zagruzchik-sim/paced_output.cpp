#include "paced_output.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "line.h"

namespace sim {

Clock::duration LineTime(std::uint64_t bytes) {
  constexpr std::uint64_t kBitsPerByte = 10;
  constexpr std::uint64_t kBitRate = 10400;
  return std::chrono::duration_cast<Clock::duration>(
      std::chrono::nanoseconds(bytes * kBitsPerByte * 1'000'000'000 / kBitRate));
}

void PacedOutput::Queue(std::uint8_t byte, Clock::time_point earliest) {
  if (!pace_) {
    queue_.push_back({byte, earliest});
    return;
  }
  // A byte that finds the line idle starts a new stretch; otherwise it follows the
  // one before it. It arrives at the far end when its own frame is complete.
  if (stretchBytes_ == 0 || earliest > stretchStart_ + LineTime(stretchBytes_)) {
    stretchStart_ = earliest;
    stretchBytes_ = 0;
  }
  ++stretchBytes_;
  queue_.push_back({byte, stretchStart_ + LineTime(stretchBytes_)});
}

void PacedOutput::WriteDue(int fd, Clock::time_point horizon) {
  const Clock::time_point now = Clock::now();
  std::uint8_t chunk[kMaxBurst];
  // Whole groups whose last byte is due.
  std::size_t count = 0;
  while (count < queue_.size()) {
    const std::size_t group = std::min(burst_, queue_.size() - count);
    if (count + group > sizeof chunk || queue_[count + group - 1].due > horizon) break;
    for (std::size_t i = count; i < count + group; ++i) chunk[i] = queue_[i].byte;
    count += group;
  }
  blocked_ = false;
  if (count == 0) return;
  const ssize_t written = write(fd, chunk, count);
  if (written < 0) {
    if (errno == EAGAIN || errno == EINTR) {
      blocked_ = true;
      return;
    }
    throw LineError(std::string("write: ") + std::strerror(errno));
  }
  if (sent_ == 0) firstWrite_ = now;
  lastWrite_ = now;
  sent_ += static_cast<std::uint64_t>(written);
  queue_.erase(queue_.begin(), queue_.begin() + written);
  blocked_ = static_cast<std::size_t>(written) < count;
}

std::optional<Clock::time_point> PacedOutput::NextDue() const {
  if (queue_.empty()) return std::nullopt;
  return GroupEnd().due;
}

const PacedOutput::Entry& PacedOutput::GroupEnd() const {
  return queue_[std::min(burst_, queue_.size()) - 1];
}

Clock::duration PacedOutput::SendingSpan() const {
  if (sent_ == 0) return Clock::duration::zero();
  // With pacing, the first byte's frame began one line time before it was written.
  return lastWrite_ - firstWrite_ + (pace_ ? LineTime(1) : Clock::duration::zero());
}

}  // namespace sim
