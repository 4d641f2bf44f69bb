#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace transfer {

// The binary image being sent, read front to back in blocks.
class ImageStream {
 public:
  virtual ~ImageStream() = default;
  virtual std::uint64_t Size() const = 0;
  // Reads up to count bytes; fewer only at the end of the image.
  virtual std::size_t Read(std::uint8_t* buffer, std::size_t count) = 0;
};

// What an image will be, known before it is made.
struct ImageExtent {
  std::uint64_t size = 0;
  std::optional<std::uint64_t> lowestAddress;  // of the first data byte
};

// Turns the chosen HEX file into an open image, afresh on every call. Throws with the
// user-visible message when the file cannot be converted or the image cannot be opened.
class ImageSource {
 public:
  virtual ~ImageSource() = default;
  virtual std::unique_ptr<ImageStream> OpenImage(const std::string& hexFileName) = 0;
  // The image the HEX file would give, measured without making it; none when it cannot be
  // told (OpenImage then says why).
  virtual std::optional<ImageExtent> Measure(const std::string&) { return std::nullopt; }
};

}  // namespace transfer
