#pragma once

#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "serial/loader_link.h"
#include "serial/ui_dispatcher.h"
#include "transfer/image_source.h"
#include "ui/behaviour/controls.h"
#include "ui/behaviour/form1_behaviour.h"

namespace ui {

// What lies outside the window. Empty members take the real program's parts: the ports
// present, the settings file beside the executable, the window's own serial port and the HEX
// converter; tests put their own in.
struct ProgramSetup {
  std::function<std::vector<std::string>()> ListPorts;
  std::function<std::string(const std::string&)> PortIdentity;
  std::filesystem::path SettingsFile;
  serial::TPortDevice* Port = nullptr;
  transfer::ImageSource* Images = nullptr;
};

// The loader wired together for one main window, whatever toolkit draws it: the serial port
// device handing its notifications to the window's event loop, the HEX converter, the settings
// store and the window's behaviour. The window supplies its controls, the dispatcher of its
// event loop and its error report, and runs FormCreate once its controls exist.
class Program : private serial::LinkConsumer {
 public:
  using ErrorReport = std::function<void(const std::exception_ptr& failure)>;

  // controls and dispatcher must outlive the program.
  Program(TForm1Controls& controls, serial::UiDispatcher& dispatcher, ErrorReport report,
          ProgramSetup setup = {});
  ~Program() override;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  TForm1Behaviour& Behaviour() { return *behaviour_; }
  const TForm1Behaviour& Behaviour() const { return *behaviour_; }

 private:
  // serial::LinkConsumer: the window's own port hands its traffic to the behaviour.
  void Received(std::int32_t count) override;
  bool LineLost(bool allWritten) override;
  void Failed(const std::exception_ptr& failure) override;

  ErrorReport report_;
  std::unique_ptr<serial::LoaderLink> ownLink_;
  std::unique_ptr<transfer::ImageSource> ownImages_;
  // Last of the parts: it uses the port and the images until it is gone.
  std::unique_ptr<TForm1Behaviour> behaviour_;
};

}  // namespace ui
