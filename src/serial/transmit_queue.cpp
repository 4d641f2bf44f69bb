#include "serial/transmit_queue.h"

#include <cstring>

namespace serial {

TransmitQueue::TransmitQueue(std::size_t capacity)
    : capacity_(capacity), bytes_(std::make_unique<std::uint8_t[]>(capacity)) {}

bool TransmitQueue::Append(const std::uint8_t* data, std::size_t n,
                           std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  if (n > capacity_ - count_) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    if (!room_.wait_until(lock, deadline, [&] { return n <= capacity_ - count_; })) return false;
  }
  std::memcpy(bytes_.get() + count_, data, n);
  count_ += n;
  lock.unlock();
  dataReady_.notify_one();
  return true;
}

bool TransmitQueue::WaitForData(const std::uint8_t*& front, std::size_t& count) {
  std::unique_lock lock(mutex_);
  dataReady_.wait(lock, [&] { return stopped_ || count_ > 0; });
  if (stopped_) return false;
  front = bytes_.get();
  count = count_;
  return true;
}

std::size_t TransmitQueue::Remove(std::size_t n) {
  std::size_t remaining;
  {
    std::lock_guard lock(mutex_);
    std::memmove(bytes_.get(), bytes_.get() + n, count_ - n);
    count_ -= n;
    remaining = count_;
  }
  room_.notify_all();
  return remaining;
}

bool TransmitQueue::Empty() {
  std::lock_guard lock(mutex_);
  return count_ == 0;
}

void TransmitQueue::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  dataReady_.notify_all();
}

}  // namespace serial
