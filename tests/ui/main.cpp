#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include "ui/qt/application.h"

namespace {

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform warns about every window feature it lacks; the rest still shows.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith(QLatin1String("This plugin does not support"))) return;
  defaultHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  defaultHandler = qInstallMessageHandler(QuietHandler);
  ::testing::InitGoogleTest(&argc, argv);
  ui::Application app(argc, argv);
  return RUN_ALL_TESTS();
}
