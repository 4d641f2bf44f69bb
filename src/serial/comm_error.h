#pragma once

#include <stdexcept>
#include <string>

namespace serial {

// Every failure of the serial port device; carries only its message.
class ECommError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kPortIsOpen = "Can't perform this operation while port is open";
inline constexpr const char* kOutputBufferFull = "Output buffer is full. Please check comm status.";

// The system's text for an error code, without trailing control characters, blanks and full
// stops, at most 255 characters.
std::string SystemErrorText(int code);

// A message template with "%d" and "%s" for the code and its system text, in that order, such as
// "Error writing dcb (%d), %s".
std::string CommErrorText(const char* format, int code);
[[noreturn]] void RaiseCommError(const char* format, int code);

}  // namespace serial
