#include "h2b/image_file_stream.h"

#include "h2b/file_errors.h"

namespace h2b {

ImageFileStream::ImageFileStream(const std::string& fileName) : fileName_(fileName) {
  sys::Error error = 0;
  file_ = sys::File::OpenForReading(fileName, error);
  if (!file_.IsOpen()) throw FileError("Cannot open", fileName, error);
  // A folder opens for reading on Linux but is no image.
  sys::Kind kind = sys::Kind::Unknown;
  std::uint64_t size = 0;
  if (file_.Describe(kind, size, error) && kind == sys::Kind::Folder)
    throw FileError("Cannot open", fileName, sys::kIsFolder);
}

ImageFileStream::~ImageFileStream() = default;

std::uint64_t ImageFileStream::Size() const {
  sys::Error error = 0;
  sys::Kind kind = sys::Kind::Unknown;
  std::uint64_t size = 0;
  if (!file_.Describe(kind, size, error)) throw FileError("Cannot read", fileName_, error);
  return size;
}

std::size_t ImageFileStream::Read(std::uint8_t* buffer, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    sys::Error error = 0;
    const std::int64_t got = file_.Read(buffer + done, count - done, error);
    if (got < 0) throw FileError("Cannot read", fileName_, error);
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

}  // namespace h2b
