#include "serial/comm_error.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace serial {

std::string SystemErrorText(int code) {
  char buffer[256] = {};
  // The GNU strerror_r may return a static string instead of filling the buffer.
  std::string text = strerror_r(code, buffer, sizeof buffer);
  if (text.size() > 255) text.resize(255);
  while (!text.empty()) {
    const unsigned char last = static_cast<unsigned char>(text.back());
    if (last > ' ' && last != '.' && last != 0x7f) break;
    text.pop_back();
  }
  return text;
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
