#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "h2b/converted_image.h"
#include "transfer/image_source.h"

namespace h2b {

// A converted image read for a download through the file the conversion wrote, a megabyte at
// a time, each checked against the digest taken as it was written: what is sent is what was
// converted, or the download fails.
class ImageFileStream : public transfer::ImageStream {
 public:
  explicit ImageFileStream(ConvertedImage image);
  // One of several streams over the same image, each at its own place (a production line's
  // ports, all sent the one conversion).
  explicit ImageFileStream(std::shared_ptr<const ConvertedImage> image);

  std::uint64_t Size() const override { return image_->size; }
  // Throws EFileError "Cannot read file ..." when the system fails the read or the file no
  // longer holds what was written.
  std::size_t Read(std::uint8_t* buffer, std::size_t count) override;

 private:
  void LoadChunk();

  std::shared_ptr<const ConvertedImage> image_;
  std::vector<std::uint8_t> chunk_;  // the checked bytes of the current chunk
  std::size_t used_ = 0;             // of chunk_, already read
  std::uint64_t next_ = 0;           // image offset of the next chunk
};

}  // namespace h2b
