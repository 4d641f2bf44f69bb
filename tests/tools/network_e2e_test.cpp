// zagruzchik-flash through Debian's ser2net on loopback, with zagruzchik-sim on the
// pseudo-terminal behind it: the network ports as a board farm uses them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>

#include "child_process.h"
#include "hex_files.h"
#include "ser2net_config.h"
#include "tool_paths.h"

namespace tools_test {
namespace {

using h2b_test::Bytes;
using h2b_test::HexOf;
using h2b_test::ReadFile;
using ::testing::HasSubstr;

// Debian's ser2net on the test's configuration, stopped by its PID at the end.
class Ser2net {
 public:
  using Line = ser2net_test::Line;
  Ser2net(const std::vector<Line>& lines, const std::string& folder)
      : config_(ser2net_test::Write(lines, folder)) {
    std::vector<std::string> argv = {ser2net_test::kSer2net};
    argv.insert(argv.end(), config_.arguments.begin(), config_.arguments.end());
    server_ = std::make_unique<ChildProcess>(argv, folder);
    const Clock::time_point deadline = Clock::now() + kChildBound;
    for (const int port : config_.ports) {
      while (!ser2net_test::Listening(port) && Clock::now() < deadline &&
             !server_->Wait(std::chrono::milliseconds(5))) {
      }
    }
  }
  const std::string& Url(std::size_t i) const { return config_.urls[i]; }
  void Kill() { server_->Kill(); }

 private:
  ser2net_test::Config config_;
  std::unique_ptr<ChildProcess> server_;
};

class NetworkFlashing : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ser2net_test::Installed()) GTEST_SKIP() << "ser2net is not installed";
  }
  // Targets behind pseudo-terminals, their paths.
  std::vector<std::string> Targets(ChildProcess& sims, int n) {
    std::vector<std::string> paths;
    for (int i = 0; i < n; ++i) paths.push_back(sims.ReadLine(kChildBound).value_or("/nowhere"));
    return paths;
  }
  h2b_test::TempDir dir_;
};

// Images full of what Telnet treats specially: 0xFF, CR NUL and CR LF.
Bytes TelnetHardImage() {
  Bytes image;
  for (int i = 0; i < 40; ++i) {
    image.insert(image.end(), 100, 0xFF);
    for (int j = 0; j < 20; ++j) image.insert(image.end(), {0x0D, 0x00, 0x0D, 0x0A, 0xFF, 0x0D});
    image.push_back(static_cast<std::uint8_t>(i));
  }
  return image;
}

TEST_F(NetworkFlashing, ByteExactAsRfc2217AndAsARawSocket) {
  h2b_test::WriteFile("app.hex", HexOf(TelnetHardImage()));
  for (const bool rfc2217 : {true, false}) {
    ChildProcess sim({kLoaderSim, "--no-pace", "--expect", "app.BIN"}, dir_.Path());
    const std::vector<std::string> path = Targets(sim, 1);
    Ser2net server({{path[0], rfc2217}}, dir_.Path());
    ChildProcess flash({kLoaderFlash, "-p", server.Url(0), "app.hex"}, dir_.Path());
    EXPECT_EQ(flash.Wait(kChildBound), 0) << flash.Err();
    EXPECT_THAT(flash.Err(), ::testing::EndsWith("100%\n"));
    EXPECT_EQ(sim.Wait(kChildBound), 0) << "the target saw another image: " << sim.Err();
  }
}

TEST_F(NetworkFlashing, AWrongReplyAndAServerGoneMidDownloadFailWithTheirMessages) {
  h2b_test::WriteFile("app.hex", HexOf(h2b_test::RandomImage(6000)));
  {
    ChildProcess sim({kLoaderSim, "--no-pace", "--wrong-reply-at", "5"}, dir_.Path());
    Ser2net server({{Targets(sim, 1)[0]}}, dir_.Path());
    ChildProcess flash({kLoaderFlash, "-p", server.Url(0), "app.hex"}, dir_.Path());
    EXPECT_EQ(flash.Wait(kChildBound), 1);
    EXPECT_THAT(flash.Err(), HasSubstr("Ошибка ответа\n"));
  }
  // At the line's own pace, the server killed at 4 %: a lost line, within seconds.
  ChildProcess sim({kLoaderSim}, dir_.Path());
  Ser2net server({{Targets(sim, 1)[0]}}, dir_.Path());
  ChildProcess flash({kLoaderFlash, "-p", server.Url(0), "app.hex"}, dir_.Path());
  ASSERT_TRUE(flash.WaitForErr("4%\n", kChildBound)) << flash.Err();
  server.Kill();
  EXPECT_EQ(flash.Wait(std::chrono::seconds(10)), 1);
  EXPECT_THAT(flash.Err(), HasSubstr("Error retrieving statistics (104), "));
}

TEST_F(NetworkFlashing, NoServerAndAnUnknownHostAreSaidAtOnce) {
  h2b_test::WriteFile("app.hex", HexOf(h2b_test::RandomImage(100)));
  const std::string refused = "rfc2217://127.0.0.1:" + std::to_string(ser2net_test::FreePort());
  ChildProcess flash({kLoaderFlash, "-p", refused, "app.hex"}, dir_.Path());
  EXPECT_EQ(flash.Wait(kChildBound), 1);
  EXPECT_THAT(flash.Err(), ::testing::EndsWith("\nCan't open specified device " + refused +
                                               " (Connection refused)\n"));
  // No name leaves the machine: the lookup runs in a network namespace of the test's own.
  if (std::system("unshare -n true 2>/dev/null") != 0) GTEST_SKIP() << "no network namespaces";
  ChildProcess unknown(
      {"unshare", "-n", kLoaderFlash, "-p", "rfc2217://no-such-station.invalid:4001", "app.hex"},
      dir_.Path());
  EXPECT_EQ(unknown.Wait(kChildBound), 1);
  EXPECT_THAT(unknown.Err(), HasSubstr("\nCan't open specified device "
                                       "rfc2217://no-such-station.invalid:4001 "
                                       "(unknown host no-such-station.invalid: "));
}

// Four boards on network ports and one on a local one, in one production line (each target's
// checksum replies vouch for its blocks).
TEST_F(NetworkFlashing, AProductionLineOfFourNetworkPortsAndOneLocal) {
  const Bytes image = h2b_test::RandomImage(4000);
  h2b_test::WriteFile("app.hex", HexOf(image));
  ChildProcess sims({kLoaderSim, "--no-pace", "--targets", "5"}, dir_.Path());
  const std::vector<std::string> paths = Targets(sims, 5);
  Ser2net server({{paths[0]}, {paths[1]}, {paths[2], false}, {paths[3]}}, dir_.Path());
  ChildProcess flash({kLoaderFlash, "-p", server.Url(0), "-p", server.Url(1), "-p", server.Url(2),
                      "-p", server.Url(3), "-p", paths[4], "-v", "app.hex"},
                     dir_.Path());
  EXPECT_EQ(flash.Wait(kChildBound), 0) << flash.Out() << flash.Err();
  EXPECT_THAT(flash.Out(), ::testing::EndsWith("boards passed 5, failed 0\n"));
  EXPECT_THAT(flash.Out(), HasSubstr(server.Url(2) + "\tpassed\t"));
  // ser2net leaves DTR and RTS on a pseudo-terminal unanswered; -v says so, once a port.
  EXPECT_THAT(flash.Err(),
              HasSubstr(server.Url(0) + ": the server did not acknowledge DTR and RTS"));
  EXPECT_THAT(flash.Err(), HasSubstr(server.Url(0) + ": the network adds "));
}

}  // namespace
}  // namespace tools_test
