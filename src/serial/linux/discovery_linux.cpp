#include <filesystem>
#include <system_error>

#include "serial/discovery.h"
#include "serial/linux/discovery_sysfs.h"
#include "serial/linux/port_details.h"
#include "serial/port_kinds.h"

namespace serial {

// The port device opens a listed name as /dev/NAME, which is how udev names tty devices.
std::vector<std::string> ListSerialPorts() {
  return linux_tty::ListSysfsSerialPorts("/sys");
}

PortDescription DescribeSerialPort(const std::string& name) {
  return linux_tty::DescribeSysfsPort("/sys", "/dev", name);
}

namespace {

// The device a name stands for, every link followed: a path, or a name under /dev (also one
// with a folder in it, "pts/3", when no such path is here).
std::string ResolvedDevice(const std::string& name) {
  std::error_code error;
  for (const std::string& path : {name, "/dev/" + name}) {
    if (path == name && name.find('/') == std::string::npos) continue;
    const std::filesystem::path real = std::filesystem::canonical(path, error);
    if (!error) return real.string();
  }
  return name;
}

}  // namespace

bool SamePort(const std::string& a, const std::string& b) {
  if (SchemeOf(a) || SchemeOf(b)) return a == b;
  return ResolvedDevice(a) == ResolvedDevice(b);
}

std::string PortIdentity(const std::string& name) {
  if (SchemeOf(name)) return name;
  const PortDescription description = DescribeSerialPort(name);
  for (const std::string& link : description.links) {
    if (link.find("/by-id/") != std::string::npos) return link;
  }
  if (!description.serialNumber.empty()) return description.serialNumber;
  return description.links.empty() ? std::string() : description.links.front();
}

}  // namespace serial
