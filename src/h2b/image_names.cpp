#include "h2b/image_names.h"

#include "sys/native_file.h"
#include "sys/paths.h"

namespace h2b {

namespace {

std::string WithoutExtension(const std::string& fileName) {
  const std::size_t dot = fileName.rfind('.');
  return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

}  // namespace

std::string ImageFileName(const std::string& hexFileName) {
  const std::size_t slash = hexFileName.find_last_of(sys::kPathSeparators);
  const std::string namePart =
      slash == std::string::npos ? hexFileName : hexFileName.substr(slash + 1);
  return WithoutExtension(namePart) + ".BIN";
}

std::string BackupFileName(const std::string& imageFileName) {
  return WithoutExtension(imageFileName) + ".BAK";
}

bool IsExistingFile(const std::string& name) {
  const sys::Kind kind = sys::KindOf(name, false);
  return kind == sys::Kind::File || kind == sys::Kind::Other;
}

bool MoveToBackup(const std::string& imageFileName) {
  sys::Error ignored = 0;
  return sys::RenameNoReplace(imageFileName, BackupFileName(imageFileName), ignored);
}

}  // namespace h2b
