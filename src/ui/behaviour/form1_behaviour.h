#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "serial/port_device.h"
#include "transfer/download.h"
#include "transfer/image_source.h"
#include "transfer/view.h"
#include "ui/behaviour/controls.h"
#include "ui/settings/settings_store.h"

namespace ui {

inline constexpr char kPortNotDefinedText[] = "Последовательный порт не определен";

// The text after the last "/" of a path (on Windows also "\" or ":"): the whole text when
// there is none.
std::string FileNamePart(const std::string& path);

// What the main window does, apart from how it is drawn: creation, the settings, the port
// menu's choices, the actions' handlers, the deferred message and the download's view. It
// owns the settings, the download and the chosen file's name; the port and the images are
// lent. Handlers throw; whoever dispatches them reports the failure.
class TForm1Behaviour : public transfer::View {
 public:
  TForm1Behaviour(TForm1Controls& controls, serial::TPortDevice& port,
                  transfer::ImageSource& images, TSettingsStore settings,
                  std::function<std::vector<std::string>()> listPorts,
                  std::function<std::string(const std::string&)> portIdentity = {});
  ~TForm1Behaviour() override;
  TForm1Behaviour(const TForm1Behaviour&) = delete;
  TForm1Behaviour& operator=(const TForm1Behaviour&) = delete;

  void FormCreate();
  void FormDestroy();
  void BuildPortMenu();
  void LoadPortSetting();
  void LoadFileSetting();
  std::string NameOfRememberedAdapter() const;

  void AExitExecute();
  void ASelectFileExecute();
  void ABeginExecute();
  void AChangeComPortExecute();
  void ShowDeferredMessage();
  // A port menu item was chosen; name is its port's name.
  void PortMenuItemClick(const std::string& name);
  void Comm1RxChar(std::int32_t count);
  // The port has closed itself because the line failed; returns whether the loss is still to
  // be reported.
  bool Comm1LineLost(bool allWritten);

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

  serial::TPortDevice& Comm1;
  TSettingsStore RegIniFile1;
  std::string DeferredMessage;
  std::string HexFileName;

 private:
  TForm1Controls& controls_;
  transfer::ImageSource& images_;
  std::function<std::vector<std::string>()> listPorts_;
  // What stays of a port when its name changes (its by-id link, say); empty when unknown.
  std::function<std::string(const std::string&)> portIdentity_;
  std::vector<std::string> portMenuItems_;
  std::unique_ptr<transfer::Download> transfer_;
};

}  // namespace ui
