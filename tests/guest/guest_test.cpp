// The flasher on real kernel serial drivers: inside a qemu guest on the 8250 UART and on an
// FTDI USB adapter (ftdi_sio), with zagruzchik-sim on the host end of the line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "guest_machine.h"
#include "hex_files.h"

namespace guest_test {
namespace {

using h2b_test::Bytes;
using ::testing::HasSubstr;
using tools_test::ChildProcess;

// A 64 KiB + 128 image: its last block's address wraps to 0.
constexpr std::size_t kImageSize = 65536 + 128;
constexpr auto kBoot = std::chrono::seconds(120);  // software emulation, a loaded machine
constexpr auto kBound = std::chrono::seconds(120);

std::string Folder() {
  return GUEST_DIR;
}

// The image in the guest's HEX file, as the simulator should receive it.
void WriteImageFiles() {
  const Bytes image = h2b_test::RandomImage(kImageSize);
  h2b_test::WriteFile(Folder() + "/app.hex", h2b_test::HexOf(image));
  std::ofstream(Folder() + "/app.BIN", std::ios::binary)
      .write(reinterpret_cast<const char*>(image.data()),
             static_cast<std::streamsize>(image.size()));
}

class GuestRun : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::remove(Folder() + "/received.bin"); }

  // Boots the guest and joins the simulator to the line once the flasher holds the port.
  void Boot(const Backend& backend, const std::string& mode,
            const std::vector<std::string>& simOptions,
            const std::vector<std::string>& extra = {}) {
    guest_ = std::make_unique<GuestMachine>(Folder(), backend, mode, Folder(), extra);
    ASSERT_FALSE(guest_->LinePath().empty()) << guest_->Console();
    // "PORT ttyUSB0 16": the adapter's own latency timer, where it has one.
    const std::optional<std::string> port = guest_->WaitFor("PORT " + backend.port, kBoot);
    ASSERT_TRUE(port) << guest_->Console();
    latencyBefore_ = port->empty() ? "" : port->substr(1);
    const std::optional<std::string> lists = guest_->WaitFor("LISTS ", kBound);
    ASSERT_TRUE(lists) << guest_->Console();
    listed_ = *lists;
    // Then each port's whole description, its fields separated by '|'.
    std::istringstream names(listed_);
    for (std::string name; names >> name;) {
      const std::optional<std::string> line = guest_->WaitFor("LISTED ", kBound);
      ASSERT_TRUE(line) << guest_->Console();
      described_[line->substr(0, line->find('|'))] = *line;
    }
    ASSERT_TRUE(guest_->WaitFor("HOLDS PORT", kBound)) << guest_->Console();
    std::vector<std::string> argv = {LOADER_SIM, "--port", guest_->LinePath(), "--expect",
                                     "app.BIN",  "--out",  "received.bin"};
    argv.insert(argv.end(), simOptions.begin(), simOptions.end());
    sim_ = std::make_unique<ChildProcess>(argv, Folder());
  }

  // The flasher's exit status, once the guest has said it.
  std::optional<int> FlasherExit() {
    const std::optional<std::string> status = guest_->WaitFor("EXIT ", kBound);
    if (!status) return std::nullopt;
    return std::stoi(*status);
  }

  std::unique_ptr<GuestMachine> guest_;
  std::unique_ptr<ChildProcess> sim_;
  std::string latencyBefore_;
  std::string listed_;                            // what --list-ports names, separated by blanks
  std::map<std::string, std::string> described_;  // by name: the port's --list-ports line
};

class GuestLine : public GuestRun, public ::testing::WithParamInterface<Backend> {};

TEST_P(GuestLine, WholeDownloadIsByteExactAcrossTheAddressWrap) {
  ASSERT_NO_FATAL_FAILURE(Boot(GetParam(), "download", {"--no-pace"}));
  // Discovery on the kernel's own drivers finds the port the download uses.
  EXPECT_NE((" " + listed_).find(" " + GetParam().port + " "), std::string::npos) << listed_;
  EXPECT_EQ(FlasherExit(), 0) << guest_->Console();
  ASSERT_TRUE(guest_->WaitFor("END", kBound));
  EXPECT_EQ(sim_->Wait(kBound), 0) << sim_->Err();
  EXPECT_EQ(h2b_test::ReadFile(Folder() + "/received.bin"),
            h2b_test::ReadFile(Folder() + "/app.BIN"));
  EXPECT_EQ(guest_->Wait(kBound), 0);
}

