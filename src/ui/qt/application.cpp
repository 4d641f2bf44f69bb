#include "ui/qt/application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <exception>

#include "ui/qt/close_on_signals.h"
#include "ui/qt/messages.h"
#include "ui/qt/widgets/app_icon.h"
#include "ui/qt/widgets/form2.h"

namespace ui {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  // The name, not the display name: Qt would append a display name to every window title,
  // and the main window's caption is the HEX file's name alone.
  setApplicationName(QString::fromUtf8(kApplicationTitle));
  setWindowIcon(ApplicationIcon());
  // Docks and task bars find the icon and name through the installed desktop entry.
  setDesktopFileName(QStringLiteral("zagruzchik"));
  // The program speaks Russian, so do Qt's own dialogs and buttons, whatever the locale.
  if (qtTranslations_.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    installTranslator(&qtTranslations_);
}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ReportException(std::current_exception());
    return false;
  }
}

TLoaderProgram::TLoaderProgram(ProgramSetup setup)
    : windows_([&] { return std::make_unique<TForm1>(std::move(setup)); },
               [](TForm1& form1) { return std::make_unique<TForm2>(&form1); }) {}

void TLoaderProgram::Show() {
  Form1().show();
}

int RunLoader(Application& app, ProgramSetup setup) {
  // Before the windows: the first start's file dialog opens while the main window is made.
  CloseOnSignals closeOnSignals;
  TLoaderProgram program(std::move(setup));
  // A signal during start-up ends the program there; the window is never shown.
  if (closeOnSignals.Requested()) return 0;
  closeOnSignals.Watch(program.Form1());
  program.Show();
  app.exec();
  return 0;
}

}  // namespace ui
