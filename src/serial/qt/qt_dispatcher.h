#pragma once

#include <QObject>

#include "serial/ui_dispatcher.h"

namespace serial {

// Hands the port's calls to the Qt event loop of the thread that owns context (by default the
// application object, i.e. the main thread). Create it on that thread.
class QtDispatcher : public UiDispatcher {
 public:
  explicit QtDispatcher(QObject* context = nullptr);
  void Post(std::function<void()> call) override;

 private:
  QObject* context_;
};

}  // namespace serial
