#pragma once

#include <functional>
#include <memory>
#include <mutex>

#include "serial/ui_dispatcher.h"
#include "sys/sync.h"

namespace serial {

// Synchronous calls from a background thread into the user-interface thread, for one opening
// of a port. Release ends every wait at once and drops the calls that have not started, so a
// thread waiting here never keeps the user-interface thread from closing the port.
class Handover : public std::enable_shared_from_this<Handover> {
 public:
  explicit Handover(UiDispatcher& ui) : ui_(ui) {}

  // Background thread: runs call on the user-interface thread and returns true once it has
  // returned there; false when released first (a call already running goes on to its end).
  bool Run(std::function<void()> call);
  // Event thread: waits until the call it started last has returned on the user-interface
  // thread, then starts call and returns true without waiting for it; false when released.
  // Calls started this way never overlap, yet the thread needs no wake-up when one ends and
  // nothing new has happened.
  bool Start(std::function<void()> call);
  // User-interface thread.
  void Release();

 private:
  // Queues call; once it has returned on the user-interface thread, *returned becomes true.
  void Post(std::function<void()> call, std::shared_ptr<bool> returned);

  UiDispatcher& ui_;
  sys::Mutex mutex_;
  sys::Condition returned_;
  bool released_ = false;
  std::shared_ptr<bool> lastStarted_;  // whether the call Start posted last has returned
};

}  // namespace serial
