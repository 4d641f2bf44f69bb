#include "serial/net/net_address.h"

#include <algorithm>
#include <cctype>

#include "serial/comm_error.h"

namespace serial {

NetAddress ParseNetAddress(const std::string& name) {
  const std::size_t start = name.find("://");
  const std::string rest = start == std::string::npos ? name : name.substr(start + 3);
  NetAddress address;
  std::size_t colon;
  if (!rest.empty() && rest.front() == '[') {
    const std::size_t close = rest.find(']');
    colon = close == std::string::npos ? close : close + 1;
    if (close != std::string::npos) address.host = rest.substr(1, close - 1);
    if (colon != std::string::npos && (colon >= rest.size() || rest[colon] != ':'))
      colon = std::string::npos;
  } else {
    colon = rest.rfind(':');
    if (colon != std::string::npos) address.host = rest.substr(0, colon);
  }
  if (colon != std::string::npos) address.port = rest.substr(colon + 1);
  const bool portIsNumber = !address.port.empty() && address.port.size() <= 5 &&
                            std::all_of(address.port.begin(), address.port.end(),
                                        [](unsigned char c) { return std::isdigit(c); }) &&
                            std::stoi(address.port) >= 1 && std::stoi(address.port) <= 65535;
  if (address.host.empty() || !portIsNumber ||
      address.host.find_first_of("/ []") != std::string::npos) {
    throw ECommError("Can't open specified device " + name +
                     " (a network port is KIND://HOST:PORT, such as rfc2217://station1:4001 "
                     "or rfc2217://[::1]:4001)");
  }
  return address;
}

}  // namespace serial
