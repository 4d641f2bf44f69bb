#include "h2b/image_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

#include "h2b/file_errors.h"

namespace h2b {

namespace {

constexpr std::size_t kWindow = 1 << 20;
std::atomic<unsigned> tempCount{0};

}  // namespace

ImageWriter::ImageWriter(const std::string& fileName) : fileName_(fileName) {
  // O_EXCL: a name somebody else planted, a link included, is never opened.
  for (int attempt = 0; fd_ < 0; ++attempt) {
    tempName_ = "." + fileName + "." + std::to_string(::getpid()) + "-" +
                std::to_string(tempCount++) + ".tmp";
    fd_ = ::open(tempName_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && (errno != EEXIST || attempt == 100)) {
      tempName_.clear();
      throw FileError("Cannot create", fileName, errno);
    }
  }
  window_.reserve(kWindow);
}

ImageWriter::~ImageWriter() {
  if (fd_ >= 0) ::close(fd_);
  if (!tempName_.empty()) ::unlink(tempName_.c_str());
}

void ImageWriter::PadTo(std::uint64_t offset) {
  while (Length() < offset) {
    if (window_.size() == kWindow) Flush();
    const std::size_t room = kWindow - window_.size();
    window_.resize(window_.size() + std::min<std::uint64_t>(room, offset - Length()), 0xFF);
  }
}

void ImageWriter::Put(std::uint64_t offset, const std::uint8_t* data, std::size_t count) {
  PadTo(offset);
  const std::uint64_t end = Length();
  if (offset < windowStart_) {
    const std::size_t below = std::min<std::uint64_t>(count, windowStart_ - offset);
    WriteAt(offset, data, below);
    offset += below;
    data += below;
    count -= below;
  }
  // Offsets, not pointers: a record wholly below the window has nothing left for it here.
  if (count > 0 && offset < end) {
    const std::size_t inside = std::min<std::uint64_t>(count, end - offset);
    std::memcpy(window_.data() + (offset - windowStart_), data, inside);
    data += inside;
    count -= inside;
  }
  if (count > 0) Append(data, count);
}

void ImageWriter::Append(const std::uint8_t* data, std::size_t count) {
  while (count > 0) {
    if (window_.size() == kWindow) Flush();
    const std::size_t part = std::min(count, kWindow - window_.size());
    window_.insert(window_.end(), data, data + part);
    data += part;
    count -= part;
  }
}

void ImageWriter::Flush() {
  WriteAt(windowStart_, window_.data(), window_.size());
  windowStart_ += window_.size();
  window_.clear();
}

void ImageWriter::WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t count) {
  while (count > 0) {
    const ssize_t written = ::pwrite(fd_, data, count, static_cast<off_t>(offset));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) throw FileError("Cannot write", fileName_, written < 0 ? errno : ENOSPC);
    offset += written;
    data += written;
    count -= written;
  }
}

void ImageWriter::Commit() {
  Flush();
  // On disk before it takes the name, so a crash cannot leave an empty image there.
  if (::fdatasync(fd_) != 0) throw FileError("Cannot write", fileName_, errno);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) throw FileError("Cannot write", fileName_, errno);
  if (::rename(tempName_.c_str(), fileName_.c_str()) != 0)
    throw FileError("Cannot create", fileName_, errno);
  tempName_.clear();
}

}  // namespace h2b
