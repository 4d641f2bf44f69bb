// zagruzchik-flash against zagruzchik-sim on a pseudo-terminal: whole downloads as the target sees
// them, and every way a download can fail ending in exit status 1 with its message.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "advice.h"
#include "child_process.h"
#include "hex_files.h"
#include "image_cost.h"
#include "tool_paths.h"
#include "transfer/line_time.h"

namespace tools_test {
namespace {

using h2b_test::Bytes;
using h2b_test::HexOf;
using h2b_test::RandomImage;
using h2b_test::ReadFile;
using ::testing::HasSubstr;

struct Outcome {
  std::optional<int> flash;
  std::string flashOut;
  std::string flashErr;
  std::optional<int> sim;
  std::string simErr;
};

// Whether the child's standard output has shown text by the bound.
bool WaitForOut(ChildProcess& child, const std::string& text) {
  const Clock::time_point deadline = Clock::now() + kChildBound;
  while (child.Out().find(text) == std::string::npos) {
    if (Clock::now() >= deadline || child.Wait(std::chrono::milliseconds(5))) {
      return child.Out().find(text) != std::string::npos;
    }
  }
  return true;
}

class Flashing : public ::testing::Test {
 protected:
  void WriteHex(const Bytes& image) { h2b_test::WriteFile("app.hex", HexOf(image)); }

  // One download of app.hex. The simulator checks the image against the one the flasher
  // converted (app.BIN) and keeps what it received in received.bin.
  Outcome Run(const std::vector<std::string>& simOptions,
              const std::vector<std::string>& flashOptions = {}) {
    std::vector<std::string> simArgv = {kLoaderSim, "--no-pace", "--expect",
                                        "app.BIN",  "--out",     "received.bin"};
    simArgv.insert(simArgv.end(), simOptions.begin(), simOptions.end());
    ChildProcess sim(simArgv, dir_.Path());
    const std::optional<std::string> path = sim.ReadLine(kChildBound);
    if (!path) {
      ADD_FAILURE() << "zagruzchik-sim printed no path: " << sim.Err();
      return {};
    }
    std::vector<std::string> flashArgv = {kLoaderFlash, "--port", *path};
    flashArgv.insert(flashArgv.end(), flashOptions.begin(), flashOptions.end());
    flashArgv.push_back("app.hex");
    ChildProcess flash(flashArgv, dir_.Path());
    Outcome outcome;
    outcome.flash = flash.Wait(kChildBound);
    outcome.flashOut = flash.Out();
    outcome.flashErr = flash.Err();
    // Once the flasher has let go of the line the simulator ends by itself.
    flash.Kill();
    outcome.sim = sim.Wait(kChildBound);
    outcome.simErr = sim.Err();
    return outcome;
  }

