#pragma once

#include <functional>

namespace serial {

// The user-interface thread's event loop as the port's background threads see it.
class UiDispatcher {
 public:
  virtual ~UiDispatcher() = default;

  // Called from any thread: queues call to run later on the user-interface thread and returns
  // at once. The event loop runs each call once, in the order posted; calls still queued when
  // the loop ends may be destroyed without running (the port never waits for them then).
  virtual void Post(std::function<void()> call) = 0;
};

}  // namespace serial
