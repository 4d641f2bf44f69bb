#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "transfer/port.h"

namespace serial {
class TCommPort;
class QtDispatcher;
}  // namespace serial

namespace ui {

// What the main window needs of its serial port beyond what a download needs: choosing the
// device and closing it again.
class TPortDevice : public transfer::Port {
 public:
  virtual void SetDeviceName(const std::string& name) = 0;
  virtual void Close() = 0;
};

// The window's real port: the serial port device on the window's line settings (10400 bit/s
// 8N1, no flow control, DTR and RTS off), handing its notifications to the Qt event loop.
class TCommPortDevice : public TPortDevice {
 public:
  using RxCharHandler = std::function<void(std::int32_t count)>;

  // onLineLost runs when the port has closed itself because the line failed, just before
  // errorReport gets that failure.
  TCommPortDevice(RxCharHandler onRxChar, std::function<void()> onLineLost,
                  std::function<void(std::exception_ptr)> errorReport);
  ~TCommPortDevice() override;

  std::string DeviceName() const override;
  bool Active() const override;
  void Open() override;
  std::int32_t WriteBuf(const std::uint8_t* buffer, std::int32_t count) override;
  std::int32_t ReadBuf(std::uint8_t* buffer, std::int32_t count) override;
  void SetDeviceName(const std::string& name) override;
  void Close() override;

  serial::TCommPort& Port() { return *port_; }

 private:
  std::unique_ptr<serial::QtDispatcher> dispatcher_;
  std::unique_ptr<serial::TCommPort> port_;
};

}  // namespace ui