  h2b_test::TempDir dir_;
};

// A file with nothing to send (a .BIN or a text file picked by mistake) is refused: no empty
// image goes to the target as a block of zeros.
TEST_F(Flashing, AFileWithoutDataIsRefused) {
  h2b_test::WriteFile("app.hex", h2b_test::EndRecord());
  const Outcome outcome = Run({});
  EXPECT_EQ(outcome.flash, 1);
  EXPECT_EQ(outcome.flashOut, "");
  EXPECT_THAT(outcome.flashErr, HasSubstr("app.hex\". The file contains no data\n"));
  EXPECT_FALSE(h2b_test::Exists(dir_.Path() + "/app.BIN"));
}

TEST_F(Flashing, TargetReceivesTheConvertedImageByteExact) {
  // 512 ends on a group of four blocks; 64 KiB + 128 wraps the block addresses.
  for (const std::size_t size : {300, 512, 65536 + 128}) {
    SCOPED_TRACE(size);
    const Bytes image = RandomImage(size);
    WriteHex(image);
    const Outcome outcome = Run({});
    ASSERT_EQ(outcome.flash, 0) << outcome.flashErr;
    ASSERT_EQ(outcome.sim, 0) << outcome.simErr;
    EXPECT_EQ(ReadFile("app.BIN"), image);
    EXPECT_EQ(ReadFile("received.bin"), image);
  }
}

TEST_F(Flashing, TakesNoiseBeforeTheHelloAndRepliesWithBit7Set) {
  const Bytes image = RandomImage(700);
  WriteHex(image);
  const Outcome outcome = Run({"--noise", "00 FF 00 FF", "--bit7"});
  EXPECT_EQ(outcome.flash, 0) << outcome.flashErr;
  EXPECT_EQ(outcome.sim, 0) << outcome.simErr;
  EXPECT_EQ(ReadFile("received.bin"), image);
}

TEST_F(Flashing, WrongReplyEndsWithTheMessage) {
  WriteHex(RandomImage(1000));
  // The hello, the synchronisation, an address and a data block.
  for (const char* packet : {"0", "1", "2", "4"}) {
    SCOPED_TRACE(packet);
    const Outcome outcome = Run({"--wrong-reply-at", packet});
    EXPECT_EQ(outcome.flash, 1);
    EXPECT_THAT(outcome.flashErr, HasSubstr("Ошибка ответа"));
    // Nothing more was sent: the target saw the line close before an end command.
    EXPECT_EQ(outcome.sim, 3) << outcome.simErr;
  }
}

TEST_F(Flashing, HangUpMidDownloadIsAnError) {
  WriteHex(RandomImage(2000));
  const Outcome outcome = Run({"--hangup-after", "5"});
  EXPECT_EQ(outcome.flash, 1);
  EXPECT_NE(outcome.flashErr.find_first_not_of("0123456789%\n"), std::string::npos)
      << "no message: " << outcome.flashErr;
  EXPECT_EQ(outcome.sim, 0) << outcome.simErr;
}

// A target that restarts into its new firmware at the end command takes the line, and the end
// command's echo, with it: every block was acknowledged, so the download has succeeded.
TEST_F(Flashing, ATargetThatHangsUpAtTheEndCommandHasItsImage) {
  const Bytes image = RandomImage(2000);
  WriteHex(image);
  for (int run = 0; run < 5; ++run) {
    SCOPED_TRACE(run);
    const Outcome outcome = Run({"--hangup-at-end"});
    EXPECT_EQ(outcome.flash, 0) << outcome.flashErr;
    EXPECT_THAT(outcome.flashErr, ::testing::EndsWith("93%\n100%\n"));
    EXPECT_EQ(outcome.sim, 0) << outcome.simErr;
    EXPECT_EQ(ReadFile("received.bin"), image);
  }
}

TEST_F(Flashing, TimeoutGivesUpOnASilentTarget) {
  WriteHex(RandomImage(2000));
  // No hello at all, and silence in the middle of the download.
  for (const char* after : {"0", "4"}) {
    SCOPED_TRACE(after);
    const Outcome outcome = Run({"--silent-after", after}, {"--timeout", "0.3"});
    EXPECT_EQ(outcome.flash, 1);
    EXPECT_THAT(outcome.flashErr, HasSubstr("Нет ответа от устройства за 0.3 с"));
    EXPECT_EQ(outcome.sim, 3) << outcome.simErr;
  }
}

TEST_F(Flashing, InterruptedItClosesThePortAndSaysSo) {
  WriteHex(RandomImage(2000));
  const std::pair<int, int> cases[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 143}};
  for (const auto& [signal, status] : cases) {
    SCOPED_TRACE(signal);
    ChildProcess sim({kLoaderSim, "--no-pace", "--silent-after", "4"}, dir_.Path());
    const std::optional<std::string> path = sim.ReadLine(kChildBound);
    ASSERT_TRUE(path) << sim.Err();
    ChildProcess flash({kLoaderFlash, "--port", *path, "app.hex"}, dir_.Path());
    // Mid-download: progress shown, the target silent.
    ASSERT_TRUE(flash.WaitForErr("%\n", kChildBound)) << flash.Err();
    flash.Signal(signal);
    EXPECT_EQ(flash.Wait(kChildBound), status);
    EXPECT_THAT(flash.Err(), ::testing::EndsWith("%\nПрервано\n"));
    // The flasher let go of the line properly: the target saw it close.
    EXPECT_EQ(sim.Wait(kChildBound), 3) << sim.Err();
  }
}

// The flasher as shells start it: with standard output and error closed, and with standard
// error piped into a reader that goes away after one byte. Neither stops the download.
TEST_F(Flashing, ClosedOrBrokenOutputNeverStopsADownload) {
  const Bytes image = RandomImage(3000);
  WriteHex(image);
  const std::string shells[] = {
      R"(exec "$0" "$@" >&- 2>&-)",
      R"("$0" "$@" 2>&1 | head -c1 >/dev/null; echo "status ${PIPESTATUS[0]}")"};
  for (const std::string& shell : shells) {
    SCOPED_TRACE(shell);
    ChildProcess sim({kLoaderSim, "--no-pace", "--out", "received.bin", "--length", "3000"},
                     dir_.Path());
    const std::optional<std::string> path = sim.ReadLine(kChildBound);
    ASSERT_TRUE(path) << sim.Err();
    ChildProcess flash({"/bin/bash", "-c", shell, kLoaderFlash, "--port", *path, "app.hex"},
                       dir_.Path());
    const std::optional<int> status = flash.Wait(kChildBound);
    EXPECT_EQ(status, 0) << flash.Err();
    if (shell.find("PIPESTATUS") != std::string::npos) {
      EXPECT_EQ(flash.Out(), "status 0\n");
    }
    EXPECT_EQ(sim.Wait(kChildBound), 0) << sim.Err();
    EXPECT_EQ(ReadFile("received.bin"), image);
  }
}

// Ctrl+C while a long conversion runs stops it at once: no prompt, no image, no leftover.
TEST_F(Flashing, AnInterruptDuringTheConversionStopsIt) {
  // A high base address: gigabytes of fill, were it converted to the end.
  h2b_test::WriteFile("app.hex", h2b_test::LinearRecord(0xC000) + h2b_test::DataRecord(0, {1}));
  ChildProcess sim({kLoaderSim, "--no-pace"}, dir_.Path());
  const std::optional<std::string> path = sim.ReadLine(kChildBound);
  ASSERT_TRUE(path) << sim.Err();
  ChildProcess flash({kLoaderFlash, "--port", *path, "--max-time", "1e9", "app.hex"}, dir_.Path());
  // The conversion's image, without a name until it is complete, is open once it runs.
  const std::string fds = "/proc/" + std::to_string(flash.Pid()) + "/fd";
  const auto converting = [&] {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(fds, error)) {
      const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
      if (target.rfind(dir_.Path() + "/#", 0) == 0) return true;
    }
    return false;
  };
  const Clock::time_point deadline = Clock::now() + kChildBound;
  while (!converting() && Clock::now() < deadline && !flash.Wait(std::chrono::milliseconds(1))) {
  }
  ASSERT_TRUE(converting()) << flash.Err();
  flash.Signal(SIGINT);
  EXPECT_EQ(flash.Wait(kChildBound), 130);
  EXPECT_EQ(flash.Out(), "");
  EXPECT_THAT(flash.Err(), ::testing::StartsWith("the image: 3221225473 bytes, 25165825 blocks, "
                                                 "893 h 59 min on the line\n"));
  EXPECT_THAT(flash.Err(), ::testing::EndsWith(" mod 512)\nПрервано\n"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()), {}), 1);
}

