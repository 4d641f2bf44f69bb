#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace h2b_test {

using Bytes = std::vector<std::uint8_t>;

// Records with correct checksums, each ending in CR LF.
std::string DataRecord(std::uint16_t address, const Bytes& data);
std::string SegmentRecord(std::uint16_t segment);
std::string LinearRecord(std::uint16_t upper);
std::string EndRecord();

// Random bytes, the same for the same size.
Bytes RandomImage(std::size_t size);
// Intel HEX for an image at address 0: data records of 32 bytes, a linear address record at
// every 64 KiB and the end record.
std::string HexOf(const Bytes& image);

// The expected image: data put at offset over 0xFF fill, growing the image as needed.
void Place(Bytes& image, std::uint64_t offset, const Bytes& data);

void WriteFile(const std::string& name, const std::string& text);
// Changes bytes of an existing file in place; false when it cannot be opened for that.
bool OverwriteAt(const std::string& name, std::uint64_t offset, const Bytes& data);
Bytes ReadFile(const std::string& name);
bool Exists(const std::string& name);

// A fresh folder made the current directory for the test's lifetime; the previous
// directory is restored and the folder removed afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string previous_;
  std::string path_;
};

}  // namespace h2b_test
