#pragma once

#include <QWidget>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "transfer/image_source.h"
#include "ui/behaviour/controls.h"
#include "ui/behaviour/form1_actions.h"
#include "ui/behaviour/form1_behaviour.h"
#include "ui/program.h"
#include "ui/qt/widgets/glyphs.h"

class QAction;

namespace serial {
class QtDispatcher;
}  // namespace serial
class QFileDialog;
class QMenu;

namespace ui {

class TBalloonHints;
class TFlatToolButton;
class TForm2;
class TPortButton;
class TPortStatusPane;
class TProgressBar;
class TStatusBar;
class TToolBar;

// The main window as Qt widgets: toolbar with File, Port, Start and Exit, the port pane and
// the progress bar. What it does is its behaviour's; this class draws it and hands the
// user's actions over, reporting what they throw.
class TForm1 : public QWidget, public TForm1Controls {
  Q_OBJECT

 public:
  explicit TForm1(ProgramSetup setup = {});
  ~TForm1() override;

  // The power-on prompt, created after this window.
  void SetPromptWindow(TForm2* prompt) { Form2 = prompt; }
  // Makes the window invisible as it stands, nothing else (the program's end).
  void HideWindow() { hide(); }

  TForm1Behaviour& Behaviour() { return program_->Behaviour(); }
  const TForm1Behaviour& Behaviour() const { return program_->Behaviour(); }

  // The handler of every port menu item: sender is the item.
  void PortMenuItemClick(QObject* sender);
  // The port name a port menu item stands for.
  static std::string PortName(const QAction* item);

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

  TToolBar* Toolbar1 = nullptr;
  TFlatToolButton* ToolButton1 = nullptr;
  TPortButton* ToolButton2 = nullptr;
  TFlatToolButton* ToolButton3 = nullptr;
  TFlatToolButton* ToolButton4 = nullptr;
  TStatusBar* StatusBar1 = nullptr;
  TPortStatusPane* PortStatusPane = nullptr;
  TProgressBar* ProgressBar1 = nullptr;
  QMenu* PortMenu = nullptr;
  QFileDialog* OpenDialog1 = nullptr;  // built at the first choice of a file
  TBalloonHints* BalloonHints1 = nullptr;

  QAction* AExit = nullptr;
  QAction* ASelectFile = nullptr;
  QAction* ABegin = nullptr;
  QAction* AChangeComPort = nullptr;

  TForm2* Form2 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CreateControls();
  void CreateActions();
  QFileDialog& FileDialog();
  void PlaceFileDialog();
  QAction* CreateAction(const design::Action& design);
  // Runs a handler, handing any failure to the error report so that none leaves the
  // event loop's dispatch.
  static void Guarded(const std::function<void()>& handler);

  // The port's notifications go through the Qt event loop, which must outlive it.
  std::unique_ptr<serial::QtDispatcher> dispatcher_;
  std::unique_ptr<Program> program_;
  bool placed_ = false;
};

}  // namespace ui
