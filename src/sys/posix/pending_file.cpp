#include "sys/pending_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace sys {

namespace {

std::string FolderOf(const std::string& name) {
  const std::size_t slash = name.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : name.substr(0, slash);
}

}  // namespace

PendingFile::~PendingFile() {
  file_ = File();
  if (!hiddenName_.empty()) Remove(hiddenName_);
}

bool PendingFile::Create(const std::string& name, Error& error) {
  name_ = name;
  RemoveLeftovers(name);
  // No name at all until Commit; file systems without such files get a hidden one, and so does
  // a system without /proc, through which Commit gives the file its name.
  if (::access("/proc/self/fd", X_OK) == 0) {
    const int fd = ::open(FolderOf(name).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (fd >= 0) {
      file_ = File(fd);
      return true;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
      error = errno;
      return false;
    }
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    hiddenName_ = HiddenName(name);
    file_ = File::CreateNew(hiddenName_, error);
    if (file_.IsOpen()) return true;
    if (error != kExists) break;
  }
  hiddenName_.clear();
  return false;
}

bool PendingFile::Commit(Error& error) {
  if (hiddenName_.empty()) {
    // Linking needs a name that nothing holds; the rename then replaces the image's name in
    // one step, as for a hidden file.
    const std::string self = "/proc/self/fd/" + std::to_string(file_.handle_);
    for (int attempt = 0; hiddenName_.empty(); ++attempt) {
      const std::string hidden = HiddenName(name_);
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, hidden.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        hiddenName_ = hidden;
      } else if (errno != EEXIST || attempt == 100) {
        error = errno;
        return false;
      }
    }
  }
  if (!RenameReplacing(hiddenName_, name_, error)) return false;
  hiddenName_.clear();
  return true;
}

}  // namespace sys
