#include "h2b/hex_line_reader.h"

#include <algorithm>
#include <cstring>

#include "h2b/file_errors.h"
#include "sys/interrupt.h"

namespace h2b {

namespace {

constexpr std::size_t kChunk = 1 << 20;
constexpr char kNotRegular[] = "Not a regular file";

}  // namespace

HexLineReader::HexLineReader(const std::string& fileName) : fileName_(fileName) {
  // A socket cannot even be opened, a FIFO or a device would block or never end: refused
  // before opening, and again should the name have changed meanwhile.
  if (sys::KindOf(fileName, true) == sys::Kind::Other)
    throw FileError("Cannot open", fileName, kNotRegular);
  sys::Error error = 0;
  file_ = sys::File::OpenForReading(fileName, error);
  if (!file_.IsOpen()) throw FileError("Cannot open", fileName, error);
  sys::Kind kind = sys::Kind::Unknown;
  std::uint64_t size = 0;
  if (!file_.Describe(kind, size, error) || kind != sys::Kind::File)
    throw FileError("Cannot open", fileName, kNotRegular);
  sizeHint_ = static_cast<std::size_t>(size);
}

HexLineReader::~HexLineReader() = default;

bool HexLineReader::Fill() {
  if (atEnd_) return false;
  if (sys::InterruptRequested()) throw sys::EInterrupted();
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  // The unread bytes are one line without a break so far: what lies past kMaxLine of it is
  // never looked at.
  end_ = std::min(end_, kMaxLine);
  // Room for the rest of the file as it was when opened (one byte more to see its end), in
  // chunks of at most kChunk: a small file costs no more memory than it needs.
  const std::size_t rest = sizeHint_ >= end_ ? sizeHint_ - end_ + 1 : kChunk;
  const std::size_t room = std::clamp<std::size_t>(rest, 4096, kChunk);
  if (buffer_.size() - end_ < room) buffer_.resize(end_ + room);
  sys::Error error = 0;
  const std::int64_t count = file_.Read(buffer_.data() + end_, buffer_.size() - end_, error);
  // Nothing names a read failure of the HEX file apart from its opening.
  if (count < 0) throw FileError("Cannot open", fileName_, error);
  if (count == 0) {
    atEnd_ = true;
    return false;
  }
  const char* nul = static_cast<const char*>(
      std::memchr(buffer_.data() + end_, 0, static_cast<std::size_t>(count)));
  if (nul != nullptr) {
    end_ = nul - buffer_.data();
    atEnd_ = true;
  } else {
    end_ += static_cast<std::size_t>(count);
  }
  return true;
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
    // Fill keeps at most kMaxLine of the scanned bytes.
    const std::size_t scanned = std::min(scan - begin_, kMaxLine);
    if (!Fill()) break;
    scan = begin_ + scanned;
  }
  if (begin_ == end_) return false;
  line = std::string_view(buffer_.data() + begin_, end_ - begin_);
  begin_ = end_;
  return true;
}

}  // namespace h2b
