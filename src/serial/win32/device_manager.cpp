#include "serial/win32/device_manager.h"
// clang-format off
#include <devguid.h>
// clang-format on

#include "sys/win32/library_function.h"
#include "sys/win32/wide_text.h"

namespace serial {

namespace {

// The device-setup and registry calls, loaded together once; all null when one is missing.
struct DeviceLibrary {
  decltype(&SetupDiGetClassDevsW) getClassDevs =
      sys::LibraryFunction<decltype(getClassDevs)>(L"setupapi.dll", "SetupDiGetClassDevsW");
  decltype(&SetupDiEnumDeviceInfo) enumDeviceInfo =
      sys::LibraryFunction<decltype(enumDeviceInfo)>(L"setupapi.dll", "SetupDiEnumDeviceInfo");
  decltype(&SetupDiOpenDevRegKey) openDevRegKey =
      sys::LibraryFunction<decltype(openDevRegKey)>(L"setupapi.dll", "SetupDiOpenDevRegKey");
  decltype(&SetupDiGetDeviceRegistryPropertyW) registryProperty =
      sys::LibraryFunction<decltype(registryProperty)>(L"setupapi.dll",
                                                       "SetupDiGetDeviceRegistryPropertyW");
  decltype(&SetupDiGetDeviceInstanceIdW) instanceId =
      sys::LibraryFunction<decltype(instanceId)>(L"setupapi.dll", "SetupDiGetDeviceInstanceIdW");
  decltype(&SetupDiDestroyDeviceInfoList) destroyList =
      sys::LibraryFunction<decltype(destroyList)>(L"setupapi.dll", "SetupDiDestroyDeviceInfoList");
  decltype(&RegQueryValueExW) queryValue =
      sys::LibraryFunction<decltype(queryValue)>(L"advapi32.dll", "RegQueryValueExW");
  decltype(&RegCloseKey) closeKey =
      sys::LibraryFunction<decltype(closeKey)>(L"advapi32.dll", "RegCloseKey");

  bool Loaded() const {
    return getClassDevs && enumDeviceInfo && openDevRegKey && registryProperty && instanceId &&
           destroyList && queryValue && closeKey;
  }
};

const DeviceLibrary& Library() {
  static const DeviceLibrary library;
  return library;
}

// One value of the device's own registry key, of the given type, into size bytes at value.
bool ReadDeviceValue(HDEVINFO devices, SP_DEVINFO_DATA& device, const wchar_t* name,
                     DWORD wantedType, void* value, DWORD size) {
  const DeviceLibrary& library = Library();
  const HKEY key =
      library.openDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return false;
  DWORD type = 0;
  const bool read = library.queryValue(key, name, nullptr, &type, static_cast<BYTE*>(value),
                                       &size) == ERROR_SUCCESS &&
                    type == wantedType;
  library.closeKey(key);
  return read;
}

}  // namespace

PortDeviceEntry::PortDeviceEntry(const std::string& portName) {
  const DeviceLibrary& library = Library();
  if (!library.Loaded()) return;
  devices_ = library.getClassDevs(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
  if (devices_ == INVALID_HANDLE_VALUE) return;
  device_.cbSize = sizeof device_;
  for (DWORD index = 0; library.enumDeviceInfo(devices_, index, &device_); ++index) {
    // The port's name as the driver keeps it ("PortName"), one character spare for the end.
    wchar_t name[64] = L"";
    if (ReadDeviceValue(devices_, device_, L"PortName", REG_SZ, name, sizeof name - 2) &&
        sys::Narrow(name) == portName) {
      found_ = true;
      return;
    }
  }
}

PortDeviceEntry::~PortDeviceEntry() {
  if (devices_ != INVALID_HANDLE_VALUE) Library().destroyList(devices_);
}

std::string PortDeviceEntry::Property(DWORD property) const {
  if (!found_) return {};
  wchar_t text[512] = L"";
  DWORD type = 0;
  SP_DEVINFO_DATA device = device_;
  if (!Library().registryProperty(devices_, &device, property, &type, reinterpret_cast<BYTE*>(text),
                                  sizeof text - 2, nullptr) ||
      type != REG_SZ)
    return {};
  return sys::Narrow(text);
}

std::string PortDeviceEntry::InstanceId() const {
  wchar_t instance[512] = L"";
  SP_DEVINFO_DATA device = device_;
  if (!found_ || !Library().instanceId(devices_, &device, instance, 511, nullptr)) return {};
  return sys::Narrow(instance);
}

std::optional<std::uint32_t> PortDeviceEntry::DriverNumber(const wchar_t* name) const {
  DWORD value = 0;
  SP_DEVINFO_DATA device = device_;
  if (!found_ || !ReadDeviceValue(devices_, device, name, REG_DWORD, &value, sizeof value))
    return std::nullopt;
  return value;
}

}  // namespace serial