// A production line: one conversion into three boards at once and a port that cannot open; the
// board that answers wrongly and the missing port fail alone, the others get the image whole.
TEST_F(Flashing, SeveralPortsAtOnceFailOneByOne) {
  const Bytes image = RandomImage(3000);
  WriteHex(image);
  std::vector<std::unique_ptr<ChildProcess>> sims;
  std::vector<std::string> argv = {kLoaderFlash};
  for (int i = 0; i < 3; ++i) {
    std::vector<std::string> simArgv = {
        kLoaderSim, "--no-pace", "--out", "got" + std::to_string(i) + ".bin", "--length", "3000"};
    if (i == 1) simArgv.insert(simArgv.end(), {"--wrong-reply-at", "6"});
    sims.push_back(std::make_unique<ChildProcess>(simArgv, dir_.Path()));
    const std::optional<std::string> path = sims.back()->ReadLine(kChildBound);
    ASSERT_TRUE(path) << sims.back()->Err();
    argv.insert(argv.end(), {"--port", *path});
  }
  const std::string wrongPort = argv[4];
  argv.insert(argv.end(), {"-p", "/dev/no-such-tty", "app.hex"});
  ChildProcess flash(argv, dir_.Path());
  EXPECT_EQ(flash.Wait(kChildBound), 1) << flash.Err();
  EXPECT_EQ(ReadFile("got0.bin"), image);
  EXPECT_EQ(ReadFile("got2.bin"), image);
  EXPECT_THAT(flash.Out(), ::testing::StartsWith("Включи питание\n"));
  EXPECT_THAT(flash.Out(), HasSubstr(wrongPort + "\tfailed\t"));
  EXPECT_THAT(flash.Out(), HasSubstr("\tОшибка ответа\n"));
  EXPECT_THAT(flash.Out(),
              HasSubstr("/dev/no-such-tty\tfailed\t0.0 s\tSpecified device not found"));
  EXPECT_THAT(flash.Out(), ::testing::EndsWith("boards passed 2, failed 2\n"));
  EXPECT_EQ(std::count(flash.Out().begin(), flash.Out().end(), '\n'), 6);
}

