#pragma once

#include <QApplication>
#include <QTranslator>
#include <memory>

#include "ui/qt/tform1.h"

namespace ui {

class TForm2;

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

// The program's two windows from start-up to shutdown. Constructing it creates the main window
// (its FormCreate runs inside, while the window is invisible and no prompt exists yet; a
// failure there is reported and the rest of FormCreate skipped) and then the prompt, hidden.
// Destroying it hides what is still shown and destroys the prompt, then the main window (whose
// FormDestroy releases the image file and closes the port).
class TLoaderProgram {
 public:
  explicit TLoaderProgram(ProgramSetup setup = {});
  ~TLoaderProgram();
  TLoaderProgram(const TLoaderProgram&) = delete;
  TLoaderProgram& operator=(const TLoaderProgram&) = delete;

  // Makes the main window visible; the event loop that runs next shows any deferred message.
  void Show();

  TForm1& Form1() { return *form1_; }
  TForm2& Form2() { return *form2_; }

 private:
  std::unique_ptr<TForm1> form1_;
  std::unique_ptr<TForm2> form2_;
};

// The whole run: windows, the event loop until the main window is closed, shutdown. Returns
// the process's exit code, always 0.
int RunLoader(Application& app, ProgramSetup setup = {});

}  // namespace ui
