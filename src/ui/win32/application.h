#pragma once

#include <memory>
#include <optional>

#include "ui/behaviour/window_lifetime.h"
#include "ui/program.h"
#include "ui/win32/application_window.h"
#include "ui/win32/form2.h"
#include "ui/win32/tform1.h"

namespace ui {

// The program's windows from start-up to shutdown: the application's window, which carries the
// task-bar entry and owns the others, then the two windows in the order WindowLifetime gives
// (a failure inside FormCreate is reported and the rest of it skipped).
class TLoaderProgram {
 public:
  explicit TLoaderProgram(ProgramSetup setup = {});
  ~TLoaderProgram();
  TLoaderProgram(const TLoaderProgram&) = delete;
  TLoaderProgram& operator=(const TLoaderProgram&) = delete;

  // Makes the main window visible; the message loop that runs next shows any deferred message.
  void Show();

  TApplicationWindow& Application() { return *application_; }
  bool CloseRequested() const { return application_->CloseRequested(); }
  TForm1& Form1() { return windows_->Main(); }
  TForm2& Form2() { return windows_->Prompt(); }

 private:
  std::unique_ptr<TApplicationWindow> application_;
  std::optional<WindowLifetime<TForm1, TForm2>> windows_;
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