// Interrupted in the middle, a production line closes every port, records the boards under
// way as interrupted and prints the summary so far.
TEST_F(Flashing, AnInterruptedLineClosesEveryPortAndSummarises) {
  WriteHex(RandomImage(3000));
  ChildProcess sims({kLoaderSim, "--no-pace", "--targets", "2", "--silent-after", "4"},
                    dir_.Path());
  const std::optional<std::string> first = sims.ReadLine(kChildBound);
  const std::optional<std::string> second = sims.ReadLine(kChildBound);
  ASSERT_TRUE(first && second) << sims.Err();
  ChildProcess flash({kLoaderFlash, "-p", *first, "-p", *second, "app.hex"}, dir_.Path());
  // Both ports downloading (each target says hello on a thread of its own) before the signal.
  ASSERT_TRUE(flash.WaitForErr(*first + " 0% downloading", kChildBound)) << flash.Err();
  ASSERT_TRUE(flash.WaitForErr(*second + " 0% downloading", kChildBound)) << flash.Err();
  flash.Signal(SIGTERM);
  EXPECT_EQ(flash.Wait(kChildBound), 143);
  EXPECT_THAT(flash.Err(), HasSubstr("Прервано\n"));
  EXPECT_THAT(flash.Out(), HasSubstr(*first + "\tinterrupted\t"));
  EXPECT_THAT(flash.Out(), HasSubstr(*second + "\tinterrupted\t"));
  EXPECT_THAT(flash.Out(), ::testing::EndsWith("boards passed 0, failed 0, interrupted 2\n"));
  // Both lines were let go of properly: the targets saw them close before the end command.
  EXPECT_EQ(sims.Wait(kChildBound), 3) << sims.Err();
}

