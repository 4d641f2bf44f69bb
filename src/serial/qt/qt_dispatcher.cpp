#include "serial/qt/qt_dispatcher.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <stdexcept>

namespace serial {

QtDispatcher::QtDispatcher(QObject* context)
    : context_(context != nullptr ? context : QCoreApplication::instance()) {
  // Without an event loop to run them, the port's calls would wait until it closes.
  if (context_ == nullptr) throw std::logic_error("QtDispatcher needs a QCoreApplication");
}

void QtDispatcher::Post(std::function<void()> call) {
  QMetaObject::invokeMethod(context_, std::move(call), Qt::QueuedConnection);
}

}  // namespace serial
