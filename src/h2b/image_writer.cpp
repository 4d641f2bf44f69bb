#include "h2b/image_writer.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "h2b/file_errors.h"
#include "sys/interrupt.h"

namespace h2b {

ImageWriter::ImageWriter(const std::string& fileName) : fileName_(fileName) {
  sys::Error error = 0;
  if (!file_.Create(fileName, error)) throw FileError("Cannot create", fileName, error);
  window_.reserve(kWindow);
}

void ImageWriter::PadTo(std::uint64_t offset) {
  while (Length() < offset) {
    if (window_.size() == kWindow) Flush();
    const std::size_t room = kWindow - window_.size();
    window_.resize(window_.size() + std::min<std::uint64_t>(room, offset - Length()), 0xFF);
  }
}

void ImageWriter::Put(std::uint64_t offset, const std::uint8_t* data, std::size_t count) {
  dataBytes_ += count;
  PadTo(offset);
  const std::uint64_t end = Length();
  if (offset < windowStart_) {
    const std::size_t below = std::min<std::uint64_t>(count, windowStart_ - offset);
    WriteAt(offset, data, below);
    for (std::uint64_t chunk = offset / kWindow; chunk <= (offset + below - 1) / kWindow; ++chunk)
      patched_.push_back(static_cast<std::size_t>(chunk));
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
  // Every megabyte: a huge fill from a high base address stops at once too.
  if (sys::InterruptRequested()) throw sys::EInterrupted();
  if (window_.empty()) return;
  digest_.Set(static_cast<std::size_t>(windowStart_ / kWindow),
              ImageDigest::Of(window_.data(), window_.size()));
  WriteAt(windowStart_, window_.data(), window_.size());
  windowStart_ += window_.size();
  window_.clear();
}

void ImageWriter::WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t count) {
  while (count > 0) {
    sys::Error error = sys::kNoSpace;
    const std::int64_t written = file_.file().WriteAt(offset, data, count, error);
    if (written <= 0) throw FileError("Cannot write", fileName_, error);
    offset += static_cast<std::uint64_t>(written);
    data += written;
    count -= static_cast<std::size_t>(written);
  }
}

// Records out of order changed chunks already written: their digests are taken again from the
// file, which nobody else can reach yet.
void ImageWriter::DigestPatchedChunks() {
  std::sort(patched_.begin(), patched_.end());
  patched_.erase(std::unique(patched_.begin(), patched_.end()), patched_.end());
  std::vector<std::uint8_t> data;
  for (const std::size_t chunk : patched_) {
    const std::uint64_t start = static_cast<std::uint64_t>(chunk) * kWindow;
    data.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kWindow, Length() - start)));
    std::size_t got = 0;
    while (got < data.size()) {
      sys::Error error = sys::kNoSpace;
      const std::int64_t n =
          file_.file().ReadAt(start + got, data.data() + got, data.size() - got, error);
      if (n <= 0) throw FileError("Cannot write", fileName_, error);
      got += static_cast<std::size_t>(n);
    }
    digest_.Set(chunk, ImageDigest::Of(data.data(), data.size()));
  }
  patched_.clear();
}

ConvertedImage ImageWriter::Commit() {
  Flush();
  DigestPatchedChunks();
  // No sync to the disk: the image is made afresh from the HEX file at every Start, so one lost
  // to a power cut costs only a conversion.
  sys::Error error = 0;
  if (!file_.Commit(error)) throw FileError("Cannot create", fileName_, error);
  return ConvertedImage{fileName_, std::move(file_.file()), Length(), std::move(digest_)};
}

}  // namespace h2b