// Board after board on one port: the second board is another simulated target behind the same
// name. Each board gets a line and a CSV record; Ctrl+C ends the run with the totals.
TEST_F(Flashing, RepeatTakesBoardAfterBoardAndKeepsARecord) {
  const Bytes image = RandomImage(2000);
  WriteHex(image);
  const std::string link = dir_.Path() + "/line";
  auto target = [&](const std::string& out) {
    auto sim = std::make_unique<ChildProcess>(
        std::vector<std::string>{kLoaderSim, "--no-pace", "--out", out, "--length", "2000"},
        dir_.Path());
    const std::optional<std::string> path = sim->ReadLine(kChildBound);
    std::filesystem::remove(link);
    std::filesystem::create_symlink(path.value_or("/nowhere"), link);
    return sim;
  };
  const auto first = target("board1.bin");
  ChildProcess flash({kLoaderFlash, "--port", link, "--repeat", "--log", "boards.csv", "app.hex"},
                     dir_.Path());
  ASSERT_TRUE(WaitForOut(flash, " board 1 passed ")) << flash.Out() << flash.Err();
  const auto second = target("board2.bin");
  ASSERT_TRUE(WaitForOut(flash, " board 2 passed ")) << flash.Out() << flash.Err();
  flash.Signal(SIGINT);
  EXPECT_EQ(flash.Wait(kChildBound), 0) << "nothing failed";
  EXPECT_EQ(ReadFile("board1.bin"), image);
  EXPECT_EQ(ReadFile("board2.bin"), image);
  EXPECT_THAT(flash.Out(), HasSubstr("(passed 2, failed 0)\n"));
  EXPECT_THAT(flash.Out(), ::testing::EndsWith("boards passed 2, failed 0\n"));
  const Bytes bytes = ReadFile("boards.csv");
  const std::string record(bytes.begin(), bytes.end());
  EXPECT_THAT(record, ::testing::StartsWith("time,host,port,identity,board,hex_file,image_size,"
                                            "image_sha256,result,seconds,message\n"));
  EXPECT_THAT(record, ::testing::ContainsRegex("," + link +
                                               ",[^,]*,1,app.hex,2000,[0-9a-f]{64},"
                                               "passed,"));
  EXPECT_THAT(record, ::testing::ContainsRegex("," + link +
                                               ",[^,]*,2,app.hex,2000,[0-9a-f]{64},"
                                               "passed,"));
  EXPECT_EQ(std::count(record.begin(), record.end(), '\n'), 3);
}

TEST(Advice, APortTheUserMayNotOpenSaysWhatToDo) {
  EXPECT_THAT(flash::AdviceFor("Can't open specified device /dev/ttyUSB0 (Error 13, Permission "
                               "denied)"),
              HasSubstr("dialout"));
  EXPECT_EQ(flash::AdviceFor("Specified device not found (ttyUSB9)."), "");
}

TEST(LatencyWarning, OnlyATimerAboveOneMillisecondIsWorthALine) {
  EXPECT_EQ(flash::LatencyWarning({.lowLatency = false, .timerMs = 16}),
            "the adapter's latency timer is 16 ms: the download will be about 10 % slower; "
            "see " LOADER_DOC_DIR "/README.md");
  EXPECT_EQ(flash::LatencyWarning({.lowLatency = true, .timerMs = 32}),
            "the adapter's latency timer is 32 ms: the download will be about 20 % slower; "
            "see " LOADER_DOC_DIR "/README.md");
  EXPECT_EQ(flash::LatencyWarning({.lowLatency = true, .timerMs = 1}), "");
  EXPECT_EQ(flash::LatencyWarning({.lowLatency = false, .timerMs = -1}), "");  // no timer
}

