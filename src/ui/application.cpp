#include "ui/application.h"

#include <exception>

#include "ui/app_icon.h"
#include "ui/messages.h"

namespace ui {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  // The name, not the display name: Qt would append a display name to every window title,
  // and the main window's caption is the HEX file's name alone.
  setApplicationName(QString::fromUtf8(kApplicationTitle));
  setWindowIcon(ApplicationIcon());
}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& failure) {
    ReportException(failure);
    return false;
  }
}

}  // namespace ui
