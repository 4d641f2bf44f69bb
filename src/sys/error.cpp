#include "sys/error.h"

namespace sys {

std::string SystemErrorText(Error error) {
  std::string text = ErrorText(error);
  if (text.size() > 255) text.resize(255);
  while (!text.empty()) {
    const unsigned char last = static_cast<unsigned char>(text.back());
    if (last > ' ' && last != '.' && last != 0x7F) break;
    text.pop_back();
  }
  return text;
}

}  // namespace sys
