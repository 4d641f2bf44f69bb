#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "h2b/native_file.h"

namespace h2b {

// Writes the image file: bytes go to their own offsets, every offset below the end that
// no byte was put at holds 0xFF, and the file ends at the highest byte put. Writing is
// buffered; bytes below the buffered window are patched in place, so the fill is never
// held in memory. Failed writes throw EFileError "Cannot write file ...".
//
// The image is written to a new temporary file beside its name and takes the name only once
// it is complete: a download still reading the old image keeps its own whole file, a link
// planted at the name is replaced rather than written through, and a failure or a crash
// never leaves half an image under the name.
class ImageWriter {
 public:
  // Creates the temporary file; throws EFileError "Cannot create file ..." (naming the
  // image) on failure.
  explicit ImageWriter(const std::string& fileName);
  // Without Commit the temporary file is removed, giving its space back.
  ~ImageWriter();
  ImageWriter(const ImageWriter&) = delete;
  ImageWriter& operator=(const ImageWriter&) = delete;

  // Grows the image with 0xFF up to offset, when it is shorter.
  void PadTo(std::uint64_t offset);
  // Puts count bytes at offset, over whatever was there.
  void Put(std::uint64_t offset, const std::uint8_t* data, std::size_t count);
  std::uint64_t Length() const { return windowStart_ + window_.size(); }

  // Writes what is buffered, closes the file and puts it under the image's name.
  void Commit();

 private:
  void Append(const std::uint8_t* data, std::size_t count);
  void Flush();
  void WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t count);

  std::string fileName_;
  std::string tempName_;
  sys::File file_;
  std::vector<std::uint8_t> window_;  // the image's last bytes, not yet written
  std::uint64_t windowStart_ = 0;     // image offset of window_[0]
};

}  // namespace h2b
