#include "ui/program.h"

#include "h2b/hex_image_source.h"
#include "serial/comm_port.h"
#include "serial/discovery.h"
#include "serial/loader_line.h"
#include "ui/settings/settings_store.h"

namespace ui {

Program::Program(TForm1Controls& controls, serial::UiDispatcher& dispatcher, ErrorReport report,
                 ProgramSetup setup) {
  serial::TPortDevice* port = setup.Port;
  if (!port) {
    ownPort_ = std::make_unique<serial::TCommPort>(dispatcher);
    serial::SetLoaderLine(*ownPort_);
    ownPort_->OnRxChar = [this](serial::TCommPort&, std::int32_t count) {
      behaviour_->Comm1RxChar(count);
    };
    ownPort_->OnLineLost = [this](serial::TCommPort&, bool allWritten) {
      return behaviour_->Comm1LineLost(allWritten);
    };
    ownPort_->ErrorReport = std::move(report);
    port = ownPort_.get();
  }
  transfer::ImageSource* images = setup.Images;
  if (!images) {
    ownImages_ = std::make_unique<h2b::HexImageSource>();
    images = ownImages_.get();
  }
  behaviour_ = std::make_unique<TForm1Behaviour>(
      controls, *port, *images,
      setup.SettingsFile.empty() ? DefaultSettingsStore() : TSettingsStore(setup.SettingsFile),
      setup.ListPorts ? std::move(setup.ListPorts) : &serial::ListSerialPorts);
}

Program::~Program() = default;

}  // namespace ui
