#include "serial/discovery.h"

namespace serial {

std::string DescriptionLine(const PortDescription& description) {
  std::string links;
  for (const std::string& link : description.links) links += (links.empty() ? "" : " ") + link;
  return description.name + '\t' + description.usbId + '\t' + description.manufacturer + '\t' +
         description.product + '\t' + description.serialNumber + '\t' + links;
}

}  // namespace serial
