// What the device manager knows of a port, apart from the list of ports: only --list-ports
// asks, and the window need not load the device-setup library at its start.
#include "serial/discovery.h"
// clang-format off
#include <windows.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on

#include "serial/usb_instance_id.h"
#include "sys/win32/wide_text.h"

namespace serial {

namespace {

std::string DeviceText(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property) {
  wchar_t text[512] = L"";
  DWORD type = 0;
  if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, property, &type,
                                         reinterpret_cast<BYTE*>(text), sizeof text - 2, nullptr) ||
      type != REG_SZ)
    return {};
  return sys::Narrow(text);
}

// The port's name as its device's registry key gives it ("PortName").
std::string PortNameOf(HDEVINFO devices, SP_DEVINFO_DATA& device) {
  const HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return {};
  wchar_t name[64] = L"";
  DWORD size = sizeof name - 2, type = 0;
  const bool read = RegQueryValueExW(key, L"PortName", nullptr, &type,
                                     reinterpret_cast<BYTE*>(name), &size) == ERROR_SUCCESS &&
                    type == REG_SZ;
  RegCloseKey(key);
  return read ? sys::Narrow(name) : std::string();
}

}  // namespace

// What the device manager knows of the port: its friendly name ("USB Serial Port (COM3)"),
// maker, and for USB adapters vendor:product and the serial number from the instance ID.
PortDescription DescribeSerialPort(const std::string& name) {
  PortDescription description;
  description.name = name;
  const HDEVINFO devices =
      SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
  if (devices == INVALID_HANDLE_VALUE) return description;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
    if (PortNameOf(devices, device) != name) continue;
    description.product = DeviceText(devices, device, SPDRP_FRIENDLYNAME);
    description.manufacturer = DeviceText(devices, device, SPDRP_MFG);
    wchar_t instance[512] = L"";
    if (SetupDiGetDeviceInstanceIdW(devices, &device, instance, 511, nullptr)) {
      const UsbIdentity usb = ParseUsbInstanceId(sys::Narrow(instance));
      description.usbId = usb.usbId;
      description.serialNumber = usb.serialNumber;
    }
    break;
  }
  SetupDiDestroyDeviceInfoList(devices);
  return description;
}

}  // namespace serial
