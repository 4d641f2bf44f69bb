// File names and contents as every platform must keep them: UTF-8 names in any alphabet, and
// every byte value exactly (a text-mode file layer turns LF into CR LF and stops at 0x1A).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "h2b/convert_hex_file.h"
#include "h2b/file_errors.h"
#include "h2b/hex_image_source.h"
#include "hex_files.h"
#include "sys/native_file.h"

namespace h2b_test {
namespace {

// std::filesystem takes char names in the system's code page on Windows; u8 paths are UTF-8
// everywhere, as the converter takes them.
std::filesystem::path Utf8(const std::string& name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

TEST(FileNames, CyrillicNamesConvertAndEveryByteValueSurvives) {
  TempDir dir;
  Bytes image;
  for (int value = 0; value < 256; ++value) image.push_back(static_cast<std::uint8_t>(value));
  image.insert(image.end(), {0x0A, 0x0D, 0x0A, 0x1A, 0x0D, 0x0D});
  std::filesystem::create_directory(Utf8("прошивки"));
  const std::string hex = "прошивки/загрузка.hex";
  {
    std::ofstream out(Utf8(hex), std::ios::binary);
    out << HexOf(image);
  }
  EXPECT_EQ(h2b::ConvertHexFile(hex), "загрузка.BIN");
  {
    std::ifstream in(Utf8("загрузка.BIN"), std::ios::binary);
    EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), image);
  }

  // Converted again, the first image becomes the backup, under its Cyrillic name.
  EXPECT_EQ(h2b::ConvertHexFile(hex), "загрузка.BIN");
  EXPECT_TRUE(std::filesystem::exists(Utf8("загрузка.BAK")));

  // Read back for a download: the same bytes.
  h2b::HexImageSource source;
  const auto stream = source.OpenImage(hex);
  Bytes read(image.size() + 10);
  read.resize(stream->Read(read.data(), read.size()));
  EXPECT_EQ(read, image);
}

TEST(FileNames, FailuresNameTheFullPathAndTheSystemsText) {
  TempDir dir;
  const std::string full = h2b::FullPath("нет.hex");
  EXPECT_TRUE(std::filesystem::path(Utf8(full)).is_absolute()) << full;
  EXPECT_EQ(Utf8(full), std::filesystem::current_path() / Utf8("нет.hex"));
  const std::string text = sys::SystemErrorText(sys::kNotFound);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), '.');
  EXPECT_NE(text.back(), '\n');
  try {
    h2b::RequireHexFile("нет.hex");
    ADD_FAILURE() << "a missing file passed";
  } catch (const h2b::EFileError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot open file \"" + full + "\". " + text);
  }
  std::filesystem::create_directory(Utf8("папка.hex"));
  EXPECT_THROW(h2b::RequireHexFile("папка.hex"), h2b::EFileError);
  EXPECT_EQ(h2b::ConvertHexFile("папка.hex"), "") << "a folder is no file to convert";
}

}  // namespace
}  // namespace h2b_test
