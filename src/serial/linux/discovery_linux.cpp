#include "serial/discovery.h"
#include "serial/linux/discovery_sysfs.h"
#include "serial/linux/port_details.h"

namespace serial {

// The port device opens a listed name as /dev/NAME, which is how udev names tty devices.
std::vector<std::string> ListSerialPorts() {
  return linux_tty::ListSysfsSerialPorts("/sys");
}

PortDescription DescribeSerialPort(const std::string& name) {
  return linux_tty::DescribeSysfsPort("/sys", "/dev", name);
}

}  // namespace serial
