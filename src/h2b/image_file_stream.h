#pragma once

#include <string>

#include "h2b/native_file.h"
#include "transfer/image_source.h"

namespace h2b {

// An image file opened read-only for a download.
class ImageFileStream : public transfer::ImageStream {
 public:
  // Opens an existing file; throws EFileError "Cannot open file ..." on failure.
  explicit ImageFileStream(const std::string& fileName);
  ~ImageFileStream() override;
  ImageFileStream(const ImageFileStream&) = delete;
  ImageFileStream& operator=(const ImageFileStream&) = delete;

  std::uint64_t Size() const override;
  // Throws EFileError "Cannot read file ..." when the system fails the read.
  std::size_t Read(std::uint8_t* buffer, std::size_t count) override;

 private:
  std::string fileName_;
  sys::File file_;
};

}  // namespace h2b
