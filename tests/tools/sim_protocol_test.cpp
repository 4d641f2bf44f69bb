// zagruzchik-sim as the oracle of the end-to-end tests: the test plays the flasher on the
// pseudo-terminal and checks echo, replies and the image byte by byte.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include "child_process.h"
#include "hex_files.h"
#include "tool_paths.h"

namespace tools_test {
namespace {

using h2b_test::Bytes;
using ::testing::HasSubstr;

// The flasher's side of the line, opened raw.
class FlasherEnd {
 public:
  explicit FlasherEnd(const std::string& path)
      : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
    termios settings{};
    cfmakeraw(&settings);
    if (fd_ >= 0) tcsetattr(fd_, TCSANOW, &settings);
  }
  ~FlasherEnd() { Close(); }
  bool IsOpen() const { return fd_ >= 0; }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

  void Send(const Bytes& bytes) const {
    ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // The other side has closed: what is left unread is gone, reading gives the end.
  bool HungUp() const {
    pollfd entry{fd_, POLLIN, 0};
    return poll(&entry, 1, 0) == 1 && (entry.revents & POLLHUP);
  }
  // What one read brings once bytes are waiting.
  Bytes ReceiveSome() const {
    pollfd entry{fd_, POLLIN, 0};
    if (poll(&entry, 1, static_cast<int>(kChildBound.count() * 1000)) != 1) return {};
    std::uint8_t buffer[256];
    const ssize_t n = read(fd_, buffer, sizeof buffer);
    return n > 0 ? Bytes(buffer, buffer + n) : Bytes{};
  }
  // Exactly count bytes, or fewer when they do not come within the bound.
  Bytes Receive(std::size_t count) const {
    Bytes got;
    const Clock::time_point deadline = Clock::now() + kChildBound;
    while (got.size() < count && Clock::now() < deadline) {
      pollfd entry{fd_, POLLIN, 0};
      if (poll(&entry, 1, 100) <= 0) continue;
      std::uint8_t buffer[256];
      const ssize_t n = read(fd_, buffer, std::min(sizeof buffer, count - got.size()));
      if (n <= 0) break;
      got.insert(got.end(), buffer, buffer + n);
    }
    return got;
  }

 private:
  int fd_;
};

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes DataPacket(std::uint16_t address, const Bytes& block) {
  return Concat({0x22, static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)},
                block);
}

class Simulator : public ::testing::Test {
 protected:
  // Starts zagruzchik-sim, connects and takes the hello.
  void Start(std::vector<std::string> options, std::uint8_t hello = 0x55, bool paced = false) {
    if (!paced) options.insert(options.begin(), "--no-pace");
    options.insert(options.begin(), kLoaderSim);
    sim_.emplace(options, dir_.Path());
    const std::optional<std::string> path = sim_->ReadLine(kChildBound);
    ASSERT_TRUE(path) << sim_->Err();
    line_.emplace(*path);
    ASSERT_TRUE(line_->IsOpen());
    ASSERT_EQ(line_->Receive(1), Bytes{hello});
  }
  // Sends a packet; returns its echo followed by the reply, if any.
  Bytes Exchange(const Bytes& packet, std::size_t replies = 1) {
    line_->Send(packet);
    return line_->Receive(packet.size() + replies);
  }

