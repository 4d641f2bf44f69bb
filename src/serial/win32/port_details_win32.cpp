#include "serial/discovery.h"
#include "serial/port_kinds.h"
#include "serial/usb_instance_id.h"
#include "serial/win32/device_manager.h"

namespace serial {

// What the device manager knows of the port: its friendly name ("USB Serial Port (COM3)"),
// maker, and for USB adapters vendor:product and the serial number from the instance ID.
PortDescription DescribeSerialPort(const std::string& name) {
  PortDescription description;
  description.name = name;
  const PortDeviceEntry entry(name);
  if (!entry.Found()) return description;
  description.product = entry.Property(SPDRP_FRIENDLYNAME);
  description.manufacturer = entry.Property(SPDRP_MFG);
  const UsbIdentity usb = ParseUsbInstanceId(entry.InstanceId());
  description.usbId = usb.usbId;
  description.serialNumber = usb.serialNumber;
  return description;
}

std::string PortIdentity(const std::string& name) {
  if (SchemeOf(name)) return name;
  const PortDeviceEntry entry(name);
  return entry.Found() ? entry.InstanceId() : std::string();
}

}  // namespace serial
