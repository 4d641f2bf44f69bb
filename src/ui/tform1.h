#pragma once

#include <QWidget>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "transfer/download.h"
#include "transfer/image_source.h"
#include "transfer/view.h"
#include "ui/settings/settings_store.h"
#include "ui/widgets/glyphs.h"

class QAction;

namespace serial {
class QtDispatcher;
class TCommPort;
class TPortDevice;
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

inline constexpr char kPortNotDefinedText[] = "Последовательный порт не определен";

// Where the main window gets what lies outside it. Empty members take the real program's
// parts: the ports present, the settings file beside the executable, the window's own serial
// port and the HEX converter.
struct TForm1Setup {
  std::function<std::vector<std::string>()> ListPorts;
  std::filesystem::path SettingsFile;
  serial::TPortDevice* Port = nullptr;
  transfer::ImageSource* Images = nullptr;
};

// The text after the last "/" of a path: the whole text when there is none.
std::string FileNamePart(const std::string& path);

// The main window: toolbar with File, Port, Start and Exit, the port pane and the progress
// bar; owner of the serial port, the settings and the download.
class TForm1 : public QWidget, public transfer::View {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 361;
  static constexpr int kClientHeight = 147;

  explicit TForm1(TForm1Setup setup = {});
  ~TForm1() override;

  // The power-on prompt, created after this window.
  void SetPromptWindow(TForm2* prompt) { Form2 = prompt; }

  // Handlers, named after their action or component.
  void FormCreate();
  void FormDestroy();
  void AExitExecute();
  void ASelectFileExecute();
  void ABeginExecute();
  void AChangeComPortExecute();
  void ShowDeferredMessage();
  void PortMenuItemClick(QObject* sender);
  void Comm1RxChar(std::int32_t count);

  void BuildPortMenu();
  void LoadPortSetting();
  void LoadFileSetting();

  // The port name a port menu item stands for.
  static std::string PortName(const QAction* item);

  // transfer::View
  void SetProgressTotal(std::uint32_t totalParts) override;
  void SetProgressParts(std::uint32_t partsComplete) override;
  void ShowProgress() override;
  void HideProgress() override;
  void SetControlsEnabled(bool enabled) override;
  void ShowPrompt() override;
  void HidePrompt() override;
  void ShowInformation(const std::string& text) override;
  // Everything the window shows of an ending has been shown by then.
  void DownloadEnded(transfer::Ending) override {}

  const transfer::Download& Transfer() const { return *transfer_; }

  TToolBar* Toolbar1 = nullptr;
  TFlatToolButton* ToolButton1 = nullptr;
  TPortButton* ToolButton2 = nullptr;
  TFlatToolButton* ToolButton3 = nullptr;
  TFlatToolButton* ToolButton4 = nullptr;
  TStatusBar* StatusBar1 = nullptr;
  TPortStatusPane* PortStatusPane = nullptr;
  TProgressBar* ProgressBar1 = nullptr;
  QMenu* PortMenu = nullptr;
  QFileDialog* OpenDialog1 = nullptr;
  TBalloonHints* BalloonHints1 = nullptr;

  QAction* AExit = nullptr;
  QAction* ASelectFile = nullptr;
  QAction* ABegin = nullptr;
  QAction* AChangeComPort = nullptr;

  serial::TPortDevice* Comm1 = nullptr;
  TSettingsStore RegIniFile1;
  TForm2* Form2 = nullptr;

  std::string DeferredMessage;
  std::string HexFileName;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CreateControls();
  void CreateActions();
  void PlaceFileDialog();
  QAction* CreateAction(const char* name, const char* caption, const char* hint, Glyph glyph,
                        void (TForm1::*handler)());
  // Runs a handler, handing any failure to the error report so that none leaves the
  // event loop's dispatch.
  static void Guarded(const std::function<void()>& handler);

  std::function<std::vector<std::string>()> listPorts_;
  // The real port, handing its notifications to the Qt event loop (which must outlive it).
  std::unique_ptr<serial::QtDispatcher> ownDispatcher_;
  std::unique_ptr<serial::TCommPort> ownPort_;
  std::unique_ptr<transfer::ImageSource> ownImages_;
  transfer::ImageSource* images_ = nullptr;
  std::unique_ptr<transfer::Download> transfer_;
  bool placed_ = false;
};

}  // namespace ui
