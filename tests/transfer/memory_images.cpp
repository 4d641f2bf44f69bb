#include "memory_images.h"

#include <algorithm>
#include <stdexcept>

namespace transfer::testing {
namespace {

class MemoryStream : public ImageStream {
 public:
  MemoryStream(std::vector<std::uint8_t> bytes, std::shared_ptr<int> openStreams, Journal* journal,
               std::optional<MemoryImages::ReadFailure> failure)
      : bytes_(std::move(bytes)),
        openStreams_(std::move(openStreams)),
        journal_(journal),
        failure_(std::move(failure)) {
    ++*openStreams_;
  }
  ~MemoryStream() override {
    --*openStreams_;
    Note(journal_, "close image");
  }

  std::uint64_t Size() const override { return bytes_.size(); }
  std::size_t Read(std::uint8_t* buffer, std::size_t count) override {
    if (failure_ && position_ + count > failure_->offset)
      throw std::runtime_error(failure_->message);
    const std::size_t n = std::min(count, bytes_.size() - position_);
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(position_), n, buffer);
    position_ += n;
    return n;
  }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t position_ = 0;
  std::shared_ptr<int> openStreams_;
  Journal* journal_;
  std::optional<MemoryImages::ReadFailure> failure_;
};

}  // namespace

std::unique_ptr<ImageStream> MemoryImages::OpenImage(const std::string& hexFileName) {
  ++conversions_;
  Note(journal_, "open image " + hexFileName);
  if (failure_) throw std::runtime_error(*failure_);
  return std::make_unique<MemoryStream>(image_, openStreams_, journal_, readFailure_);
}

std::vector<std::uint8_t> PatternImage(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
  return bytes;
}

}  // namespace transfer::testing
