#include "h2b/image_file_stream.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "h2b/file_errors.h"

namespace h2b {

namespace {

constexpr char kChanged[] = "The file was changed after it was converted";

}  // namespace

ImageFileStream::ImageFileStream(ConvertedImage image)
    : image_(std::make_shared<const ConvertedImage>(std::move(image))) {}

ImageFileStream::ImageFileStream(std::shared_ptr<const ConvertedImage> image)
    : image_(std::move(image)) {}

std::size_t ImageFileStream::Read(std::uint8_t* buffer, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    if (used_ == chunk_.size()) {
      if (next_ >= image_->size) break;
      LoadChunk();
    }
    const std::size_t part = std::min(count - done, chunk_.size() - used_);
    std::memcpy(buffer + done, chunk_.data() + used_, part);
    used_ += part;
    done += part;
  }
  return done;
}

void ImageFileStream::LoadChunk() {
  const std::size_t index = static_cast<std::size_t>(next_ / ImageDigest::kChunk);
  chunk_.resize(
      static_cast<std::size_t>(std::min<std::uint64_t>(ImageDigest::kChunk, image_->size - next_)));
  std::size_t got = 0;
  while (got < chunk_.size()) {
    sys::Error error = 0;
    const std::int64_t n =
        image_->file.ReadAt(next_ + got, chunk_.data() + got, chunk_.size() - got, error);
    if (n < 0) throw FileError("Cannot read", image_->name, error);
    if (n == 0) throw FileError("Cannot read", image_->name, kChanged);  // cut short meanwhile
    got += static_cast<std::size_t>(n);
  }
  if (ImageDigest::Of(chunk_.data(), chunk_.size()) != image_->digest.At(index))
    throw FileError("Cannot read", image_->name, kChanged);
  used_ = 0;
  next_ += chunk_.size();
}

}  // namespace h2b
