#pragma once

#include <QObject>
#include <memory>

#include "serial/ui_dispatcher.h"

namespace serial {

// Hands the port's calls to the Qt event loop of the thread that owns context (by default the
// application object, i.e. the main thread). Create it on that thread.
class QtDispatcher : public UiDispatcher {
 public:
  explicit QtDispatcher(QObject* context = nullptr);
  ~QtDispatcher() override;
  void Post(std::function<void()> call) override;

 private:
  class Receiver;
  // Each call is one posted event to this object: on a paced line that is one per received
  // byte, so it skips the meta-call machinery a queued invokeMethod goes through.
  std::unique_ptr<Receiver> receiver_;
};

}  // namespace serial
