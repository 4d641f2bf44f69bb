#include "h2b/image_names.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace h2b {

namespace {

std::string WithoutExtension(const std::string& fileName) {
  const std::size_t dot = fileName.rfind('.');
  return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

}  // namespace

std::string ImageFileName(const std::string& hexFileName) {
  const std::size_t slash = hexFileName.rfind('/');
  const std::string namePart =
      slash == std::string::npos ? hexFileName : hexFileName.substr(slash + 1);
  return WithoutExtension(namePart) + ".BIN";
}

std::string BackupFileName(const std::string& imageFileName) {
  return WithoutExtension(imageFileName) + ".BAK";
}

bool IsExistingFile(const std::string& name) {
  struct stat status;
  return ::lstat(name.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

bool MoveToBackup(const std::string& imageFileName) {
  const std::string backup = BackupFileName(imageFileName);
  if (::renameat2(AT_FDCWD, imageFileName.c_str(), AT_FDCWD, backup.c_str(), RENAME_NOREPLACE) == 0)
    return true;
  // Both move a symbolic link itself. Some file systems cannot rename without replacing; a
  // hard link fails just as well when the backup name is taken.
  if (errno != EINVAL && errno != ENOSYS) return false;
  if (::link(imageFileName.c_str(), backup.c_str()) != 0) return false;
  ::unlink(imageFileName.c_str());
  return true;
}

}  // namespace h2b
