#include "ui/program.h"

#include "h2b/hex_image_source.h"
#include "serial/discovery.h"
#include "ui/settings/settings_store.h"

namespace ui {

Program::Program(TForm1Controls& controls, serial::UiDispatcher& dispatcher, ErrorReport report,
                 ProgramSetup setup)
    : report_(std::move(report)) {
  serial::TPortDevice* port = setup.Port;
  if (!port) {
    serial::LinkConsumer& consumer = *this;
    ownLink_ = std::make_unique<serial::LoaderLink>(dispatcher, consumer);
    port = &ownLink_->Port();
  }
  transfer::ImageSource* images = setup.Images;
  if (!images) {
    ownImages_ = h2b::MakeImageSource();
    images = ownImages_.get();
  }
  behaviour_ = std::make_unique<TForm1Behaviour>(
      controls, *port, *images,
      setup.SettingsFile.empty() ? DefaultSettingsStore() : TSettingsStore(setup.SettingsFile),
      setup.ListPorts ? std::move(setup.ListPorts) : &serial::ListSerialPorts,
      setup.PortIdentity ? std::move(setup.PortIdentity) : &serial::PortIdentity);
}

Program::~Program() = default;

void Program::Received(std::int32_t count) {
  behaviour_->Comm1RxChar(count);
}

bool Program::LineLost(bool allWritten) {
  return behaviour_->Comm1LineLost(allWritten);
}

void Program::Failed(const std::exception_ptr& failure) {
  report_(failure);
}

}  // namespace ui
