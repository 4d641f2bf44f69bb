#include "h2b/hex_line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "h2b/file_errors.h"

namespace h2b {

namespace {

constexpr std::size_t kChunk = 1 << 20;
constexpr char kNotRegular[] = "Not a regular file";

}  // namespace

HexLineReader::HexLineReader(const std::string& fileName) : fileName_(fileName) {
  // A socket cannot even be opened; a FIFO is opened without blocking, then refused.
  struct stat status;
  if (::stat(fileName.c_str(), &status) == 0 && S_ISSOCK(status.st_mode))
    throw FileError("Cannot open", fileName, kNotRegular);
  fd_ = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) throw FileError("Cannot open", fileName, errno);
  if (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd_);
    throw FileError("Cannot open", fileName, kNotRegular);
  }
  sizeHint_ = static_cast<std::size_t>(status.st_size);
}

HexLineReader::~HexLineReader() {
  ::close(fd_);
}

bool HexLineReader::Fill() {
  if (atEnd_) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  // Room for the rest of the file as it was when opened (one byte more to see its end), in
  // chunks of at most kChunk: a small file costs no more memory than it needs.
  const std::size_t rest = sizeHint_ >= end_ ? sizeHint_ - end_ + 1 : kChunk;
  const std::size_t room = std::clamp<std::size_t>(rest, 4096, kChunk);
  if (buffer_.size() - end_ < room) buffer_.resize(end_ + room);
  ssize_t count;
  do {
    count = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
  } while (count < 0 && errno == EINTR);
  // Nothing names a read failure of the HEX file apart from its opening.
  if (count < 0) throw FileError("Cannot open", fileName_, errno);
  if (count == 0) {
    atEnd_ = true;
    return false;
  }
  const char* nul = static_cast<const char*>(std::memchr(buffer_.data() + end_, 0, count));
  if (nul != nullptr) {
    end_ = nul - buffer_.data();
    atEnd_ = true;
  } else {
    end_ += count;
  }
  return true;
}

void HexLineReader::ReadAll() {
  while (Fill()) {
  }
}

bool HexLineReader::Next(std::string_view& line) {
  std::size_t scan = begin_;
  for (;;) {
    if (skipLf_ && begin_ < end_) {
      skipLf_ = false;
      if (buffer_[begin_] == '\n') scan = ++begin_;
    }
    const char* data = buffer_.data();
    while (scan < end_ && data[scan] != '\n' && data[scan] != '\r') ++scan;
    if (scan < end_) {
      line = std::string_view(data + begin_, scan - begin_);
      skipLf_ = data[scan] == '\r';
      begin_ = scan + 1;
      return true;
    }
    const std::size_t scanned = scan - begin_;
    if (!Fill()) break;
    scan = begin_ + scanned;
  }
  if (begin_ == end_) return false;
  line = std::string_view(buffer_.data() + begin_, end_ - begin_);
  begin_ = end_;
  return true;
}

}  // namespace h2b
