#include "serial/qt/qt_dispatcher.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <stdexcept>

namespace serial {

namespace {

const QEvent::Type kCallEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class CallEvent : public QEvent {
 public:
  explicit CallEvent(std::function<void()> call) : QEvent(kCallEvent), call(std::move(call)) {}
  std::function<void()> call;
};

}  // namespace

class QtDispatcher::Receiver : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() != kCallEvent) return QObject::event(e);
    static_cast<CallEvent*>(e)->call();
    return true;
  }
};

QtDispatcher::QtDispatcher(QObject* context) : receiver_(std::make_unique<Receiver>()) {
  if (context == nullptr) context = QCoreApplication::instance();
  // Without an event loop to run them, the port's calls would wait until it closes.
  if (context == nullptr) throw std::logic_error("QtDispatcher needs a QCoreApplication");
  receiver_->moveToThread(context->thread());
}

// Calls still queued are dropped with the receiver; the port that posted them is gone already.
QtDispatcher::~QtDispatcher() = default;

void QtDispatcher::Post(std::function<void()> call) {
  QCoreApplication::postEvent(receiver_.get(), new CallEvent(std::move(call)));
}

}  // namespace serial
