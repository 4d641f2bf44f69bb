#include "sys/native_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace sys {

namespace {

Kind KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return Kind::File;
  if (S_ISDIR(mode)) return Kind::Folder;
  return Kind::Other;
}

}  // namespace

Kind KindOf(const std::string& name, bool followLinks) {
  struct stat status;
  const int result = followLinks ? ::stat(name.c_str(), &status) : ::lstat(name.c_str(), &status);
  if (result == 0) return KindOfMode(status.st_mode);
  return errno == ENOENT || errno == ENOTDIR ? Kind::Missing : Kind::Unknown;
}

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, kClosed)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (IsOpen()) ::close(static_cast<int>(handle_));
    handle_ = std::exchange(other.handle_, kClosed);
  }
  return *this;
}

File::~File() {
  if (IsOpen()) ::close(static_cast<int>(handle_));
}

File File::OpenForReading(const std::string& name, Error& error) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) error = errno;
  return File(fd);
}

File File::CreateNew(const std::string& name, Error& error) {
  // O_EXCL: a name somebody else planted, a link included, is never opened.
  const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) error = errno;
  return File(fd);
}

bool File::Describe(Kind& kind, std::uint64_t& size, Error& error) const {
  struct stat status;
  if (::fstat(static_cast<int>(handle_), &status) != 0) {
    error = errno;
    return false;
  }
  kind = KindOfMode(status.st_mode);
  size = static_cast<std::uint64_t>(status.st_size);
  return true;
}

std::int64_t File::Read(void* buffer, std::size_t count, Error& error) {
  for (;;) {
    const ssize_t got = ::read(static_cast<int>(handle_), buffer, count);
    if (got >= 0) return got;
    if (errno != EINTR) {
      error = errno;
      return -1;
    }
  }
}

std::int64_t File::ReadAt(std::uint64_t offset, void* buffer, std::size_t count,
                          Error& error) const {
  for (;;) {
    const ssize_t got =
        ::pread(static_cast<int>(handle_), buffer, count, static_cast<off_t>(offset));
    if (got >= 0) return got;
    if (errno != EINTR) {
      error = errno;
      return -1;
    }
  }
}

std::int64_t File::WriteAt(std::uint64_t offset, const void* data, std::size_t count,
                           Error& error) {
  for (;;) {
    const ssize_t written =
        ::pwrite(static_cast<int>(handle_), data, count, static_cast<off_t>(offset));
    if (written >= 0) return written;
    if (errno != EINTR) {
      error = errno;
      return -1;
    }
  }
}

bool File::SyncData(Error& error) {
  if (::fdatasync(static_cast<int>(handle_)) == 0) return true;
  error = errno;
  return false;
}

bool File::Close(Error& error) {
  if (::close(static_cast<int>(std::exchange(handle_, kClosed))) == 0) return true;
  error = errno;
  return false;
}

bool RenameNoReplace(const std::string& from, const std::string& to, Error& error) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  // Both move a symbolic link itself. Some file systems cannot rename without replacing; a
  // hard link fails just as well when the name is taken.
  if (errno == EINVAL || errno == ENOSYS) {
    if (::link(from.c_str(), to.c_str()) == 0) {
      ::unlink(from.c_str());
      return true;
    }
  }
  error = errno;
  return false;
}

bool RenameReplacing(const std::string& from, const std::string& to, Error& error) {
  if (::rename(from.c_str(), to.c_str()) == 0) return true;
  error = errno;
  return false;
}

void Remove(const std::string& name) {
  ::unlink(name.c_str());
}

bool CopyPermissions(const std::string& from, File& to, Error& error) {
  struct stat old {};
  if (::stat(from.c_str(), &old) != 0) return true;  // nothing replaced: the default mode
  if (::fchmod(static_cast<int>(to.handle_), old.st_mode & 07777) == 0) return true;
  error = errno;
  return false;
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace sys
