#pragma once
// clang-format off
#include <windows.h>
#include <setupapi.h>
// clang-format on

#include <cstdint>
#include <optional>
#include <string>

namespace serial {

// A serial port as the device manager knows it, found by its port name ("COM3"). The device
// manager's library is loaded on first use: only the console programs ask, and the window need
// not load it at its start. Nothing is found for a port without a device entry (a virtual port,
// a port of Wine); then every question has no answer.
class PortDeviceEntry {
 public:
  explicit PortDeviceEntry(const std::string& portName);
  ~PortDeviceEntry();
  PortDeviceEntry(const PortDeviceEntry&) = delete;
  PortDeviceEntry& operator=(const PortDeviceEntry&) = delete;

  bool Found() const { return found_; }
  // A text property of the device (SPDRP_FRIENDLYNAME, SPDRP_MFG); empty when there is none.
  std::string Property(DWORD property) const;
  // "FTDIBUS\VID_0403+PID_6001+A50285BIA\0000"
  std::string InstanceId() const;
  // A number the driver keeps in the device's own registry key (FTDI's "LatencyTimer").
  std::optional<std::uint32_t> DriverNumber(const wchar_t* name) const;

 private:
  HDEVINFO devices_ = INVALID_HANDLE_VALUE;
  SP_DEVINFO_DATA device_{};
  bool found_ = false;
};

}  // namespace serial
