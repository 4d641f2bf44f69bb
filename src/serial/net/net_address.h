#pragma once

#include <string>

namespace serial {

struct NetAddress {
  std::string host;
  std::string port;
};

// The host and port of "KIND://HOST:PORT", an IPv6 address in brackets ("KIND://[::1]:4001").
// Raises ECommError "Can't open specified device NAME (...)" for anything else.
NetAddress ParseNetAddress(const std::string& name);

}  // namespace serial
