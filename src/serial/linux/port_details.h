#pragma once

#include <filesystem>
#include <string>

#include "serial/discovery.h"

namespace serial::linux_tty {

// What sysfs below sysfs_root tells of the port NAME (the USB device it hangs on, if any), and
// the links in dev_root/serial/by-id that lead to dev_root/NAME. Missing parts stay empty.
PortDescription DescribeSysfsPort(const std::filesystem::path& sysfs_root,
                                  const std::filesystem::path& dev_root, const std::string& name);

}  // namespace serial::linux_tty
