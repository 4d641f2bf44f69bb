#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace serial::linux_tty {

// Kernel names (ttyUSB0, ttyACM0, ttyS0) of the serial ports that sysfs below sysfs_root
// reports present, in directory order. A missing or unreadable tree gives an empty list.
std::vector<std::string> ListSysfsSerialPorts(const std::filesystem::path& sysfs_root);

}  // namespace serial::linux_tty
