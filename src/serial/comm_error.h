#pragma once

#include <exception>
#include <stdexcept>
#include <string>

#include "sys/error.h"

namespace serial {

// Every failure of the serial port device; carries only its message.
class ECommError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kPortIsOpen = "Can't perform this operation while port is open";
inline constexpr const char* kOutputBufferFull = "Output buffer is full. Please check comm status.";

using sys::SystemErrorText;

// The message of a failure handed on as an exception_ptr (the error report's argument).
std::string MessageOf(const std::exception_ptr& failure);

// A message template with "%d" and "%s" for the code and its system text, in that order, such as
// "Error writing dcb (%d), %s".
std::string CommErrorText(const char* format, int code);
[[noreturn]] void RaiseCommError(const char* format, int code);

}  // namespace serial