TEST_F(Flashing, RefusesWhatItCannotDo) {
  WriteHex(RandomImage(10));
  auto flash = [&](const std::vector<std::string>& args) {
    std::vector<std::string> argv = {kLoaderFlash};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildProcess child(argv, dir_.Path());
    const std::optional<int> status = child.Wait(kChildBound);
    return std::make_pair(status, child.Err());
  };
  EXPECT_EQ(flash({}).first, 2);
  EXPECT_EQ(flash({"--port", "ttyX", "--timeout", "soon", "app.hex"}).first, 2);
  EXPECT_EQ(flash({"--port", "ttyX", "a.hex", "b.hex"}).first, 2);

  const auto [noPort, noPortErr] = flash({"--port", "/dev/no-such-tty", "app.hex"});
  EXPECT_EQ(noPort, 1);
  EXPECT_THAT(noPortErr, HasSubstr("Specified device not found (/dev/no-such-tty)."));
  // The port is opened first: a run that cannot have it writes no image and moves none aside.
  EXPECT_FALSE(h2b_test::Exists(dir_.Path() + "/app.BIN"));
  h2b_test::WriteFile("app.BIN", "previous");
  EXPECT_EQ(flash({"-p", "/dev/no-such-tty", "app.hex"}).first, 1);
  EXPECT_EQ(h2b_test::ReadFile("app.BIN").size(), 8u);
  EXPECT_FALSE(h2b_test::Exists(dir_.Path() + "/app.BAK"));

  // Named as typed in full, not as the converter's "" for no file.
  const auto [noHex, noHexErr] = flash({"--port", "/dev/no-such-tty", "missing.hex"});
  EXPECT_EQ(noHex, 1);
  EXPECT_EQ(noHexErr,
            "Cannot open file \"" + dir_.Path() + "/missing.hex\". No such file or directory\n");
  const auto [dashed, dashedErr] = flash({"--port", "ttyX", "--", "-app.hex"});
  EXPECT_EQ(dashed, 1);
  EXPECT_THAT(dashedErr, HasSubstr("/-app.hex\". No such file or directory"));

  const auto [unknown, unknownErr] = flash({"--port", "ttyX", "--speed", "9600", "app.hex"});
  EXPECT_EQ(unknown, 2);
  EXPECT_THAT(unknownErr, HasSubstr("zagruzchik-flash: unknown option: --speed\nUsage: "));
}

TEST_F(Flashing, HelpAndVersionGoToStandardOutput) {
  ChildProcess help({kLoaderFlash, "--help"}, dir_.Path());
  EXPECT_EQ(help.Wait(kChildBound), 0);
  EXPECT_THAT(help.Out(), ::testing::StartsWith("Usage: zagruzchik-flash --port NAME"));
  EXPECT_THAT(help.Out(), HasSubstr("--list-ports"));
  ChildProcess version({kLoaderFlash, "--version"}, dir_.Path());
  EXPECT_EQ(version.Wait(kChildBound), 0);
  EXPECT_THAT(version.Out(), ::testing::MatchesRegex("zagruzchik-flash 1\\.0\\.[0-9]+\n"));
}

// The percentages as printed to a log: forward only, to 100 % at the end.
std::vector<int> Percentages(const std::string& err) {
  std::vector<int> values;
  std::size_t at = 0;
  for (std::size_t end; (end = err.find("%\n", at)) != std::string::npos; at = end + 2) {
    const std::size_t start = err.rfind('\n', end);
    values.push_back(std::stoi(err.substr(start == std::string::npos ? 0 : start + 1)));
  }
  return values;
}

TEST_F(Flashing, ProgressReachesAHundredAndNeverGoesBack) {
  // Shorter than one block: no part of it counts until the end.
  WriteHex(RandomImage(100));
  Outcome outcome = Run({});
  ASSERT_EQ(outcome.flash, 0) << outcome.flashErr;
  EXPECT_EQ(Percentages(outcome.flashErr), (std::vector<int>{0, 100}));

  WriteHex(RandomImage(1000));
  outcome = Run({});
  ASSERT_EQ(outcome.flash, 0) << outcome.flashErr;
  EXPECT_EQ(Percentages(outcome.flashErr), (std::vector<int>{0, 14, 29, 43, 57, 71, 86, 100}));

  outcome = Run({"--wrong-reply-at", "6"});
  EXPECT_EQ(outcome.flash, 1);
  const std::vector<int> values = Percentages(outcome.flashErr);
  EXPECT_TRUE(std::is_sorted(values.begin(), values.end())) << outcome.flashErr;
  EXPECT_GT(values.back(), 0) << "no 0 % after the wrong reply";
}

