#include "serial/handover.h"

#include <utility>

namespace serial {

void Handover::Post(std::function<void()> call, std::shared_ptr<bool> returned) {
  // The posted call keeps this object alive: it may run after the port is gone, and then only
  // sees the released flag.
  ui_.Post([self = shared_from_this(), call = std::move(call), returned = std::move(returned)] {
    {
      std::lock_guard lock(self->mutex_);
      if (self->released_) return;
    }
    call();
    {
      std::lock_guard lock(self->mutex_);
      *returned = true;
    }
    self->returned_.notify_all();
  });
}

bool Handover::Run(std::function<void()> call) {
  auto returned = std::make_shared<bool>(false);
  {
    std::lock_guard lock(mutex_);
    if (released_) return false;
  }
  Post(std::move(call), returned);
  std::unique_lock lock(mutex_);
  returned_.wait(lock, [&] { return *returned || released_; });
  return *returned;
}

bool Handover::Start(std::function<void()> call) {
  auto returned = std::make_shared<bool>(false);
  {
    std::unique_lock lock(mutex_);
    returned_.wait(lock, [&] { return released_ || !lastStarted_ || *lastStarted_; });
    if (released_) return false;
    lastStarted_ = returned;
  }
  Post(std::move(call), std::move(returned));
  return true;
}

void Handover::Release() {
  {
    std::lock_guard lock(mutex_);
    released_ = true;
  }
  returned_.notify_all();
}

}  // namespace serial
