// Conversions that fail: the message, and what is left on disk.
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

#include "h2b/convert_hex_file.h"
#include "h2b/file_errors.h"
#include "hex_files.h"
#include "sys/interrupt.h"

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

  // What the current folder holds, sorted.
  static std::vector<std::string> FolderNames() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("."))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

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

// A failed conversion leaves no half image and no temporary file, and moves nothing aside:
// the previous image keeps its name.
TEST_F(ConvertFailures, NoHalfImageIsLeftBehind) {
  WriteFile("app.BIN", "previous");
  ExpectNotInteger(DataRecord(0, {0xAA}) + ":0400100001020G04E2\r\n" + DataRecord(0x30, {1}),
                   "$0G");
  EXPECT_EQ(ReadFile("app.BIN").size(), 8u);
  EXPECT_EQ(FolderNames(), (std::vector<std::string>{"app.BIN", "app.hex"}));
}

// Killed mid-way (SIGKILL, a power cut): the image being written has no name, so nothing is
// left. Leftovers of older programs or other file systems, hidden files of processes that no
// longer run, go with the next conversion; a running process's stays.
TEST_F(ConvertFailures, AKilledConversionLeavesNothingBehind) {
  WriteFile("app.hex", HexOf(RandomImage(1 << 20)));
  const pid_t child = ::fork();
  if (child == 0) {
    ::raise(SIGSTOP);
    h2b::ConvertHexFile("app.hex");
    ::_exit(0);
  }
  ASSERT_GT(child, 0);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, WUNTRACED), child);
  ::kill(child, SIGCONT);
  ::kill(child, SIGKILL);
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(FolderNames() == std::vector<std::string>{"app.hex"} ||
              FolderNames() == (std::vector<std::string>{"app.BIN", "app.hex"}));

  // A process number that runs no process: the child just reaped.
  const std::string stale = ".app.BIN." + std::to_string(child) + "-0.tmp";
  const std::string live = ".app.BIN." + std::to_string(::getppid()) + "-3.tmp";
  WriteFile(stale, "stale");
  WriteFile(live, "live");
  WriteFile(".app.BIN.x-0.tmp", "not ours");
  h2b::ConvertHexFile("app.hex");
  EXPECT_FALSE(Exists(stale));
  EXPECT_TRUE(Exists(live));
  EXPECT_TRUE(Exists(".app.BIN.x-0.tmp"));
}

// SIGINT, SIGTERM and SIGHUP while converting: the conversion stops within a megabyte of
// input or of image, and leaves no file and no name changed.
TEST_F(ConvertFailures, AnInterruptStopsTheConversionAtOnce) {
  WriteFile("app.BIN", "previous");
  for (const std::string& text :
       {HexOf(RandomImage(3 << 20)), LinearRecord(0x4000) + DataRecord(0, {1})}) {
    WriteFile("app.hex", text);
    sys::RequestInterrupt();
    EXPECT_THROW(h2b::ConvertHexFile("app.hex"), sys::EInterrupted);
    sys::ClearInterruptRequest();
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"app.BIN", "app.hex"}));
  }
}

// Memory stays bounded whatever the file holds: a record followed by megabytes without a line
// break converts as the record alone.
TEST_F(ConvertFailures, AnEndlessLineIsReadOnlyAsFarAsARecordReaches) {
  WriteFile("app.hex", ":0100000001FE" + std::string(5 << 20, '0') + "\n" +
                           std::string(3 << 20, 'x') + "\n" + DataRecord(1, {2}));
  EXPECT_EQ(h2b::ConvertHexFile("app.hex"), "app.BIN");
  EXPECT_EQ(ReadFile("app.BIN"), Bytes({1, 2}));
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

// Runs f in a child process and returns what it wrote to the pipe it is given.
template <typename F>
std::string InChild(F f) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return "pipe failed";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeFds[0]);
    const std::string outcome = f();
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
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) outcome += " (child failed)";
  return outcome;
}

std::string ConversionOutcome(const std::string& hexFile) {
  try {
    h2b::ConvertHexFile(hexFile);
  } catch (const h2b::EFileError& error) {
    return error.what();
  }
  return "converted";
}

// A real full disk: a 1 MiB tmpfs in a mount namespace of a child process's own. A linear
// address of 0xFFFF asks for a 4 GiB image; the failure must give all the space back.
TEST_F(ConvertFailures, FullDiskFailsTheConversionAndGivesTheSpaceBack) {
  WriteFile("app.hex", LinearRecord(0xFFFF) + DataRecord(0, {1}));
  const std::string outcome = InChild([&]() -> std::string {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", "/mnt", "tmpfs", 0, "size=1m") != 0)
      return "no mount namespace";
    std::filesystem::copy_file(dir_.Path() + "/app.hex", "/mnt/app.hex");
    if (::chdir("/mnt") != 0) return "chdir failed";
    std::string result = ConversionOutcome("app.hex");
    struct statvfs disk;
    ::statvfs("/mnt", &disk);
    const auto used = (disk.f_blocks - disk.f_bfree) * disk.f_frsize;
    result +=
        used <= 64 * 1024 ? " | space back" : " | " + std::to_string(used) + " bytes still used";
    for (const auto& entry : std::filesystem::directory_iterator("/mnt"))
      result += " | " + entry.path().filename().string();
    return result;
  });
  if (outcome == "no mount namespace") GTEST_SKIP() << "needs a mount namespace (root)";
  EXPECT_EQ(outcome,
            "Cannot write file \"/mnt/app.BIN\". No space left on device | space back | app.hex");
}

// The size limit is set in a child process so the test runner itself is not limited.
TEST_F(ConvertFailures, FileSizeLimitFailsTheConversion) {
  WriteFile("app.hex", LinearRecord(0x0001) + DataRecord(0, {1}));
  const std::string outcome = InChild([] {
    const rlimit limit = {4096, 4096};
    ::signal(SIGXFSZ, SIG_IGN);
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return std::string("setrlimit failed");
    return ConversionOutcome("app.hex");
  });
  EXPECT_EQ(outcome, "Cannot write file \"" + Full("app.BIN") + "\". File too large");
  EXPECT_EQ(FolderNames(), (std::vector<std::string>{"app.hex"}));
}

// Only a regular file is converted: a FIFO or a device would block the window or never end,
// and is refused at once without touching the image.
TEST_F(ConvertFailures, OnlyARegularFileIsConverted) {
  WriteFile("app.BIN", "previous");
  ASSERT_EQ(::mkfifo("fifo.hex", 0600), 0);
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, "socket.hex");
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  for (const std::string name : {"fifo.hex", "socket.hex", "/dev/zero"}) {
    SCOPED_TRACE(name);
    try {
      h2b::ConvertHexFile(name);
      ADD_FAILURE() << "converted";
    } catch (const h2b::EFileError& error) {
      EXPECT_EQ(error.what(),
                "Cannot open file \"" + h2b::FullPath(name) + "\". Not a regular file");
    }
  }
  ::close(listener);
  // Opens, but cannot be read: the open-failure text, and the image stays where it was.
  WriteFile("mem.BIN", "previous");
  EXPECT_EQ(ConversionOutcome("/proc/self/mem"),
            "Cannot open file \"/proc/self/mem\". Input/output error");
  EXPECT_EQ(ReadFile("mem.BIN").size(), 8u);
  EXPECT_FALSE(Exists("mem.BAK"));
  EXPECT_EQ(ReadFile("app.BIN").size(), 8u);
}

}  // namespace
}  // namespace h2b_test
