#include "serial/discovery.h"
// clang-format off
#include <windows.h>
// clang-format on

#include "serial/port_kinds.h"
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

namespace {

// COM3 and \\.\com3 alike.
std::string PortKey(std::string name) {
  if (name.rfind("\\\\.\\", 0) == 0) name.erase(0, 4);
  for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return name;
}

}  // namespace

bool SamePort(const std::string& a, const std::string& b) {
  if (SchemeOf(a) || SchemeOf(b)) return a == b;
  return PortKey(a) == PortKey(b);
}

}  // namespace serial
