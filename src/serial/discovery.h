#pragma once

#include <string>
#include <vector>

namespace serial {

// Names of the serial ports present, each usable unchanged as the port's DeviceName, in the
// order the system lists them (no sorting, no removal of duplicates). Never throws: an empty
// list when nothing is found or the system cannot be asked.
std::vector<std::string> ListSerialPorts();

}  // namespace serial
