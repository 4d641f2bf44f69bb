#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "h2b/converted_image.h"
#include "h2b/image_digest.h"
#include "sys/pending_file.h"

namespace h2b {

// Where a HEX file's records go: the image file, or a scan that only measures it.
class ImageSink {
 public:
  virtual ~ImageSink() = default;
  // Grows the image with 0xFF up to offset, when it is shorter.
  virtual void PadTo(std::uint64_t offset) = 0;
  // Puts count bytes at offset, over whatever was there.
  virtual void Put(std::uint64_t offset, const std::uint8_t* data, std::size_t count) = 0;
};

// Writes the image file: bytes go to their own offsets, every offset below the end that
// no byte was put at holds 0xFF, and the file ends at the highest byte put. Writing is
// buffered; bytes below the buffered window are patched in place, so the fill is never
// held in memory. Failed writes throw EFileError "Cannot write file ..."; a request to stop
// (sys::InterruptRequested) throws EInterrupted.
//
// The image takes its name only once it is complete: a download still reading the old image
// keeps its own whole file, a link planted at the name is replaced rather than written through,
// and a failure, a crash or a kill never leaves half an image behind.
class ImageWriter : public ImageSink {
 public:
  // Creates the unnamed file; throws EFileError "Cannot create file ..." (naming the image)
  // on failure.
  explicit ImageWriter(const std::string& fileName);
  ImageWriter(const ImageWriter&) = delete;
  ImageWriter& operator=(const ImageWriter&) = delete;

  void PadTo(std::uint64_t offset) override;
  void Put(std::uint64_t offset, const std::uint8_t* data, std::size_t count) override;
  std::uint64_t Length() const { return windowStart_ + window_.size(); }
  // How many bytes were put, the fill not counted.
  std::uint64_t DataBytes() const { return dataBytes_; }

  // Writes what is buffered and gives the file the image's name, replacing what held it. The
  // file stays open for reading, with the digest of what was written.
  ConvertedImage Commit();

 private:
  static constexpr std::size_t kWindow = ImageDigest::kChunk;

  void Append(const std::uint8_t* data, std::size_t count);
  void Flush();
  void WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t count);
  void DigestPatchedChunks();

  std::string fileName_;
  sys::PendingFile file_;
  std::vector<std::uint8_t> window_;  // the image's last bytes, not yet written
  std::uint64_t windowStart_ = 0;     // image offset of window_[0]; a multiple of kWindow
  std::uint64_t dataBytes_ = 0;
  ImageDigest digest_;
  std::vector<std::size_t> patched_;  // written chunks changed after their digest was taken
};

}  // namespace h2b
