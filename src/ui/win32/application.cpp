#include "ui/win32/application.h"

#include "sys/interrupt.h"
#include "ui/win32/com_library.h"

#include <windows.h>

#include <commctrl.h>

namespace ui {

TLoaderProgram::TLoaderProgram(ProgramSetup setup)
    : application_(std::make_unique<TApplicationWindow>()) {
  // The session ending: the conversion stops and leaves nothing, the port is closed.
  application_->SetSessionEnd([this] {
    sys::RequestInterrupt();
    if (windows_) Form1().Behaviour().Comm1.Close();
  });
  const HWND owner = application_->Handle();
  windows_.emplace(
      [&] { return std::make_unique<TForm1>(owner, std::move(setup)); },
      [owner](TForm1& form1) { return std::make_unique<TForm2>(owner, form1.Handle()); });
  application_->SetMainWindow(Form1().Handle());
}

TLoaderProgram::~TLoaderProgram() {
  windows_.reset();
  application_->SetMainWindow(nullptr);
}

void TLoaderProgram::Show() {
  Form1().Show();
  SetForegroundWindow(Form1().Handle());
}

TApplicationSetup::TApplicationSetup() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
}

TApplicationSetup::~TApplicationSetup() {
  LeaveComponentObjects();
}

int RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

int RunLoader(ProgramSetup setup) {
  const TApplicationSetup application;
  TLoaderProgram program(std::move(setup));
  // Asked to end during start-up: the window is never shown.
  if (program.CloseRequested()) return 0;
  program.Show();
  RunMessageLoop();
  return 0;
}

}  // namespace ui
