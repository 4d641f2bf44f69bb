#include "ui/port_device.h"

#include "serial/comm_port.h"
#include "serial/loader_line.h"
#include "serial/qt/qt_dispatcher.h"

namespace ui {

TCommPortDevice::TCommPortDevice(RxCharHandler onRxChar, std::function<void()> onLineLost,
                                 std::function<void(std::exception_ptr)> errorReport)
    : dispatcher_(std::make_unique<serial::QtDispatcher>()),
      port_(std::make_unique<serial::TCommPort>(*dispatcher_)) {
  serial::SetLoaderLine(*port_);
  port_->OnRxChar = [handler = std::move(onRxChar)](serial::TCommPort&, std::int32_t count) {
    handler(count);
  };
  port_->OnLineLost = [handler = std::move(onLineLost)](serial::TCommPort&) { handler(); };
  port_->ErrorReport = std::move(errorReport);
}

TCommPortDevice::~TCommPortDevice() = default;

std::string TCommPortDevice::DeviceName() const {
  return port_->DeviceName();
}
bool TCommPortDevice::Active() const {
  return port_->Active();
}
void TCommPortDevice::Open() {
  port_->Open();
}
std::int32_t TCommPortDevice::WriteBuf(const std::uint8_t* buffer, std::int32_t count) {
  return port_->WriteBuf(buffer, count);
}
std::int32_t TCommPortDevice::ReadBuf(std::uint8_t* buffer, std::int32_t count) {
  return port_->ReadBuf(buffer, count);
}
void TCommPortDevice::SetDeviceName(const std::string& name) {
  port_->SetDeviceName(name);
}
void TCommPortDevice::Close() {
  port_->Close();
}

}  // namespace ui
