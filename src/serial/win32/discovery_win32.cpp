#include "serial/discovery.h"
// clang-format off
#include <windows.h>
// clang-format on

#include "sys/win32/wide_text.h"

namespace serial {

// Every Windows the program runs on is of the NT family: the system's device names are
// listed, and those that begin with "COM" (upper case) are the serial ports.
std::vector<std::string> ListSerialPorts() {
  std::vector<std::string> ports;
  std::wstring names(65535, L'\0');
  const DWORD length = QueryDosDeviceW(nullptr, names.data(), static_cast<DWORD>(names.size()));
  if (length == 0) return ports;
  for (std::size_t at = 0; at < length && names[at] != L'\0';) {
    const std::size_t end = names.find(L'\0', at);
    const std::wstring name = names.substr(at, end - at);
    if (name.size() > 3 && name.compare(0, 3, L"COM") == 0) ports.push_back(sys::Narrow(name));
    at = end + 1;
  }
  return ports;
}

}  // namespace serial
