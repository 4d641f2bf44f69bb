#pragma once

#include <memory>

#include "ui/program.h"
#include "ui/win32/application_window.h"
#include "ui/win32/form2.h"
#include "ui/win32/tform1.h"

namespace ui {

// The program's windows from start-up to shutdown. Constructing it creates the application's
// window, the main window (its FormCreate runs inside, while the window is invisible and no
// prompt exists yet; a failure there is reported and the rest of FormCreate skipped) and then
// the prompt, hidden. Destroying it hides what is still shown and destroys the prompt, then
// the main window (whose FormDestroy releases the image file and closes the port).
class TLoaderProgram {
 public:
  explicit TLoaderProgram(ProgramSetup setup = {});
  ~TLoaderProgram();
  TLoaderProgram(const TLoaderProgram&) = delete;
  TLoaderProgram& operator=(const TLoaderProgram&) = delete;

  // Makes the main window visible; the message loop that runs next shows any deferred message.
  void Show();

  TApplicationWindow& Application() { return *application_; }
  TForm1& Form1() { return *form1_; }
  TForm2& Form2() { return *form2_; }

 private:
  std::unique_ptr<TApplicationWindow> application_;
  std::unique_ptr<TForm1> form1_;
  std::unique_ptr<TForm2> form2_;
};

// Loads the common controls for as long as it lives, and leaves the component object system
// at the end if the file dialog joined it.
class TApplicationSetup {
 public:
  TApplicationSetup();
  ~TApplicationSetup();
  TApplicationSetup(const TApplicationSetup&) = delete;
  TApplicationSetup& operator=(const TApplicationSetup&) = delete;
};

// Dispatches the thread's messages until the main window asks to end; returns the exit code.
int RunMessageLoop();

// The whole run: windows, the message loop until the main window is closed, shutdown. Returns
// the process's exit code, always 0.
int RunLoader(ProgramSetup setup = {});

}  // namespace ui
