// Conversions that fail: the message, and what is left on disk.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "h2b/convert_hex_file.h"
#include "hex_files.h"

namespace h2b_test {
namespace {

class ConvertFailures : public testing::Test {
 protected:
  // Converts app.hex holding text, expecting the conversion to fail with message.
  template <typename Error>
  void ExpectFailure(const std::string& text, const std::string& message) {
    WriteFile("app.hex", text);
    try {
      h2b::ConvertHexFile("app.hex");
      ADD_FAILURE() << "no failure for " << text;
    } catch (const Error& error) {
      EXPECT_EQ(error.what(), message) << text;
    }
  }

  void ExpectNotInteger(const std::string& text, const std::string& field) {
    ExpectFailure<h2b::EConvertError>(text, "'" + field + "' is not a valid integer value");
  }

  std::string Full(const std::string& name) const { return dir_.Path() + "/" + name; }

  TempDir dir_;
};

TEST_F(ConvertFailures, BadDigitIsQuotedWithDollar) {
  ExpectNotInteger(":0400100001020G04E2\r\n", "$0G");
  ExpectNotInteger(":04001000 1020304E2\r\n", "$ 1");
  ExpectNotInteger(":040010zz01020304E2\r\n", "$zz");
  ExpectNotInteger(":0400-00001020304E2\r\n", "$00-0");
  ExpectNotInteger(":0x00100001020304E2\r\n", "$0x");
  ExpectNotInteger(":020000040X00FA\r\n", "$0X00");
  ExpectNotInteger(":0200000210+0EC\r\n", "$10+0");
}

// The image keeps everything before the bad field: earlier lines, the fill up to the
// record's address and the data bytes before the bad one.
TEST_F(ConvertFailures, PartialImageStaysOnDisk) {
  ExpectNotInteger(DataRecord(0, {0xAA}) + ":0400100001020G04E2\r\n" + DataRecord(0x30, {1}),
                   "$0G");
  Bytes expected = {0xAA};
  Place(expected, 0x10, {1, 2});
  EXPECT_EQ(ReadFile("app.BIN"), expected);

  ExpectNotInteger(":G4001000\r\n", "$G4");
  EXPECT_EQ(ReadFile("app.BIN"), Bytes(16, 0xFF));

  ExpectNotInteger(":04G01000\r\n", "$G010");
  EXPECT_EQ(ReadFile("app.BIN"), Bytes());
}

TEST_F(ConvertFailures, LineEndingInsideAFieldIsRejected) {
  ExpectNotInteger(":\r\n", "$");
  ExpectNotInteger(":04001000", "$");
  ExpectNotInteger(":0400100\n", "$0");
  ExpectNotInteger(":04\n", "$");
  ExpectNotInteger(":02000004001\n", "$001");
  ExpectNotInteger(":020000020\n", "$0");
  ExpectNotInteger(":04001000010203\r\n", "$");
  ExpectNotInteger(":040010000102030\r\n", "$0");
  Bytes expected;
  Place(expected, 0x10, {1, 2, 3});
  EXPECT_EQ(ReadFile("app.BIN"), expected);
}

TEST_F(ConvertFailures, MissingHexFileLeavesEverythingUntouched) {
  WriteFile("app.BIN", "old image");
  WriteFile("app.BAK", "older image");
  EXPECT_EQ(h2b::ConvertHexFile("app.hex"), "");
  EXPECT_EQ(h2b::ConvertHexFile(""), "");
  std::filesystem::create_directory("folder.hex");
  EXPECT_EQ(h2b::ConvertHexFile("folder.hex"), "");
  EXPECT_EQ(h2b::ConvertHexFile("folder.hex/app.hex"), "");
  EXPECT_EQ(ReadFile("app.BIN"), Bytes({'o', 'l', 'd', ' ', 'i', 'm', 'a', 'g', 'e'}));
  EXPECT_EQ(ReadFile("app.BAK").size(), 11u);
  EXPECT_FALSE(Exists("folder.BIN"));
}

TEST_F(ConvertFailures, UnopenableHexFileMovesAndCreatesNothing) {
  std::filesystem::create_symlink("loop.hex", "loop.hex");
  WriteFile("loop.BIN", "old image");
  try {
    h2b::ConvertHexFile("./loop.hex");
    ADD_FAILURE() << "opened a symbolic link loop";
  } catch (const h2b::EFileError& error) {
    EXPECT_EQ(error.what(),
              "Cannot open file \"" + Full("loop.hex") + "\". Too many levels of symbolic links");
  }
  EXPECT_EQ(ReadFile("loop.BIN").size(), 9u);
  EXPECT_FALSE(Exists("loop.BAK"));
}

TEST_F(ConvertFailures, UncreatableImageNamesTheImage) {
  std::filesystem::create_directory("app.BIN");
  ExpectFailure<h2b::EFileError>(DataRecord(0, {1}),
                                 "Cannot create file \"" + Full("app.BIN") + "\". Is a directory");
  EXPECT_FALSE(Exists("app.BAK"));
}

TEST_F(ConvertFailures, FullDiskFailsTheConversion) {
  // With the backup name taken the image name stays the link, and writing goes to the device.
  WriteFile("app.BAK", "");
  std::filesystem::create_symlink("/dev/full", "app.BIN");
  ExpectFailure<h2b::EFileError>(
      DataRecord(0, {1, 2, 3}),
      "Cannot write file \"" + Full("app.BIN") + "\". No space left on device");
}

// The size limit is set in a child process so the test runner itself is not limited.
TEST_F(ConvertFailures, FileSizeLimitFailsTheConversion) {
  std::string text = LinearRecord(0x0001) + DataRecord(0, {1});
  WriteFile("app.hex", text);
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(pipeFds[0]);
    const rlimit limit = {4096, 4096};
    ::signal(SIGXFSZ, SIG_IGN);
    std::string outcome = "converted";
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) outcome = "setrlimit failed";
    try {
      h2b::ConvertHexFile("app.hex");
    } catch (const h2b::EFileError& error) {
      outcome = error.what();
    }
    const ssize_t written = ::write(pipeFds[1], outcome.data(), outcome.size());
    ::_exit(written == static_cast<ssize_t>(outcome.size()) ? 0 : 1);
  }
  ::close(pipeFds[1]);
  std::string outcome;
  char chunk[256];
  ssize_t got;
  while ((got = ::read(pipeFds[0], chunk, sizeof chunk)) > 0) outcome.append(chunk, got);
  ::close(pipeFds[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(outcome, "Cannot write file \"" + Full("app.BIN") + "\". File too large");
}

}  // namespace
}  // namespace h2b_test
