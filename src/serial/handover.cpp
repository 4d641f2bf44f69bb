#include "serial/handover.h"

#include <utility>

namespace serial {

struct Handover::Call {
  explicit Call(std::function<void()> f) : function(std::move(f)) {}
  std::function<void()> function;
  bool done = false;
};

bool Handover::Run(std::function<void()> call) {
  auto shared = std::make_shared<Call>(std::move(call));
  {
    std::lock_guard lock(mutex_);
    if (released_) return false;
  }
  // The posted call keeps this object alive: it may run after the port is gone, and then only
  // sees the released flag.
  ui_.Post([self = shared_from_this(), shared] {
    {
      std::lock_guard lock(self->mutex_);
      if (self->released_) return;
    }
    shared->function();
    {
      std::lock_guard lock(self->mutex_);
      shared->done = true;
    }
    self->done_.notify_all();
  });
  std::unique_lock lock(mutex_);
  done_.wait(lock, [&] { return shared->done || released_; });
  return shared->done;
}

bool Handover::Start(std::function<void()> call) {
  {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return released_ || !started_; });
    if (released_) return false;
    started_ = true;
  }
  ui_.Post([self = shared_from_this(), call = std::move(call)] {
    {
      std::lock_guard lock(self->mutex_);
      if (self->released_) return;
    }
    call();
    {
      std::lock_guard lock(self->mutex_);
      self->started_ = false;
    }
    self->done_.notify_all();
  });
  return true;
}

void Handover::Release() {
  {
    std::lock_guard lock(mutex_);
    released_ = true;
  }
  done_.notify_all();
}

}  // namespace serial
