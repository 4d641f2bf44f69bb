#include "serial/linux/discovery_sysfs.h"

#include <fstream>
#include <system_error>

namespace serial::linux_tty {
namespace {

namespace fs = std::filesystem;

// Serial-core drivers (8250 and friends) create an entry for every slot they could drive and
// report PORT_UNKNOWN (0) in "type" for a slot without a UART behind it. USB and ACM ports
// have no "type" attribute; they exist only while the hardware does.
bool IsEmptyUartSlot(const fs::path& entry) {
  std::ifstream type_file(entry / "type");
  if (!type_file) return false;
  long type = -1;
  type_file >> type;
  return type_file && type == 0;
}

// Virtual terminals, the console and ptmx have no "device" link; every port on a bus has.
bool HasDevice(const fs::path& entry) {
  std::error_code error;
  return fs::exists(entry / "device", error);
}

}  // namespace

std::vector<std::string> ListSysfsSerialPorts(const fs::path& sysfs_root) {
  std::vector<std::string> ports;
  std::error_code error;
  fs::directory_iterator it(sysfs_root / "class" / "tty", error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    const fs::path& entry = it->path();
    if (HasDevice(entry) && !IsEmptyUartSlot(entry)) ports.push_back(entry.filename().string());
  }
  return ports;
}

}  // namespace serial::linux_tty
