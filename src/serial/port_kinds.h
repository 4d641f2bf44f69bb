#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "serial/comm_device.h"

namespace serial {

// A kind of port that is not the system's own serial device, named by a scheme in front of
// its address ("KIND://ADDRESS"). A new kind is one device behind CommDevice and one row of
// the table.
struct PortKind {
  std::string_view scheme;  // lower case, without "://"
  std::string_view form;    // how a name of this kind is written, for messages and help
  std::unique_ptr<CommDevice> (*open)(const std::string& name);  // given the whole name
};

// Every kind there is.
std::span<const PortKind> PortKinds();

// The scheme in front of name, lower case, when it begins with "LETTERS://" (letters, digits,
// "+", "-" and "." after a first letter); none for a device name or path.
std::optional<std::string> SchemeOf(const std::string& name);

}  // namespace serial