TEST_P(GuestLine, WrongReplyEndsWithTheMessage) {
  ASSERT_NO_FATAL_FAILURE(Boot(GetParam(), "download", {"--no-pace", "--wrong-reply-at", "4"}));
  EXPECT_EQ(FlasherExit(), 1) << guest_->Console();
  ASSERT_TRUE(guest_->WaitFor("END", kBound));
  EXPECT_THAT(guest_->Errors(), ::testing::Contains(HasSubstr("Ошибка ответа")));
}

INSTANTIATE_TEST_SUITE_P(Drivers, GuestLine, ::testing::Values(Uart(), Ftdi()),
                         [](const auto& info) { return info.param.name; });

// qemu's trace of the adapter's control requests, in order.
struct ControlRequest {
  unsigned long request;
  unsigned long value;
  std::string device;  // the adapter's USB address, "0:1"
};

std::vector<ControlRequest> ControlRequests(const std::string& traceFile) {
  std::ifstream trace(traceFile);
  std::vector<ControlRequest> requests;
  const std::regex control(
      "usb_serial_handle_control dev (\\S+) .* control 0x([0-9a-f]+), value 0x([0-9a-f]+)");
  for (std::string line; std::getline(trace, line);) {
    std::smatch match;
    if (std::regex_search(line, match, control))
      requests.push_back(
          {std::stoul(match[2], nullptr, 16), std::stoul(match[3], nullptr, 16), match[1]});
  }
  return requests;
}

// FTDI_SET_MDM_CTRL: a mask of the lines it sets (0x100 DTR, 0x200 RTS) and their levels
// (1 DTR, 2 RTS).
constexpr unsigned long kSetModemControl = 0x4001;
constexpr unsigned long kBothHigh = 0x303;
constexpr unsigned long kBothLow = 0x300;

using GuestFtdi = GuestRun;

TEST_F(GuestFtdi, ModemLinesEndLowAndTheLatencyTimerRunsAtOneMillisecond) {
  const std::string trace = Folder() + "/trace.log";
  std::filesystem::remove(trace);
  ASSERT_NO_FATAL_FAILURE(Boot(Ftdi(), "latency", {"--no-pace"},
                               {"-trace", "enable=usb_serial_handle_control", "-D", trace}));
  EXPECT_EQ(guest_->WaitFor("LATENCY ", kBound), "1") << guest_->Console();
  // While the flasher holds the port: the lines were lowered after the kernel raised them.
  const std::vector<ControlRequest> requests = ControlRequests(trace);
  std::vector<unsigned long> modem;
  for (const ControlRequest& r : requests)
    if (r.request == kSetModemControl) modem.push_back(r.value);
  ASSERT_FALSE(modem.empty());
  EXPECT_EQ(modem.back(), kBothLow);
  // The kernel raises both inside open(2); the very next request lowers both at once.
  const auto raised = std::find_if(requests.begin(), requests.end(), [](const ControlRequest& r) {
    return r.request == kSetModemControl && r.value == kBothHigh;
  });
  ASSERT_NE(raised, requests.end());
  ASSERT_NE(raised + 1, requests.end());
  EXPECT_EQ(raised[1].request, kSetModemControl);
  EXPECT_EQ(raised[1].value, kBothLow);
  EXPECT_EQ(FlasherExit(), 0) << guest_->Console();
  // Closing gave the adapter its own latency timer back.
  EXPECT_EQ(guest_->WaitFor("LATENCY AFTER ", kBound), latencyBefore_) << guest_->Console();
  EXPECT_EQ(sim_->Wait(kBound), 0) << sim_->Err();
}

