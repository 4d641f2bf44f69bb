// What the image holds for a given HEX text.
#include <gtest/gtest.h>

#include <filesystem>

#include "h2b/convert_hex_file.h"
#include "h2b/file_errors.h"
#include "hex_files.h"

namespace h2b_test {
namespace {

class ConvertRecords : public testing::Test {
 protected:
  Bytes Convert(const std::string& hexText) {
    WriteFile("app.hex", hexText);
    EXPECT_EQ(h2b::ConvertHexFile("app.hex"), "app.BIN");
    return ReadFile("app.BIN");
  }

  static Bytes Fill(std::size_t count) { return Bytes(count, 0xFF); }

  TempDir dir_;
};

Bytes TwentyByteImage() {
  Bytes image;
  Place(image, 16, {1, 2, 3, 4});
  return image;
}

TEST_F(ConvertRecords, DataRecordLandsAtItsAddressAfterFill) {
  EXPECT_EQ(Convert(":0400100001020304E2\r\n"), TwentyByteImage());
}

TEST_F(ConvertRecords, ChecksumIsNotVerified) {
  EXPECT_EQ(Convert(":0400100001020304FF\r\n"), TwentyByteImage());
  // Anything after the data bytes, the checksum included, is never read.
  EXPECT_EQ(Convert(":0400100001020304\r\n"), TwentyByteImage());
  EXPECT_EQ(Convert(":0400100001020304E2 trailing junk\r\n"), TwentyByteImage());
}

TEST_F(ConvertRecords, LowerCaseDigitsReadLikeUpperCase) {
  Bytes expected;
  Place(expected, 0x10, {0x0A, 0xBC, 0xDE, 0xF0});
  Place(expected, 0xA0B0 + 0xC0, {0xAB});
  EXPECT_EQ(Convert(":040010000abcdef0e2\n:020000020a0bff\n:0100c000ab\n"), expected);
  EXPECT_EQ(Convert(":040010000ABCDEF0E2\n:020000020A0BFF\n:0100C000AB\n"), expected);
}

TEST_F(ConvertRecords, SegmentAndLinearBasesGiveTheSameOffset) {
  Bytes expected = Fill(65536);
  expected.push_back(0x5A);
  EXPECT_EQ(Convert(LinearRecord(0x0001) + DataRecord(0, {0x5A})), expected);
  EXPECT_EQ(Convert(SegmentRecord(0x1000) + DataRecord(0, {0x5A})), expected);
}

TEST_F(ConvertRecords, LatestBaseRecordWins) {
  Bytes expected;
  Place(expected, 0x10 + 0x20, {1});
  Place(expected, 0x10 + 0x40000, {2});
  Place(expected, 0x10 + 0x30, {3});
  EXPECT_EQ(Convert(SegmentRecord(0x0002) + DataRecord(0x10, {1}) + LinearRecord(0x0004) +
                    DataRecord(0x10, {2}) + SegmentRecord(0x0003) + DataRecord(0x10, {3})),
            expected);
}

TEST_F(ConvertRecords, SegmentRecordDoesNotWrapAt64KiB) {
  Bytes expected;
  Place(expected, 0x1FFFE, {1, 2, 3, 4});
  EXPECT_EQ(Convert(SegmentRecord(0x1000) + DataRecord(0xFFFE, {1, 2, 3, 4})), expected);
}

TEST_F(ConvertRecords, RecordsAfterEndOfFileRecordStillCount) {
  Bytes expected;
  Place(expected, 0, {1, 2});
  Place(expected, 8, {3});
  EXPECT_EQ(Convert(DataRecord(0, {1, 2}) + EndRecord() + DataRecord(8, {3}) + EndRecord()),
            expected);
}

TEST_F(ConvertRecords, ZeroLengthRecordPadsUpToItsAddress) {
  Bytes expected = Fill(32);
  expected[0] = 7;
  EXPECT_EQ(Convert(DataRecord(0, {7}) + DataRecord(0x20, {})), expected);
  // A zero-length record below the end changes nothing.
  EXPECT_EQ(Convert(DataRecord(0, {7}) + DataRecord(0x20, {}) + DataRecord(4, {})), expected);
}

// Nothing to send: an empty file, records without data, a text or binary file picked by mistake.
// Refused before any name is touched, so the image and its backup stay as they were.
TEST_F(ConvertRecords, FilesWithoutADataByteAreRefused) {
  WriteFile("app.BIN", "image");
  WriteFile("app.BAK", "backup");
  for (const std::string& text :
       {std::string(), EndRecord() + ":0400000300001000E9\r\n:04000005000000CD2A\r\n",
        std::string(":0400000600001000E9\r\n:04000FFF00001000E9\r\n"),
        DataRecord(0x20, {}) + LinearRecord(1), std::string("Hello\nworld\n"),
        std::string("\x7F"
                    "ELF\x02\x01:\x00:0100000001FE")}) {
    WriteFile("app.hex", text);
    try {
      h2b::ConvertHexFile("app.hex");
      ADD_FAILURE() << "converted " << text;
    } catch (const h2b::EFileError& error) {
      EXPECT_EQ(error.what(), "Cannot convert file \"" + h2b::FullPath("app.hex") +
                                  "\". The file contains no data");
    }
  }
  EXPECT_EQ(ReadFile("app.BIN"), Bytes({'i', 'm', 'a', 'g', 'e'}));
  EXPECT_EQ(ReadFile("app.BAK").size(), 6u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 3);
}

TEST_F(ConvertRecords, LinesNotStartingWithColonAreSkipped) {
  const std::string record = DataRecord(0x10, {1, 2, 3, 4});
  const std::string noise =
      "\r\n\n"
      "garbage :zz\r\n"
      " " +
      record + "\xEF\xBB\xBF" + record + "\t" + record;
  EXPECT_EQ(Convert(noise + record), TwentyByteImage());
}

TEST_F(ConvertRecords, LinesBreakAtCrLfAndCrLf) {
  const Bytes expected = {1, 2, 3};
  EXPECT_EQ(Convert(":0100000001FE\r:0100010002FC\n:0100020003FA"), expected);
  EXPECT_EQ(Convert(":0100000001FE\n\r:0100010002FC\r\n\r\n:0100020003FA\r\n"), expected);
  // Only the data digits need to be there; a checksum may be cut or missing.
  EXPECT_EQ(Convert(":01000000010\r\n:0100010002\r:0100020003\n"), expected);
}

TEST_F(ConvertRecords, NulEndsTheText) {
  const std::string text =
      DataRecord(0, {1}) + ":01000100" + std::string(1, '\0') + "02FC\r\n" + DataRecord(2, {3});
  // The record cut at the NUL lacks its data byte: the text really stops there.
  EXPECT_THROW(Convert(text), h2b::EConvertError);
  EXPECT_EQ(Convert(DataRecord(0, {1}) + std::string(1, '\0') + DataRecord(1, {2})), Bytes{1});
}

TEST_F(ConvertRecords, OutOfOrderRecordsGoToTheirOwnOffsets) {
  Bytes expected;
  Place(expected, 0x100, {1, 2, 3, 4});
  Place(expected, 0x10, {5, 6});
  Place(expected, 0x200, {7});
  Place(expected, 0x0, {8});
  EXPECT_EQ(Convert(DataRecord(0x100, {1, 2, 3, 4}) + DataRecord(0x10, {5, 6}) +
                    DataRecord(0x200, {7}) + DataRecord(0x0, {8})),
            expected);
}

TEST_F(ConvertRecords, LaterRecordWinsWhereTwoOverlap) {
  Bytes expected;
  Place(expected, 0x10, {1, 2, 3, 4});
  Place(expected, 0x12, {9, 9, 9, 9});
  Place(expected, 0x0E, {7, 7, 7});
  EXPECT_EQ(Convert(DataRecord(0x10, {1, 2, 3, 4}) + DataRecord(0x12, {9, 9, 9, 9}) +
                    DataRecord(0x0E, {7, 7, 7})),
            expected);
}

// Records far apart and back again cross the writer's buffered window, so bytes are
// patched both inside it and in the part already written.
TEST_F(ConvertRecords, OutOfOrderRecordsAcrossMegabytes) {
  Bytes expected;
  std::string text;
  const std::uint16_t uppers[] = {0x0020, 0x0000, 0x0031, 0x0010, 0x0031, 0x0000};
  const std::uint16_t addresses[] = {0x0000, 0x0010, 0xFFF0, 0x8000, 0xFFEE, 0x0012};
  for (int i = 0; i < 6; ++i) {
    const Bytes data(16, static_cast<std::uint8_t>(0x10 + i));
    text += LinearRecord(uppers[i]) + DataRecord(addresses[i], data);
    Place(expected, std::uint64_t{uppers[i]} << 16 | addresses[i], data);
  }
  EXPECT_EQ(Convert(text), expected);
}

// A record wholly below the part already written goes there alone: once computed through a
// pointer far below the writer's buffer (undefined, though nothing was copied through it).
TEST_F(ConvertRecords, RecordWhollyBelowTheWrittenPartIsPatchedThere) {
  Bytes expected;
  Place(expected, 3 << 20, {9});
  Place(expected, 5, {1, 2});
  EXPECT_EQ(
      Convert(LinearRecord(0x0030) + DataRecord(0, {9}) + LinearRecord(0) + DataRecord(5, {1, 2})),
      expected);
}

TEST_F(ConvertRecords, LongRecordsAndLongFiles) {
  Bytes expected;
  std::string text;
  for (int i = 0; i < 5000; ++i) {
    Bytes data(255);
    for (std::size_t k = 0; k < data.size(); ++k) data[k] = static_cast<std::uint8_t>(i + k);
    const std::uint32_t offset = i * 255u;
    text += LinearRecord(static_cast<std::uint16_t>(offset >> 16)) +
            DataRecord(static_cast<std::uint16_t>(offset), data);
    Place(expected, offset, data);
  }
  EXPECT_EQ(Convert(text), expected);
}

}  // namespace
}  // namespace h2b_test
