// The converter gives srecord's srec_cat image, byte for byte, on real and generated files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "h2b/convert_hex_file.h"
#include "hex_files.h"

namespace h2b_test {
namespace {

namespace fs = std::filesystem;

std::string Quoted(const std::string& path) {
  std::string quoted = "'";
  for (char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

class SrecCat : public testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v srec_cat >/dev/null 2>&1") != 0) GTEST_SKIP() << "no srec_cat";
  }

  // Converts hexPath both ways in the current folder and compares the images.
  void ExpectSameImage(const std::string& hexPath) {
    const std::string hex = Quoted(hexPath);
    const std::string command =
        "srec_cat -disable-sequence-warnings -contradictory-bytes=warning "
        "-redundant-bytes=ignore " +
        hex + " -Intel -fill 0xFF 0 -maximum-address " + hex +
        " -Intel -o reference.img -Binary 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::string image = h2b::ConvertHexFile(hexPath);
    ASSERT_FALSE(image.empty());
    const Bytes ours = ReadFile(image);
    const Bytes reference = ReadFile("reference.img");
    ASSERT_EQ(ours.size(), reference.size()) << hexPath;
    EXPECT_TRUE(ours == reference)
        << hexPath << ": first difference at offset "
        << std::mismatch(ours.begin(), ours.end(), reference.begin()).first - ours.begin();
  }

  TempDir dir_;
};

TEST_F(SrecCat, RealHexFilesGiveTheReferenceImage) {
  const fs::path samples = HEX_SAMPLES_DIR;
  if (!fs::is_directory(samples)) GTEST_SKIP() << "no " << samples;
  int converted = 0;
  for (const auto& entry : fs::recursive_directory_iterator(samples)) {
    const std::string extension = entry.path().extension().string();
    if (!entry.is_regular_file() || extension == ".md" || extension == ".txt") continue;
    ExpectSameImage(entry.path().string());
    ++converted;
  }
  EXPECT_GT(converted, 0);
}

// Random records, some overlapping, with correct checksums, no zero-length records, no record
// crossing a 64 KiB boundary and one end-of-file record at the very end: the input on which
// srec_cat and the converter are meant to agree.
std::string RandomHexFile(std::mt19937& random, bool shuffled, bool segments) {
  struct Record {
    std::uint32_t offset;
    Bytes data;
  };
  std::vector<Record> records;
  std::uint32_t offset = random() % 0x100;
  for (int i = 0; i < 400; ++i) {
    const std::size_t length = 1 + random() % 32;
    // Segment bases reach only the first MiB.
    if (random() % 40 == 0) offset += random() % (segments ? 0x8000 : 0x30000);
    // Now and then a record overlaps the one before; srec_cat lets the later one win too.
    if (random() % 10 == 0) offset -= std::min<std::uint32_t>(offset, random() % 48);
    if (offset % 0x10000 + length > 0x10000) offset = (offset | 0xFFFF) + 1;
    Bytes data(length);
    for (auto& byte : data) byte = static_cast<std::uint8_t>(random());
    records.push_back({offset, data});
    offset += length + (random() % 4 == 0 ? random() % 64 : 0);
  }
  if (shuffled) std::shuffle(records.begin(), records.end(), random);

  std::string text;
  for (const Record& record : records) {
    const std::uint32_t high = record.offset & 0xFFFF0000;
    // Either base form reaches the same 64 KiB window.
    text += segments ? SegmentRecord(static_cast<std::uint16_t>(high >> 4))
                     : LinearRecord(static_cast<std::uint16_t>(high >> 16));
    text += DataRecord(static_cast<std::uint16_t>(record.offset), record.data);
  }
  return text + EndRecord();
}

TEST_F(SrecCat, GeneratedHexFilesGiveTheReferenceImage) {
  std::mt19937 random(20240601);
  for (int round = 0; round < 6; ++round) {
    const bool shuffled = round % 2 == 1;
    const bool segments = round >= 4;
    WriteFile("random.hex", RandomHexFile(random, shuffled, segments));
    SCOPED_TRACE("round " + std::to_string(round));
    ExpectSameImage("random.hex");
  }
}

}  // namespace
}  // namespace h2b_test