TEST_F(Flashing, APortNamedByALinkIsTheLinkedPort) {
  const Bytes image = RandomImage(300);
  WriteHex(image);
  ChildProcess sim({kLoaderSim, "--no-pace", "--expect", "app.BIN"}, dir_.Path());
  const std::optional<std::string> path = sim.ReadLine(kChildBound);
  ASSERT_TRUE(path) << sim.Err();
  const std::string link = dir_.Path() + "/usb-Adapter_A1-if00-port0";
  std::filesystem::create_symlink(*path, link);
  ChildProcess flash({kLoaderFlash, "--port", link, "app.hex"}, dir_.Path());
  EXPECT_EQ(flash.Wait(kChildBound), 0) << flash.Err();
  EXPECT_EQ(sim.Wait(kChildBound), 0) << sim.Err();
}

}  // namespace
}  // namespace tools_test

namespace tools_test {
namespace {

// The time said before the prompt is the line time the target measures, byte for byte; an
// image over 64 KiB says how its addresses wrap.
TEST_F(Flashing, TheCostSaidBeforeThePromptIsTheLinesOwn) {
  for (const std::size_t size : {std::size_t{300}, std::size_t{65536}, std::size_t{1} << 20}) {
    WriteHex(RandomImage(size));
    const Outcome outcome = Run({});
    ASSERT_EQ(outcome.flash, 0) << outcome.flashErr;
    const std::string said = "the image: " + std::to_string(size) + " bytes, " +
                             std::to_string(size / 128 + 1) + " blocks, " +
                             transfer::DurationText(transfer::LineSeconds(size)) + " on the line\n";
    EXPECT_THAT(outcome.flashErr, ::testing::StartsWith(said));
    const std::size_t at = outcome.simErr.find("line time ");
    ASSERT_NE(at, std::string::npos) << outcome.simErr;
    const double measured = std::stod(outcome.simErr.substr(at + 10));
    EXPECT_NEAR(transfer::LineSeconds(size), measured, measured / 100) << size;
    EXPECT_EQ(outcome.flashErr.find("addresses are 16 bits") != std::string::npos,
              size > 65536 - 128)
        << outcome.flashErr;
  }
  EXPECT_THAT(flash::WrapText(flash::CostOf("app.hex")),
              "addresses are 16 bits: blocks 512 to 8192 go to the addresses of blocks 0 and on "
              "again (block N over block N mod 512)");
}

// Data where one family of microcontrollers keeps its flash: a 37-hour image, refused before the
// prompt with nothing converted, opened or sent.
TEST_F(Flashing, ADownloadOverTheLimitIsRefusedBeforeTheLineIsTouched) {
  h2b_test::WriteFile(
      "app.hex", ":020000040800F2\n:10000000000102030405060708090A0B0C0D0E0F78\n:00000001FF\n");
  ChildProcess sim({kLoaderSim, "--no-pace"}, dir_.Path());
  const std::string path = sim.ReadLine(kChildBound).value_or("/nowhere");
  ChildProcess flash({kLoaderFlash, "-p", path, "-q", "app.hex"}, dir_.Path());
  EXPECT_EQ(flash.Wait(kChildBound), 2);
  EXPECT_EQ(flash.Out(), "");
  EXPECT_THAT(flash.Err(), ::testing::StartsWith("refused: the image: 134217744 bytes, 1048577 "
                                                 "blocks, 37 h 15 min on the line, over the limit "
                                                 "of 1 h 0 min; the HEX file's data begins at "
                                                 "0x08000000"));
  EXPECT_THAT(flash.Err(), HasSubstr("--max-time SECONDS allows a longer download\n"));
  EXPECT_FALSE(std::filesystem::exists(dir_.Path() + "/app.BIN"));
  EXPECT_FALSE(sim.Wait(std::chrono::milliseconds(100))) << "the line was never opened";
}

}  // namespace
}  // namespace tools_test
