#include "h2b/image_writer.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>

#include "h2b/file_errors.h"

namespace h2b {

namespace {

constexpr std::size_t kWindow = 1 << 20;
std::atomic<unsigned> tempCount{0};

}  // namespace

ImageWriter::ImageWriter(const std::string& fileName) : fileName_(fileName) {
  for (int attempt = 0; !file_.IsOpen(); ++attempt) {
    tempName_ = "." + fileName + "." + std::to_string(sys::ProcessId()) + "-" +
                std::to_string(tempCount++) + ".tmp";
    sys::Error error = 0;
    file_ = sys::File::CreateNew(tempName_, error);
    if (!file_.IsOpen() && (error != sys::kExists || attempt == 100)) {
      tempName_.clear();
      throw FileError("Cannot create", fileName, error);
    }
  }
  window_.reserve(kWindow);
}

ImageWriter::~ImageWriter() {
  if (file_.IsOpen()) {
    sys::Error ignored = 0;
    file_.Close(ignored);
  }
  if (!tempName_.empty()) sys::Remove(tempName_);
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
    sys::Error error = sys::kNoSpace;
    const std::int64_t written = file_.WriteAt(offset, data, count, error);
    if (written <= 0) throw FileError("Cannot write", fileName_, error);
    offset += static_cast<std::uint64_t>(written);
    data += written;
    count -= static_cast<std::size_t>(written);
  }
}

void ImageWriter::Commit() {
  Flush();
  sys::Error error = 0;
  // On disk before it takes the name, so a crash cannot leave an empty image there.
  if (!file_.SyncData(error)) throw FileError("Cannot write", fileName_, error);
  if (!file_.Close(error)) throw FileError("Cannot write", fileName_, error);
  if (!sys::RenameReplacing(tempName_, fileName_, error))
    throw FileError("Cannot create", fileName_, error);
  tempName_.clear();
}

}  // namespace h2b
