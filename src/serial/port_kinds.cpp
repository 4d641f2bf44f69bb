#include "serial/port_kinds.h"

#include <cctype>

#include "serial/comm_error.h"
#include "serial/net/network_device.h"

namespace serial {

namespace {

constexpr PortKind kKinds[] = {
    {"rfc2217", "rfc2217://HOST:PORT", &OpenRfc2217Device},
    {"socket", "socket://HOST:PORT", &OpenSocketDevice},
};

}  // namespace

std::span<const PortKind> PortKinds() {
  return kKinds;
}

std::optional<std::string> SchemeOf(const std::string& name) {
  const std::size_t end = name.find("://");
  if (end == std::string::npos || end == 0) return std::nullopt;
  std::string scheme;
  for (std::size_t i = 0; i < end; ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    const bool fits =
        std::isalpha(c) || (i > 0 && (std::isdigit(c) || c == '+' || c == '-' || c == '.'));
    if (!fits || c > 0x7F) return std::nullopt;
    scheme += static_cast<char>(std::tolower(c));
  }
  return scheme;
}

std::unique_ptr<CommDevice> OpenCommDevice(const std::string& name) {
  const std::optional<std::string> scheme = SchemeOf(name);
  if (!scheme) return OpenSystemDevice(name);
  std::string known = "a serial device's name or path";
  for (const PortKind& kind : PortKinds()) {
    if (kind.scheme == *scheme) return kind.open(name);
    known += ", ";
    known += kind.form;
  }
  // Never taken for a path: "nosuch://x" is a typing error, not a file to look for.
  throw ECommError("Can't open specified device " + name + " (unknown kind of port \"" + *scheme +
                   "://\"; a port is " + known + ")");
}

}  // namespace serial
