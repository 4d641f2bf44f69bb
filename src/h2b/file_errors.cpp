#include "h2b/file_errors.h"

#include "h2b/native_file.h"

namespace h2b {

std::string SystemErrorText(int err) {
  std::string text = sys::ErrorText(err);
  if (text.size() > 255) text.resize(255);
  while (!text.empty()) {
    const unsigned char last = static_cast<unsigned char>(text.back());
    if (last > ' ' && last != '.' && last != 0x7F) break;
    text.pop_back();
  }
  return text;
}

std::string FullPath(const std::string& name) {
  return name.empty() ? name : sys::AbsolutePath(name);
}

EFileError FileError(const char* action, const std::string& name, int err) {
  return FileError(action, name, SystemErrorText(err));
}

EFileError FileError(const char* action, const std::string& name, const std::string& text) {
  return EFileError(std::string(action) + " file \"" + FullPath(name) + "\". " + text);
}

}  // namespace h2b
