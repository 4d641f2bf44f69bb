#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/behaviour/controls.h"
#include "ui/behaviour/form1_actions.h"
#include "ui/behaviour/form1_behaviour.h"
#include "ui/program.h"
#include "ui/win32/window.h"

namespace serial {
class WindowDispatcher;
}  // namespace serial

namespace ui {

class TBalloonHints;
class TForm2;
class TPortMenu;
class TPortStatusPane;
class TProgressBar;
class TStatusBar;
class TToolBar;

// One of the window's commands: as the design describes it, and whether it may run.
struct TAction {
  const design::Action& design;
  bool enabled = true;
};

// The main window on Win32: toolbar with File, Port, Start and Exit, the port pane and the
// progress bar. What it does is its behaviour's; this class draws it and hands the user's
// actions over, reporting what they throw.
class TForm1 : public Window, public TForm1Controls {
 public:
  // owner: the application's window, which carries the task-bar entry.
  explicit TForm1(HWND owner, ProgramSetup setup = {});
  ~TForm1() override;

  // The power-on prompt, created after this window.
  void SetPromptWindow(TForm2* prompt) { Form2 = prompt; }
  // Makes the window visible, centred on the desktop the first time.
  void Show();

  TForm1Behaviour& Behaviour() { return program_->Behaviour(); }
  const TForm1Behaviour& Behaviour() const { return program_->Behaviour(); }

  // Runs an action as its button would: only when it is enabled.
  void Execute(TAction& action);
  // The port menu's items' handler: name is the chosen item's port.
  void PortMenuItemClick(const std::string& name);

  // TForm1Controls
  void SetPortMenu(const std::vector<std::string>& names) override;
  void SetPortCaption(const std::string& name) override;
  void SetCaption(const std::string& text) override;
  bool Enabled(Control control) const override;
  void SetEnabled(Control control, bool enabled) override;
  FileChoice ChooseFile() override;
  void CloseWindow() override;
  void SetProgressTotal(std::uint32_t totalParts) override;
  void SetProgressParts(std::uint32_t partsComplete) override;
  void ShowProgress() override;
  void HideProgress() override;
  void ShowPrompt() override;
  void HidePrompt() override;
  void ShowInformation(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  void Post(std::function<void()> call) override;

  std::unique_ptr<TToolBar> Toolbar1;
  std::unique_ptr<TStatusBar> StatusBar1;
  std::unique_ptr<TPortStatusPane> PortStatusPane;
  std::unique_ptr<TProgressBar> ProgressBar1;
  std::unique_ptr<TPortMenu> PortMenu;
  std::unique_ptr<TBalloonHints> BalloonHints1;

  TAction AExit{design::kAExit};
  TAction ASelectFile{design::kASelectFile};
  TAction ABegin{design::kABegin};
  TAction AChangeComPort{design::kAChangeComPort};

  TForm2* Form2 = nullptr;
  // The shell's file dialog, or the common dialog when false.
  bool ShellFileDialog = true;

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateControls();
  void ApplyDpi(UINT dpi);
  void OnCommand(int command);
  void OnPortButtonPress();
  void PaintToolbarBand(HDC dc) const;
  TAction* ActionOf(int button);

  std::unique_ptr<serial::WindowDispatcher> dispatcher_;
  std::unique_ptr<Program> program_;
  bool placed_ = false;
  UINT dpi_ = 96;
};

}  // namespace ui
