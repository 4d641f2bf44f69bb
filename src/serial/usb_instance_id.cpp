#include "serial/usb_instance_id.h"

#include <cctype>

namespace serial {

namespace {

// The four hex digits after key ("VID_", "PID_"), in lower case; empty when they are not there.
std::string HexAfter(const std::string& text, const std::string& key, std::size_t& end) {
  const std::size_t at = text.find(key);
  if (at == std::string::npos || at + key.size() + 4 > text.size()) return {};
  std::string digits = text.substr(at + key.size(), 4);
  for (char& c : digits) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return {};
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  end = at + key.size() + 4;
  return digits;
}

}  // namespace

UsbIdentity ParseUsbInstanceId(const std::string& instanceId) {
  std::string id = instanceId;
  for (char& c : id) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  UsbIdentity identity;
  std::size_t vendorEnd = 0, productEnd = 0;
  const std::string vendor = HexAfter(id, "VID_", vendorEnd);
  const std::string product = HexAfter(id, "PID_", productEnd);
  if (vendor.empty() || product.empty()) return identity;
  identity.usbId = vendor + ":" + product;
  std::string serial;
  if (productEnd < id.size() && id[productEnd] == '+') {
    // FTDI's bus: the serial number follows, with the port's letter appended to it.
    const std::size_t end = id.find('\\', productEnd);
    serial =
        instanceId.substr(productEnd + 1, end == std::string::npos ? end : end - productEnd - 1);
    if (serial.size() > 1 && serial.back() == 'A') serial.pop_back();
  } else if (productEnd < id.size() && id[productEnd] != '\\') {
    // "&MI_00" and the like: a function of a composite device, whose ID Windows makes up.
    return identity;
  } else if (productEnd < id.size()) {
    serial = instanceId.substr(productEnd + 1);
    // An ID with "&" in it is Windows' own, made for a device without a serial number.
    if (serial.find('&') != std::string::npos) serial.clear();
  }
  identity.serialNumber = serial;
  return identity;
}

}  // namespace serial
