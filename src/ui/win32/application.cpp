#include "ui/win32/application.h"

#include "ui/win32/com_library.h"

#include <windows.h>

#include <commctrl.h>

namespace ui {

TLoaderProgram::TLoaderProgram(ProgramSetup setup)
    : application_(std::make_unique<TApplicationWindow>()),
      form1_(std::make_unique<TForm1>(application_->Handle(), std::move(setup))),
      form2_(std::make_unique<TForm2>(application_->Handle(), form1_->Handle())) {
  application_->SetMainWindow(form1_->Handle());
  form1_->SetPromptWindow(form2_.get());
}

TLoaderProgram::~TLoaderProgram() {
  ShowWindow(form2_->Handle(), SW_HIDE);
  ShowWindow(form1_->Handle(), SW_HIDE);
  form1_->SetPromptWindow(nullptr);
  form2_.reset();
  form1_.reset();
  application_->SetMainWindow(nullptr);
}

void TLoaderProgram::Show() {
  form1_->Show();
  SetForegroundWindow(form1_->Handle());
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
  program.Show();
  RunMessageLoop();
  return 0;
}

}  // namespace ui
