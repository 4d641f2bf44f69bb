#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "journal.h"
#include "transfer/image_source.h"

namespace transfer::testing {

// Images held in memory: every OpenImage "converts" afresh, handing out the current bytes.
// size bytes of a pattern that never repeats within a block, so that a misplaced block shows.
std::vector<std::uint8_t> PatternImage(std::size_t size);

class MemoryImages : public ImageSource {
 public:
  explicit MemoryImages(Journal* journal = nullptr) : journal_(journal) {}

  void SetImage(std::vector<std::uint8_t> bytes) { image_ = std::move(bytes); }
  // OpenImage throws std::runtime_error with this text from now on.
  void FailWith(std::string message) { failure_ = std::move(message); }
  // Streams opened from now on throw std::runtime_error with message from the read that
  // reaches offset on.
  void FailReadAt(std::size_t offset, std::string message) {
    readFailure_ = ReadFailure{offset, std::move(message)};
  }
  struct ReadFailure {
    std::size_t offset;
    std::string message;
  };

  std::unique_ptr<ImageStream> OpenImage(const std::string& hexFileName) override;
  // What Measure says; none unless set.
  void SetExtent(std::optional<ImageExtent> extent) { extent_ = extent; }
  std::optional<ImageExtent> Measure(const std::string&) override { return extent_; }

  int Conversions() const { return conversions_; }
  int OpenStreams() const { return *openStreams_; }

 private:
  Journal* journal_;
  std::vector<std::uint8_t> image_;
  std::optional<std::string> failure_;
  std::optional<ReadFailure> readFailure_;
  std::optional<ImageExtent> extent_;
  int conversions_ = 0;
  // Shared with the streams, which may outlive this object.
  std::shared_ptr<int> openStreams_ = std::make_shared<int>(0);
};

}  // namespace transfer::testing
