#include "h2b/file_errors.h"

#include "sys/error.h"
#include "sys/paths.h"

namespace h2b {

std::string FullPath(const std::string& name) {
  return name.empty() ? name : sys::AbsolutePath(name);
}

EFileError FileError(const char* action, const std::string& name, int err) {
  return FileError(action, name, sys::SystemErrorText(err));
}

EFileError FileError(const char* action, const std::string& name, const std::string& text) {
  return EFileError(std::string(action) + " file \"" + FullPath(name) + "\". " + text);
}

}  // namespace h2b
