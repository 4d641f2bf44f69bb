#include "h2b/image_file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "h2b/file_errors.h"

namespace h2b {

ImageFileStream::ImageFileStream(const std::string& fileName) : fileName_(fileName) {
  fd_ = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) throw FileError("Cannot open", fileName, errno);
  struct stat status;
  // A folder opens for reading on Linux but is no image.
  if (::fstat(fd_, &status) == 0 && S_ISDIR(status.st_mode)) {
    ::close(fd_);
    throw FileError("Cannot open", fileName, EISDIR);
  }
}

ImageFileStream::~ImageFileStream() {
  ::close(fd_);
}

std::uint64_t ImageFileStream::Size() const {
  struct stat status;
  if (::fstat(fd_, &status) != 0) throw FileError("Cannot read", fileName_, errno);
  return static_cast<std::uint64_t>(status.st_size);
}

std::size_t ImageFileStream::Read(std::uint8_t* buffer, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t got = ::read(fd_, buffer + done, count - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw FileError("Cannot read", fileName_, errno);
    if (got == 0) break;
    done += got;
  }
  return done;
}

}  // namespace h2b
