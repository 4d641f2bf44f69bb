#pragma once

#include <string>

namespace serial {

// What a Windows device instance ID tells of a USB serial adapter:
// "USB\VID_1A86&PID_7523\5&2C0F&0&3" or FTDI's "FTDIBUS\VID_0403+PID_6001+A50285BIA\0000".
struct UsbIdentity {
  std::string usbId;         // "1a86:7523"; empty when the ID names no vendor and product
  std::string serialNumber;  // the device's own serial number; empty when Windows made one up
};

UsbIdentity ParseUsbInstanceId(const std::string& instanceId);

}  // namespace serial
