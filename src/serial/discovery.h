#pragma once

#include <string>
#include <vector>

namespace serial {

// Names of the serial ports present, each usable unchanged as the port's DeviceName, in the
// order the system lists them (no sorting, no removal of duplicates). Never throws: an empty
// list when nothing is found or the system cannot be asked.
std::vector<std::string> ListSerialPorts();

// What the system tells of a port, for a person choosing one.
struct PortDescription {
  std::string name;   // as ListSerialPorts gives it
  std::string usbId;  // "vendor:product" in hex; empty when the port is not on USB
  std::string manufacturer;
  std::string product;
  std::string serialNumber;
  std::vector<std::string> links;  // stable names that lead to the port (/dev/serial/by-id)
};

// Never throws: what cannot be found stays empty.
PortDescription DescribeSerialPort(const std::string& name);

// The description on one line for scripts: name, USB vendor:product, manufacturer, product,
// serial number and the stable links (separated by blanks), always six fields separated by tabs;
// what is not known stays an empty field.
std::string DescriptionLine(const PortDescription& description);

// Whether two names given for ports name the same one: the same device by any of its names (a
// link and its target, "pts/3" and "/dev/pts/3"; on Windows "COM3" and "\\.\com3"), or the same
// network port.
bool SamePort(const std::string& a, const std::string& b);

// What stays of a port when its name changes, for a production record: the /dev/serial/by-id
// link, else the USB serial number (on Windows the device instance ID); a network port's name.
// Empty when nothing is known.
std::string PortIdentity(const std::string& name);

}  // namespace serial
