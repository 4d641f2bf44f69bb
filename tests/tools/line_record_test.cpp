// The production line's record, with targets that behave like real ones: a board begins at its
// hello, every board gets exactly one record, and nothing that did not happen is reported.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "child_process.h"
#include "hex_files.h"
#include "line_record.h"
#include "sys/sha256.h"
#include "tool_paths.h"

namespace tools_test {
namespace {

using h2b_test::Bytes;
using h2b_test::HexOf;
using h2b_test::RandomImage;
using ::testing::HasSubstr;

std::string Text(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// Whether the child's standard output or error has shown text by the bound.
bool WaitForOut(ChildProcess& child, const std::string& text) {
  const Clock::time_point deadline = Clock::now() + kChildBound;
  while (child.Out().find(text) == std::string::npos) {
    if (Clock::now() >= deadline || child.Wait(std::chrono::milliseconds(5)))
      return child.Out().find(text) != std::string::npos;
  }
  return true;
}

std::size_t Lines(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

class LineRecord : public ::testing::Test {
 protected:
  // A target behind a link, as a by-id name is: the adapter can go and come back.
  std::unique_ptr<ChildProcess> Target(const std::vector<std::string>& options) {
    std::vector<std::string> argv = {kLoaderSim, "--no-pace"};
    argv.insert(argv.end(), options.begin(), options.end());
    auto sim = std::make_unique<ChildProcess>(argv, dir_.Path());
    const std::optional<std::string> path = sim->ReadLine(kChildBound);
    std::filesystem::remove(link_);
    std::filesystem::create_symlink(path.value_or("/nowhere"), link_);
    return sim;
  }

  h2b_test::TempDir dir_;
  const std::string link_ = dir_.Path() + "/line";
};

// New firmware that talks at once after the end command, and a line that only makes noise:
// neither is a board.
TEST_F(LineRecord, OnlyAHelloBeginsABoard) {
  h2b_test::WriteFile("app.hex", HexOf(RandomImage(1000)));
  const auto talker = Target({"--after-end", "48 65 6C 6C 6F 55 0D 0A"});
  ChildProcess flash({kLoaderFlash, "-p", link_, "--repeat", "-v", "app.hex"}, dir_.Path());
  ASSERT_TRUE(WaitForOut(flash, " board 1 passed ")) << flash.Err();
  // Once the talking target has gone, its line's loss is a detail, not a board.
  ASSERT_TRUE(flash.WaitForErr("waiting for the adapter", kChildBound)) << flash.Err();
  // A line of noise, "U" with company among it.
  const auto noise =
      Target({"--silent-after", "0", "--noise", "48 55 0D 0A", "--noise-every", "5"});
  ASSERT_TRUE(flash.WaitForErr("the adapter is back", kChildBound)) << flash.Err();
  ASSERT_TRUE(flash.WaitForErr("bytes between boards dropped", kChildBound)) << flash.Err();
  flash.Signal(SIGINT);
  EXPECT_EQ(flash.Wait(kChildBound), 0) << flash.Out() << flash.Err();
  EXPECT_THAT(flash.Out(), ::testing::EndsWith("boards passed 1, failed 0\n"));
  EXPECT_THAT(flash.Out(), ::testing::Not(HasSubstr("board 2")));
}

// An adapter that goes away between boards and comes back (under its stable name, behind
// another pseudo-terminal) is opened again; board numbers go on across runs of one record.
TEST_F(LineRecord, AStationOutlivesItsAdapterAndTheRecordGoesOnAcrossRuns) {
  const Bytes image = RandomImage(1500);
  h2b_test::WriteFile("app.hex", HexOf(image));
  for (int run = 0; run < 2; ++run) {
    auto first = Target({"--out", "one.bin", "--length", "1500"});
    ChildProcess flash(
        {kLoaderFlash, "-p", link_, "--repeat", "--log", "line.csv", "-v", "app.hex"}, dir_.Path());
    ASSERT_TRUE(WaitForOut(flash, " passed ")) << flash.Err();
    std::filesystem::remove(link_);
    first.reset();  // the adapter is unplugged
    ASSERT_TRUE(flash.WaitForErr("waiting for the adapter", kChildBound)) << flash.Err();
    const auto second = Target({"--out", "two.bin", "--length", "1500"});
    ASSERT_TRUE(WaitForOut(flash, "(passed 2, failed 0)")) << flash.Out() << flash.Err();
    flash.Signal(SIGINT);
    EXPECT_EQ(flash.Wait(kChildBound), 0) << flash.Out() << flash.Err();
    EXPECT_EQ(h2b_test::ReadFile("two.bin"), image);
  }
  const std::string record = Text(h2b_test::ReadFile("line.csv"));
  EXPECT_THAT(record, ::testing::StartsWith(flash::CsvHeader()));
  EXPECT_EQ(Lines(record), 5u) << record;
  for (int board = 1; board <= 4; ++board)
    EXPECT_THAT(record, HasSubstr("," + std::to_string(board) + ",app.hex,1500,")) << record;
  // The image's SHA-256 beside its size.
  EXPECT_THAT(record, HasSubstr(",1500,"));
  EXPECT_THAT(record, ::testing::ContainsRegex(",1500,[0-9a-f]{64},passed,"));
}

// A signal mid-board: the board is recorded as interrupted and the status is the signal's,
// for a production line of sixteen ports too, which all close at once.
TEST_F(LineRecord, ASignalMidBoardIsRecordedAndNeverASuccess) {
  h2b_test::WriteFile("app.hex", HexOf(RandomImage(3000)));
  ChildProcess sims({kLoaderSim, "--no-pace", "--targets", "16", "--silent-after", "4"},
                    dir_.Path());
  std::vector<std::string> argv = {kLoaderFlash, "--repeat", "--log", "line.csv"};
  std::vector<std::string> ports;
  for (int i = 0; i < 16; ++i) {
    ports.push_back(sims.ReadLine(kChildBound).value_or("/nowhere"));
    argv.insert(argv.end(), {"-p", ports.back()});
  }
  argv.push_back("app.hex");
  ChildProcess flash(argv, dir_.Path());
  for (const std::string& port : ports)
    ASSERT_TRUE(flash.WaitForErr(port + " 0% downloading", kChildBound)) << flash.Err();
  flash.Signal(SIGTERM);
  EXPECT_EQ(flash.Wait(std::chrono::seconds(1)), 143) << "every port closes at once";
  EXPECT_THAT(flash.Out(), ::testing::EndsWith("boards passed 0, failed 0, interrupted 16\n"));
  const std::string record = Text(h2b_test::ReadFile("line.csv"));
  EXPECT_EQ(Lines(record), 17u) << record;
  std::size_t interrupted = 0;
  for (std::size_t at = record.find(",interrupted,"); at != std::string::npos;
       at = record.find(",interrupted,", at + 1))
    ++interrupted;
  EXPECT_EQ(interrupted, 16u) << record;
}

// A silent board fails alone when --timeout says; a record that cannot be written stops the
// line at once with status 1; two names of one port are one port.
TEST_F(LineRecord, SilentBoardsUnwritableRecordsAndOnePortTwice) {
  h2b_test::WriteFile("app.hex", HexOf(RandomImage(2000)));
  {
    ChildProcess sims({kLoaderSim, "--no-pace", "--targets", "2", "--silent-after", "3"},
                      dir_.Path());
    const std::string silent = sims.ReadLine(kChildBound).value_or("/nowhere");
    ChildProcess good({kLoaderSim, "--no-pace"}, dir_.Path());
    const std::string answering = good.ReadLine(kChildBound).value_or("/nowhere");
    ChildProcess flash(
        {kLoaderFlash, "-p", silent, "-p", answering, "-t", "0.5", "--json", "app.hex"},
        dir_.Path());
    EXPECT_EQ(flash.Wait(kChildBound), 1) << flash.Err();
    EXPECT_THAT(flash.Out(), HasSubstr("\"result\":\"timed-out\",\"seconds\":"));
    EXPECT_THAT(flash.Out(), HasSubstr("\"message\":\"Нет ответа от устройства за 0.5 с\""));
    EXPECT_THAT(flash.Out(),
                HasSubstr("\"port\":" + flash::JsonString(answering) + ",\"identity\":"));
    EXPECT_THAT(flash.Out(), HasSubstr("\"result\":\"passed\""));
    // Standard output is JSON alone: one object a board and the summary.
    std::ofstream(dir_.Path() + "/out.json") << flash.Out();
    EXPECT_EQ(std::system(("python3 -c 'import json,sys; [json.loads(l) for l in sys.stdin]' < " +
                           dir_.Path() + "/out.json")
                              .c_str()),
              0)
        << flash.Out();
    EXPECT_EQ(Lines(flash.Out()), 3u);
  }
  {
    // No file may grow past 1 KiB: the image fits, the first board's line does not.
    h2b_test::WriteFile("small.hex", HexOf(RandomImage(500)));
    std::ofstream(dir_.Path() + "/line.csv") << flash::CsvHeader() << std::string(900, '#') << "\n";
    const auto target = Target({});
    ChildProcess flash({"/bin/bash", "-c", "trap '' XFSZ; ulimit -f 1; exec \"$0\" \"$@\"",
                        kLoaderFlash, "-p", link_, "--repeat", "--log", "line.csv", "small.hex"},
                       dir_.Path());
    EXPECT_EQ(flash.Wait(kChildBound), 1) << flash.Out() << flash.Err();
    EXPECT_THAT(flash.Err(), HasSubstr("Cannot write file \"" + dir_.Path() + "/line.csv\". "));
    EXPECT_THAT(flash.Err(), HasSubstr("the record cannot be written: the line stops"));
  }
  ChildProcess target({kLoaderSim, "--no-pace"}, dir_.Path());
  const std::string path = target.ReadLine(kChildBound).value_or("/nowhere");
  ChildProcess twice({kLoaderFlash, "-p", path, "-p", path.substr(5), "app.hex"}, dir_.Path());
  EXPECT_EQ(twice.Wait(kChildBound), 2);
  EXPECT_THAT(twice.Err(), HasSubstr("the same port twice: " + path + " and " + path.substr(5)));
}

}  // namespace
}  // namespace tools_test

namespace tools_test {
namespace {

TEST(RecordFields, QuotedFingerprintedAndDatedAsTheStandardsSay) {
  sys::Sha256 empty;
  EXPECT_EQ(empty.HexDigest(), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  sys::Sha256 abc;
  abc.Add(reinterpret_cast<const std::uint8_t*>("ab"), 2);
  abc.Add(reinterpret_cast<const std::uint8_t*>("c"), 1);
  EXPECT_EQ(abc.HexDigest(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // Fifty-six bytes: the padding takes a block of its own.
  const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  sys::Sha256 two;
  two.Add(reinterpret_cast<const std::uint8_t*>(twoBlocks.data()), twoBlocks.size());
  EXPECT_EQ(two.HexDigest(), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");

  flash::BoardRecord record;
  record.time = "2026-12-09T05:46:27+01:00";
  record.host = "bench, 3";
  record.port = "/dev/tty\"x\"";
  record.board = 7;
  record.hexFile = "fw.hex";
  record.imageSize = 300;
  record.imageSha256 = std::string(64, 'a');
  record.result = "failed";
  record.seconds = 1.25;
  record.message = "Ошибка ответа\nline two";
  EXPECT_EQ(flash::CsvLine(record),
            "2026-12-09T05:46:27+01:00,\"bench, 3\",\"/dev/tty\"\"x\"\"\",,7,fw.hex,300," +
                std::string(64, 'a') + ",failed,1.2,\"Ошибка ответа\nline two\"\n");
  EXPECT_EQ(flash::JsonString("a\"b\\c\nd\x01"), "\"a\\\"b\\\\c\\u000ad\\u0001\"");
  EXPECT_THAT(flash::IsoTimeNow(),
              ::testing::MatchesRegex("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}"
                                      "[+-][0-9]{2}:[0-9]{2}"));
}

}  // namespace
}  // namespace tools_test
