// Where the image goes, its backup, and reading it back for a download.
#include <gtest/gtest.h>

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#endif

#include "h2b/convert_hex_file.h"
#include "h2b/file_errors.h"
#include "h2b/hex_image_source.h"
#include "h2b/image_file_stream.h"
#include "h2b/image_names.h"
#include "hex_files.h"

namespace h2b_test {
namespace {

TEST(ImageNames, ExtensionIsReplacedInTheFileNamePart) {
  EXPECT_EQ(h2b::ImageFileName("app.hex"), "app.BIN");
  EXPECT_EQ(h2b::ImageFileName("app.old.hex"), "app.old.BIN");
  EXPECT_EQ(h2b::ImageFileName("firmware"), "firmware.BIN");
  EXPECT_EQ(h2b::ImageFileName("/home/u/v1.2/firmware"), "firmware.BIN");
  EXPECT_EQ(h2b::ImageFileName("../src/boot.ihx"), "boot.BIN");
#ifdef _WIN32
  // Backslash and colon end a folder or a drive.
  EXPECT_EQ(h2b::ImageFileName("C:\\work\\app.hex"), "app.BIN");
  EXPECT_EQ(h2b::ImageFileName("C:app.hex"), "app.BIN");
#else
  // Backslash and colon are ordinary file-name characters here.
  EXPECT_EQ(h2b::ImageFileName("C:\\work\\app.hex"), "C:\\work\\app.BIN");
  EXPECT_EQ(h2b::ImageFileName("d/a:b.hex"), "a:b.BIN");
#endif
  EXPECT_EQ(h2b::BackupFileName("app.old.BIN"), "app.old.BAK");
}

// What the stream reads, from where it is to the end.
Bytes ReadToEnd(transfer::ImageStream& stream) {
  Bytes read;
  std::uint8_t block[128];
  while (const std::size_t got = stream.Read(block, sizeof block))
    read.insert(read.end(), block, block + got);
  return read;
}

class ImageFiles : public testing::Test {
 protected:
  TempDir dir_;
};

TEST_F(ImageFiles, ImageIsWrittenInTheCurrentFolder) {
  std::filesystem::create_directories("hex/v1.0");
  WriteFile("hex/v1.0/app.hex", DataRecord(0, {1, 2}));
  EXPECT_EQ(h2b::ConvertHexFile(dir_.Path() + "/hex/v1.0/app.hex"), "app.BIN");
  EXPECT_EQ(ReadFile("app.BIN"), Bytes({1, 2}));
  EXPECT_FALSE(Exists("hex/v1.0/app.BIN"));
}

TEST_F(ImageFiles, BackupIsMadeOnceAndNeverReplaced) {
  std::filesystem::create_directory("hex");
  for (std::uint8_t version = 1; version <= 3; ++version) {
    WriteFile("hex/app.hex", DataRecord(0, {version}));
    EXPECT_EQ(h2b::ConvertHexFile("hex/app.hex"), "app.BIN");
  }
  EXPECT_EQ(ReadFile("app.BIN"), Bytes({3}));
  EXPECT_EQ(ReadFile("app.BAK"), Bytes({1}));
}

TEST_F(ImageFiles, FolderNamedLikeTheImageIsNotMovedAside) {
  std::filesystem::create_directory("app.BIN");
  WriteFile("app.hex", DataRecord(0, {1}));
  EXPECT_THROW(h2b::ConvertHexFile("app.hex"), h2b::EFileError);
  EXPECT_FALSE(Exists("app.BAK"));
}

// Converting NAME.BIN in the current folder while NAME.BAK exists: the image replaces the
// HEX file, which must have been read completely first.
TEST_F(ImageFiles, HexFileThatIsItsOwnImageIsReadBeforeItIsReplaced) {
  WriteFile("app.BAK", "backup");
  std::string text;
  Bytes expected;
  // Longer than one read of the HEX file.
  for (std::uint32_t offset = 0; offset < 1u << 20; offset += 32) {
    const Bytes data(32, static_cast<std::uint8_t>(offset >> 12));
    if (offset % 0x10000 == 0) text += LinearRecord(static_cast<std::uint16_t>(offset >> 16));
    text += DataRecord(static_cast<std::uint16_t>(offset), data);
    Place(expected, offset, data);
  }
  WriteFile("app.BIN", text);
  EXPECT_EQ(h2b::ConvertHexFile("app.BIN"), "app.BIN");
  EXPECT_EQ(ReadFile("app.BIN"), expected);
  EXPECT_EQ(ReadFile("app.BAK").size(), 6u);
}

TEST_F(ImageFiles, SourceOpensTheFreshImageForReading) {
  Bytes expected;
  Place(expected, 0x100, Bytes(100, 0x42));
  WriteFile("app.hex", DataRecord(0x100, Bytes(100, 0x42)));
  h2b::HexImageSource source;
  const auto stream = source.OpenImage("app.hex");
  ASSERT_EQ(stream->Size(), expected.size());
  EXPECT_EQ(ReadToEnd(*stream), expected);
  std::uint8_t block[128];
  EXPECT_EQ(stream->Read(block, sizeof block), 0u);
}

// A second conversion in the folder (a second loader, h2b) while a download reads the image:
// the download goes on with the whole image it opened.
TEST_F(ImageFiles, AnOpenImageIsNotChangedByTheNextConversion) {
  const Bytes first(1000, 0x11);
  WriteFile("app.hex", HexOf(first));
  h2b::HexImageSource source;
  const auto stream = source.OpenImage("app.hex");
  WriteFile("app.hex", HexOf(Bytes(300, 0x22)));
  EXPECT_EQ(h2b::ConvertHexFile("app.hex"), "app.BIN");
  EXPECT_EQ(ReadToEnd(*stream), first);
  EXPECT_EQ(ReadFile("app.BIN"), Bytes(300, 0x22));
}

// Links planted at the image's or the backup's name (in a shared folder, by somebody else)
// are moved or replaced as themselves; nothing is written where they point.
TEST_F(ImageFiles, LinksAtTheImageNameAreNeverFollowed) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links need a privilege on Windows, and Wine does not make them";
#endif
  WriteFile("victim", "precious");
  WriteFile("app.hex", DataRecord(0, {1, 2, 3}));
  // Backup name taken: the link stays the image's name until the new image replaces it.
  WriteFile("app.BAK", "older");
  std::filesystem::create_symlink("victim", "app.BIN");
  EXPECT_EQ(h2b::ConvertHexFile("app.hex"), "app.BIN");
  EXPECT_FALSE(std::filesystem::is_symlink("app.BIN"));
  EXPECT_EQ(ReadFile("app.BIN"), Bytes({1, 2, 3}));
  EXPECT_EQ(ReadFile("victim").size(), 8u);

