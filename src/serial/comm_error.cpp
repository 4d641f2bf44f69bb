#include "serial/comm_error.h"

#include <cstdio>
#include <string>

namespace serial {

std::string MessageOf(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown error";
  }
}

std::string CommErrorText(const char* format, int code) {
  const std::string text = SystemErrorText(code);
  const int size = std::snprintf(nullptr, 0, format, code, text.c_str());
  std::string message(static_cast<std::size_t>(size), '\0');
  std::snprintf(message.data(), message.size() + 1, format, code, text.c_str());
  return message;
}

void RaiseCommError(const char* format, int code) {
  throw ECommError(CommErrorText(format, code));
}

}  // namespace serial
