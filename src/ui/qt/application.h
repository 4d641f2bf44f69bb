#pragma once

#include <QApplication>
#include <QTranslator>
#include <memory>

#include "ui/behaviour/window_lifetime.h"
#include "ui/qt/tform1.h"
#include "ui/qt/widgets/form2.h"

namespace ui {

// The program's application object. Its notify() is the one catch point of the event loops,
// the main one and every modal one: an exception that leaves an event handler is reported by
// ReportException and the loop goes on with the next event.
class Application : public QApplication {
  Q_OBJECT

 public:
  // Also sets the application title and icon, and puts Qt's own texts into Russian.
  Application(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  QTranslator qtTranslations_;
};

// The program's two windows from start-up to shutdown, in the order WindowLifetime gives; a
// failure inside FormCreate is reported and the rest of it skipped.
class TLoaderProgram {
 public:
  explicit TLoaderProgram(ProgramSetup setup = {});
  TLoaderProgram(const TLoaderProgram&) = delete;
  TLoaderProgram& operator=(const TLoaderProgram&) = delete;

  // Makes the main window visible; the event loop that runs next shows any deferred message.
  void Show();

  TForm1& Form1() { return windows_.Main(); }
  TForm2& Form2() { return windows_.Prompt(); }

 private:
  WindowLifetime<TForm1, TForm2> windows_;
};

// The whole run: windows, the event loop until the main window is closed, shutdown. Returns
// the process's exit code, always 0.
int RunLoader(Application& app, ProgramSetup setup = {});

}  // namespace ui