  // A dangling link is moved aside as a link; nothing appears where it points.
  std::filesystem::remove("app.BAK");
  std::filesystem::remove("app.BIN");
  std::filesystem::create_symlink("nowhere/planted", "app.BIN");
  EXPECT_EQ(h2b::ConvertHexFile("app.hex"), "app.BIN");
  EXPECT_TRUE(std::filesystem::is_symlink("app.BAK"));
  EXPECT_EQ(ReadFile("app.BIN"), Bytes({1, 2, 3}));
  EXPECT_FALSE(std::filesystem::exists("nowhere"));
}

TEST_F(ImageFiles, SourceFailsWithTheOpenMessage) {
  h2b::HexImageSource source;
  try {
    source.OpenImage("missing.hex");
    ADD_FAILURE() << "opened an image of a missing HEX file";
  } catch (const h2b::EFileError& error) {
#ifdef _WIN32
    EXPECT_EQ(error.what(), "Cannot open file \"\". " + sys::SystemErrorText(ERROR_PATH_NOT_FOUND));
#else
    EXPECT_STREQ(error.what(), "Cannot open file \"\". No such file or directory");
#endif
  }
  WriteFile("bad.hex", ":0100000G01\r\n");
  EXPECT_THROW(source.OpenImage("bad.hex"), h2b::EConvertError);
}

// Another program rewriting the image in place while a download reads it (a second conversion
// elsewhere, an editor, cp): the download fails rather than send a mix of two images. One that
// replaces it by a rename does not touch the file the download reads.
#ifdef _WIN32
// Another program holding NAME.BIN open (a viewer, a second loader): the message says the file
// is in use, not that access is denied.
TEST_F(ImageFiles, AnImageHeldByAnotherProgramIsReportedInUse) {
  WriteFile("app.hex", DataRecord(0, {1, 2, 3}));
  WriteFile("app.BIN", "held");
  WriteFile("app.BAK", "older");
  const HANDLE held = CreateFileW(L"app.BIN", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  try {
    h2b::ConvertHexFile("app.hex");
    ADD_FAILURE() << "replaced a file held open";
  } catch (const h2b::EFileError& error) {
    EXPECT_EQ(error.what(), "Cannot create file \"" + h2b::FullPath("app.BIN") + "\". " +
                                sys::SystemErrorText(ERROR_SHARING_VIOLATION));
  }
  CloseHandle(held);
  EXPECT_EQ(ReadFile("app.BIN").size(), 4u);
}
#endif

TEST_F(ImageFiles, TheStreamGivesOnlyTheBytesTheConversionWrote) {
  const Bytes image = RandomImage(3 << 20);
  WriteFile("app.hex", HexOf(image));
  h2b::HexImageSource source;
#ifdef _WIN32
  // Nobody else may open the image while it is read.
  const auto held = source.OpenImage("app.hex");
  EXPECT_FALSE(OverwriteAt("app.BIN", 5, {0x5A}));
  EXPECT_EQ(ReadToEnd(*held), image);
#else
  std::uint8_t block[128];
  const std::string changed = "Cannot read file \"" + h2b::FullPath("app.BIN") +
                              "\". The file was changed after it was converted";
  const auto rewritten = source.OpenImage("app.hex");
  ASSERT_EQ(rewritten->Read(block, sizeof block), sizeof block);
  ASSERT_TRUE(OverwriteAt("app.BIN", (2 << 20) + 5, {0x5A}));
  Bytes read(block, block + sizeof block);
  try {
    while (const std::size_t got = rewritten->Read(block, sizeof block))
      read.insert(read.end(), block, block + got);
    ADD_FAILURE() << "read an image changed in place to its end";
  } catch (const h2b::EFileError& error) {
    EXPECT_EQ(error.what(), changed);
    EXPECT_EQ(read.size(), 2u << 20) << "the unchanged chunks before the change";
    EXPECT_TRUE(std::equal(read.begin(), read.end(), image.begin()));
  }

  const auto cut = source.OpenImage("app.hex");
  std::filesystem::resize_file("app.BIN", 1000);
  EXPECT_THROW(ReadToEnd(*cut), h2b::EFileError) << "cut short after the conversion";

  const auto replaced = source.OpenImage("app.hex");
  WriteFile("other.BIN", "other");
  std::filesystem::rename("other.BIN", "app.BIN");
  EXPECT_EQ(ReadToEnd(*replaced), image);
#endif
}

}  // namespace
}  // namespace h2b_test
