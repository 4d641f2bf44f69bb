#include "hex_files.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace h2b_test {

namespace {

std::string Record(std::uint8_t type, std::uint16_t address, const Bytes& data) {
  Bytes fields = {static_cast<std::uint8_t>(data.size()), static_cast<std::uint8_t>(address >> 8),
                  static_cast<std::uint8_t>(address), type};
  fields.insert(fields.end(), data.begin(), data.end());
  std::uint8_t sum = 0;
  for (std::uint8_t b : fields) sum += b;
  fields.push_back(static_cast<std::uint8_t>(-sum));
  std::string line = ":";
  char digits[3];
  for (std::uint8_t b : fields) {
    std::snprintf(digits, sizeof digits, "%02X", b);
    line += digits;
  }
  return line + "\r\n";
}

Bytes Word(std::uint16_t value) {
  return {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

}  // namespace

std::string DataRecord(std::uint16_t address, const Bytes& data) {
  return Record(0x00, address, data);
}
std::string SegmentRecord(std::uint16_t segment) {
  return Record(0x02, 0, Word(segment));
}
std::string LinearRecord(std::uint16_t upper) {
  return Record(0x04, 0, Word(upper));
}
std::string EndRecord() {
  return Record(0x01, 0, {});
}

Bytes RandomImage(std::size_t size) {
  std::mt19937 random(static_cast<unsigned>(size));
  Bytes image(size);
  for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
  return image;
}

std::string HexOf(const Bytes& image) {
  std::string text;
  for (std::size_t at = 0; at < image.size(); at += 32) {
    if (at % 0x10000 == 0 && at != 0) text += LinearRecord(static_cast<std::uint16_t>(at >> 16));
    const std::size_t end = std::min(image.size(), at + 32);
    text +=
        DataRecord(static_cast<std::uint16_t>(at), Bytes(image.begin() + at, image.begin() + end));
  }
  return text + EndRecord();
}

void Place(Bytes& image, std::uint64_t offset, const Bytes& data) {
  if (image.size() < offset + data.size()) image.resize(offset + data.size(), 0xFF);
  std::copy(data.begin(), data.end(), image.begin() + offset);
}

void WriteFile(const std::string& name, const std::string& text) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out.flush()) throw std::runtime_error("cannot write " + name);
}

bool OverwriteAt(const std::string& name, std::uint64_t offset, const Bytes& data) {
  std::fstream file(name, std::ios::binary | std::ios::in | std::ios::out);
  if (!file) return false;
  file.seekp(static_cast<std::streamoff>(offset));
  file.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  return static_cast<bool>(file.flush());
}

Bytes ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + name);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& name) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(name, error));
}

TempDir::TempDir() : previous_(std::filesystem::current_path().string()) {
  std::random_device random;
  std::filesystem::path folder;
  for (int attempt = 0;; ++attempt) {
    folder = std::filesystem::temp_directory_path() / ("h2b-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(folder)) break;
    if (attempt == 100) throw std::runtime_error("no temporary folder");
  }
  std::filesystem::current_path(folder);
  // The name the converter will see, with any symbolic links of the temp folder resolved.
  path_ = std::filesystem::current_path().string();
}

TempDir::~TempDir() {
  std::error_code error;
  std::filesystem::current_path(previous_, error);
  std::filesystem::remove_all(path_, error);
}

}  // namespace h2b_test
