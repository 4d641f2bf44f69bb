#include "serial/discovery.h"

namespace serial {

std::string DescriptionLine(const PortDescription& description) {
  std::string line = description.name;
  const auto add = [&line](const std::string& part) {
    if (!part.empty()) line += "  " + part;
  };
  add(description.usbId);
  add(description.manufacturer);
  add(description.product);
  if (!description.serialNumber.empty()) add("serial " + description.serialNumber);
  for (const std::string& link : description.links) add(link);
  return line;
}

}  // namespace serial
