#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace h2b {

// Writes the image file: bytes go to their own offsets, every offset below the end that
// no byte was put at holds 0xFF, and the file ends at the highest byte put. Writing is
// buffered; bytes below the buffered window are patched in place, so the fill is never
// held in memory. Failed writes throw EFileError "Cannot write file ...".
class ImageWriter {
 public:
  // Creates (or empties) the file; throws EFileError "Cannot create file ..." on failure.
  explicit ImageWriter(const std::string& fileName);
  ~ImageWriter();
  ImageWriter(const ImageWriter&) = delete;
  ImageWriter& operator=(const ImageWriter&) = delete;

  // Grows the image with 0xFF up to offset, when it is shorter.
  void PadTo(std::uint64_t offset);
  // Puts count bytes at offset, over whatever was there.
  void Put(std::uint64_t offset, const std::uint8_t* data, std::size_t count);
  std::uint64_t Length() const { return windowStart_ + window_.size(); }

  // Writes what is buffered and closes the file.
  void Close();

 private:
  void Append(const std::uint8_t* data, std::size_t count);
  void Flush();
  void WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t count);

  std::string fileName_;
  int fd_ = -1;
  std::vector<std::uint8_t> window_;  // the image's last bytes, not yet written
  std::uint64_t windowStart_ = 0;     // image offset of window_[0]
};

}  // namespace h2b
