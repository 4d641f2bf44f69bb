#include "serial/discovery.h"
#include "serial/posix/discovery_sysfs.h"
#include "serial/posix/port_details.h"

namespace serial {

// The port device opens a listed name as /dev/NAME, which is how udev names tty devices.
std::vector<std::string> ListSerialPorts() {
  return posix::ListSysfsSerialPorts("/sys");
}

PortDescription DescribeSerialPort(const std::string& name) {
  return posix::DescribeSysfsPort("/sys", "/dev", name);
}

}  // namespace serial
