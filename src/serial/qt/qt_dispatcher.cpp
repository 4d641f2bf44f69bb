#include "serial/qt/qt_dispatcher.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace serial {

QtDispatcher::QtDispatcher(QObject* context)
    : context_(context != nullptr ? context : QCoreApplication::instance()) {}

void QtDispatcher::Post(std::function<void()> call) {
  QMetaObject::invokeMethod(context_, std::move(call), Qt::QueuedConnection);
}

}  // namespace serial