  h2b_test::TempDir dir_;
  std::optional<ChildProcess> sim_;
  std::optional<FlasherEnd> line_;
};

TEST_F(Simulator, EchoesAndAnswersEveryPacketAndKeepsTheImage) {
  Start({"--out", "got.bin", "--length", "200"});
  // Each byte is echoed as it comes; a packet split across writes is still one packet.
  line_->Send({0x55, 0x33});
  EXPECT_EQ(line_->Receive(2), Bytes({0x55, 0x33}));
  EXPECT_EQ(Exchange({0xCC}), Bytes({0xCC, 0xAA}));
  EXPECT_EQ(Exchange({0x11, 0x00, 0x00}), Bytes({0x11, 0x00, 0x00, 0xAA}));
  Bytes first(128);
  Bytes second(128, 0);
  for (int i = 0; i < 128; ++i) first[i] = static_cast<std::uint8_t>(i * 3 + 1);
  for (int i = 0; i < 72; ++i) second[i] = static_cast<std::uint8_t>(0xF0 + i);
  const Bytes packet1 = DataPacket(0x0000, first);
  const Bytes packet2 = DataPacket(0x0080, second);
  // Checksums: sum of the data bytes modulo 256, the exact byte.
  EXPECT_EQ(Exchange(packet1), Concat(packet1, {0xC0}));
  EXPECT_EQ(Exchange(packet2), Concat(packet2, {0x7C}));
  EXPECT_EQ(Exchange({0x99, 0x00, 0x00}, 0), Bytes({0x99, 0x00, 0x00}));
  line_->Close();
  EXPECT_EQ(sim_->Wait(kChildBound), 0) << sim_->Err();
  EXPECT_EQ(h2b_test::ReadFile("got.bin"),
            Concat(first, Bytes(second.begin(), second.begin() + 72)));
}

TEST_F(Simulator, ComparesWithTheExpectedImage) {
  h2b_test::WriteFile("expected.bin", std::string(130, '\x01'));
  Start({"--expect", "expected.bin"});
  Exchange({0x55, 0x33, 0xCC});
  Exchange({0x11, 0x00, 0x00});
  Exchange(DataPacket(0x0000, Bytes(128, 0x01)));
  Bytes tail(128, 0);
  tail[0] = 0x01;
  tail[1] = 0x02;  // differs at offset 129
  Exchange(DataPacket(0x0080, tail));
  Exchange({0x99, 0x00, 0x00}, 0);
  line_->Close();
  EXPECT_EQ(sim_->Wait(kChildBound), 1);
  EXPECT_THAT(sim_->Err(), HasSubstr("first difference at offset 129"));
}

// An --out that cannot be written is found before the line exists; an --expect that is not there
// at the end is reported after the end command's echo has gone back, so the flasher succeeds.
TEST_F(Simulator, ItsFilesAreCheckedWithoutCostingTheFlasherItsEcho) {
  ChildProcess refused({kLoaderSim, "--no-pace", "--out", "no-such-folder/got.bin"}, dir_.Path());
  EXPECT_EQ(refused.Wait(kChildBound), 3);
  EXPECT_EQ(refused.Out(), "");
  EXPECT_THAT(refused.Err(), HasSubstr("cannot write no-such-folder/got.bin: No such file"));

  Start({"--expect", "never-written.bin"});
  Exchange({0x55, 0x33, 0xCC});
  Exchange({0x11, 0x00, 0x00});
  Exchange(DataPacket(0x0000, Bytes(128, 0x01)));
  EXPECT_EQ(Exchange({0x99, 0x00, 0x00}, 0), Bytes({0x99, 0x00, 0x00}));
  line_->Close();
  EXPECT_EQ(sim_->Wait(kChildBound), 3);
  EXPECT_THAT(sim_->Err(), HasSubstr("cannot read never-written.bin"));
}

TEST_F(Simulator, RefusesPacketsOutOfOrder) {
  const struct {
    Bytes packets;
    const char* message;
  } cases[] = {
      {{0x11, 0x00, 0x00}, "before the synchronisation command"},
      {{0x55, 0x33, 0xCC, 0x77}, "packet 2: unknown command byte 0x77"},
      {Concat({0x55, 0x33, 0xCC}, DataPacket(0, Bytes(128))), "without an address command"},
      {{0x55, 0x33, 0xCC, 0x11, 0x00, 0x80}, "address command 0x0080 before block 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    Start({});
    line_->Send(c.packets);
    EXPECT_EQ(sim_->Wait(kChildBound), 3);
    EXPECT_THAT(sim_->Err(), HasSubstr(c.message));
  }
}

TEST_F(Simulator, FaultsOnDemand) {
  Start({"--wrong-reply-at", "2", "--bit7"}, 0xD5);
  EXPECT_EQ(Exchange({0x55, 0x33, 0xCC}), Bytes({0x55, 0x33, 0xCC, 0xAA}));
  // Wrong in the low seven bits, and bit 7 set.
  EXPECT_EQ(Exchange({0x11, 0x00, 0x00}), Bytes({0x11, 0x00, 0x00, 0xAB}));

  Start({"--hangup-after", "1"});
  line_->Send({0x55, 0x33, 0xCC});
  EXPECT_EQ(sim_->Wait(kChildBound), 0);
  EXPECT_TRUE(line_->HungUp());
}

TEST_F(Simulator, RunsOnAPortGivenByPath) {
  // A pseudo-terminal's slave stands in for the real port: the simulator sets it up as one.
  int master = -1;
  int slave = -1;
  char name[256] = {};
  ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
  termios raw{};
  cfmakeraw(&raw);
  tcsetattr(master, TCSANOW, &raw);
  ChildProcess sim({kLoaderSim, "--no-pace", "--port", name}, dir_.Path());
  auto receive = [&](std::size_t count) {
    Bytes got;
    while (got.size() < count) {
      pollfd entry{master, POLLIN, 0};
      if (poll(&entry, 1, static_cast<int>(kChildBound.count() * 1000)) != 1) break;
      std::uint8_t byte = 0;
      if (read(master, &byte, 1) != 1) break;
      got.push_back(byte);
    }
    return got;
  };
  EXPECT_EQ(receive(1), Bytes{0x55});
  termios settings{};
  ASSERT_EQ(tcgetattr(slave, &settings), 0);
  EXPECT_EQ(settings.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), static_cast<tcflag_t>(CS8));
  EXPECT_EQ(settings.c_lflag & (ICANON | ECHO), 0u);
  const std::uint8_t sync[] = {0x55, 0x33, 0xCC};
  ASSERT_EQ(write(master, sync, 3), 3);
  EXPECT_EQ(receive(4), Bytes({0x55, 0x33, 0xCC, 0xAA}));
  close(master);
  close(slave);
}

TEST_F(Simulator, PacedBurstsComeWhole) {
  // A group goes out once its last byte is due: echo and reply together, after about 4 ms.
  Start({"--burst", "4"}, 0x55, true);
  line_->Send({0x55, 0x33, 0xCC});
  EXPECT_EQ(line_->ReceiveSome(), Bytes({0x55, 0x33, 0xCC, 0xAA}));
}

}  // namespace
}  // namespace tools_test
