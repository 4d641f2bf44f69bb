#include "serial/linux/port_details.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace serial::linux_tty {
namespace {

namespace fs = std::filesystem;

std::string Attribute(const fs::path& dir, const char* name) {
  std::ifstream in(dir / name);
  std::string value;
  std::getline(in, value);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\r')) value.pop_back();
  return value;
}

}  // namespace

PortDescription DescribeSysfsPort(const fs::path& sysfs_root, const fs::path& dev_root,
                                  const std::string& name) {
  PortDescription description;
  description.name = name;
  std::error_code error;
  // The port's device, then up the tree to the USB device that carries the ids.
  fs::path dir = fs::canonical(sysfs_root / "class" / "tty" / name / "device", error);
  const fs::path top = fs::canonical(sysfs_root, error);
  for (; !error && !dir.empty() && dir != top && dir != dir.parent_path();
       dir = dir.parent_path()) {
    if (fs::exists(dir / "idVendor", error) && fs::exists(dir / "idProduct", error)) {
      description.usbId = Attribute(dir, "idVendor") + ":" + Attribute(dir, "idProduct");
      description.manufacturer = Attribute(dir, "manufacturer");
      description.product = Attribute(dir, "product");
      description.serialNumber = Attribute(dir, "serial");
      break;
    }
  }

  error.clear();
  const fs::path node = fs::weakly_canonical(dev_root / name, error);
  fs::directory_iterator it(dev_root / "serial" / "by-id", error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    std::error_code ignored;
    if (fs::canonical(it->path(), ignored) == node)
      description.links.push_back(it->path().string());
  }
  std::sort(description.links.begin(), description.links.end());
  return description;
}

}  // namespace serial::linux_tty
