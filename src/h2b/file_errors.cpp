#include "h2b/file_errors.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace h2b {

std::string SystemErrorText(int err) {
  char buffer[256] = {};
  // The GNU strerror_r may return a static string instead of filling the buffer.
  std::string text = strerror_r(err, buffer, sizeof buffer);
  if (text.size() > 255) text.resize(255);
  while (!text.empty()) {
    const unsigned char last = static_cast<unsigned char>(text.back());
    if (last > ' ' && last != '.' && last != 0x7F) break;
    text.pop_back();
  }
  return text;
}

std::string FullPath(const std::string& name) {
  if (name.empty()) return name;
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(name, error);
  if (error) return name;
  return full.lexically_normal().string();
}

EFileError FileError(const char* action, const std::string& name, int err) {
  return FileError(action, name, SystemErrorText(err));
}

EFileError FileError(const char* action, const std::string& name, const std::string& text) {
  return EFileError(std::string(action) + " file \"" + FullPath(name) + "\". " + text);
}

}  // namespace h2b