TEST_F(GuestFtdi, PulledOutMidDownloadTheFlasherReportsItOnceAndEndsWithinASecond) {
  const std::string monitor = Folder() + "/monitor.sock";
  std::filesystem::remove(monitor);
  // Paced: the download lasts about a minute, long enough to pull the adapter out.
  ASSERT_NO_FATAL_FAILURE(
      Boot(Ftdi(), "unplug", {}, {"-monitor", "unix:" + monitor + ",server=on,wait=off"}));
  ASSERT_TRUE(guest_->WaitFor("UNDER WAY", kBound)) << guest_->Console();
  const Clock::time_point pulled = Clock::now();
  MonitorCommand(monitor, "device_del adapter");
  EXPECT_EQ(FlasherExit(), 1) << guest_->Console();
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - pulled);
  EXPECT_LT(took.count(), 1000);
  ASSERT_TRUE(guest_->WaitFor("END", kBound));
  // After the cost said before the prompt (the image's size and time, how its addresses wrap),
  // the failure once.
  const std::vector<std::string> errors = guest_->Errors();
  ASSERT_GE(errors.size(), 2u) << guest_->Console();
  EXPECT_THAT(errors[0], ::testing::StartsWith("the image: 65664 bytes, 514 blocks, "));
  EXPECT_EQ(errors.back(), "Error retrieving statistics (5), Input/output error");
  EXPECT_EQ(std::count_if(
                errors.begin(), errors.end(),
                [](const std::string& line) { return line.find("Error") != std::string::npos; }),
            1)
      << guest_->Console();
  std::printf("the flasher ended %lld ms after the adapter was pulled out: %s\n",
              static_cast<long long>(took.count()), errors.back().c_str());
}

// --port auto on two adapters: the one whose target says hello is taken, the other only ever
// listened to; swapped between runs, the target's adapter is found under its new name, its
// serial number (what the window remembers it by) going with it.
TEST_F(GuestFtdi, AutoTakesTheAdapterThatHearsTheHelloAndSendsTheOtherNothing) {
  for (const bool swapped : {false, true}) {
    SCOPED_TRACE(swapped ? "swapped" : "as plugged");
    const std::string quiet = Folder() + "/quiet.out", trace = Folder() + "/trace-auto.log";
    std::filesystem::remove(trace);
    std::ofstream(quiet).close();
    ASSERT_NO_FATAL_FAILURE(Boot(FtdiPair(quiet, swapped), "download", {"--no-pace"},
                                 {"-trace", "enable=usb_serial_handle_control", "-D", trace}));
    EXPECT_EQ(FlasherExit(), 0) << guest_->Console();
    ASSERT_TRUE(guest_->WaitFor("END", kBound));
    EXPECT_EQ(sim_->Wait(kBound), 0) << sim_->Err();
    EXPECT_EQ(h2b_test::ReadFile(Folder() + "/received.bin"),
              h2b_test::ReadFile(Folder() + "/app.BIN"));
    const std::string taken = swapped ? "ttyUSB0" : "ttyUSB1";
    EXPECT_THAT(guest_->Errors(), ::testing::Contains("the target is on " + taken));
    EXPECT_THAT(described_[taken], ::testing::StartsWith(taken + "|0403:6001|"));
    EXPECT_THAT(described_[taken], HasSubstr("|FTB|")) << listed_;
    // Not one byte reached the other adapter.
    EXPECT_EQ(std::filesystem::file_size(quiet), 0u);
    EXPECT_EQ(guest_->Wait(kBound), 0);
    // On neither adapter did DTR or RTS stay up: the raise the kernel makes inside open(2) is
    // the adapter's very next request lowered again, and nothing else raises either line.
    const std::vector<ControlRequest> requests = ControlRequests(trace);
    std::map<std::string, std::vector<unsigned long>> modem;
    for (const ControlRequest& r : requests)
      if (r.request == kSetModemControl) modem[r.device].push_back(r.value);
    EXPECT_EQ(modem.size(), 2u);
    for (const auto& [device, values] : modem) {
      for (std::size_t i = 0; i < values.size(); ++i) {
        if ((values[i] & 0x3) == 0) continue;
        EXPECT_EQ(values[i], kBothHigh) << device;
        ASSERT_LT(i + 1, values.size()) << device;
        EXPECT_EQ(values[i + 1], kBothLow) << device;
      }
    }
  }
}

}  // namespace
}  // namespace guest_test

int main(int argc, char** argv) {
  using guest_test::Folder;
  using tools_test::ChildProcess;
  // The CTest fixture that runs first: the guest's kernel and initramfs, and the image files.
  if (argc == 3 && std::string(argv[1]) == "--prepare") {
    std::filesystem::create_directories(Folder());
    guest_test::WriteImageFiles();
    ChildProcess prepare({PREPARE_GUEST, Folder(), argv[2], Folder() + "/app.hex"}, Folder());
    const std::optional<int> status = prepare.Wait(std::chrono::minutes(5));
    std::fputs(prepare.Err().c_str(), stderr);
    return status == 0 ? 0 : 1;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
