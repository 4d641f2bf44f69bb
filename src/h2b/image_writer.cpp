#include "h2b/image_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "h2b/file_errors.h"

namespace h2b {

namespace {
constexpr std::size_t kWindow = 1 << 20;
}

ImageWriter::ImageWriter(const std::string& fileName) : fileName_(fileName) {
  fd_ = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) throw FileError("Cannot create", fileName, errno);
  window_.reserve(kWindow);
}

ImageWriter::~ImageWriter() {
  if (fd_ >= 0) ::close(fd_);
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
  if (offset < end) {
    const std::size_t inside = std::min<std::uint64_t>(count, end - offset);
    std::memcpy(window_.data() + (offset - windowStart_), data, inside);
    data += inside;
    count -= inside;
  }
  Append(data, count);
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

void ImageWriter::Close() {
  Flush();
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) throw FileError("Cannot write", fileName_, errno);
}

}  // namespace h2b
