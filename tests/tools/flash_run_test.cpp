// Whole runs of the flasher in-process, its loop and the port's threads together, against a
// boot loader played on the master side of a pseudo-terminal.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#include "flash_run.h"
#include "hex_files.h"
#include "support/pty_pair.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

// The target: waits for the flasher to hold the line, says hello, echoes every byte and answers
// every packet; records the data blocks.
class PtyTarget {
 public:
  struct Faults {
    std::optional<int> wrongReplyAtBlock;
    bool hangUpAtEnd = false;
  };

  PtyTarget(PtyPair& pty, Faults faults) : pty_(pty), faults_(faults) {
    thread_ = std::thread([this] { Play(); });
  }
  ~PtyTarget() { Finish(); }
  // Stops playing; the data blocks it received.
  const Bytes& Finish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return image_;
  }

 private:
  void Play() {
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(20);
    int exclusive = 0;
    while (!stop_ && Clock::now() < deadline &&
           (::ioctl(pty_.Slave(), TIOCGEXCL, &exclusive) != 0 || exclusive == 0)) {
      std::this_thread::yield();
    }
    pty_.Send({0x55});
    Bytes packet;
    int blocks = 0;
    while (!stop_ && Clock::now() < deadline) {
      const Bytes got = pty_.Receive(1, std::chrono::milliseconds(20));
      if (got.empty()) continue;
      packet.push_back(got[0]);
      const std::size_t length = packet[0] == 0x22 ? 131 : 3;
      if (packet.size() < length) {
        pty_.Send(got);  // the echo
        continue;
      }
      if (packet[0] == 0x99 && faults_.hangUpAtEnd) {
        pty_.CloseMaster();
        return;
      }
      pty_.Send(got);
      std::uint8_t reply = 0xAA;
      if (packet[0] == 0x22) {
        image_.insert(image_.end(), packet.begin() + 3, packet.end());
        reply = 0;
        for (std::size_t i = 3; i < packet.size(); ++i) reply += packet[i];
        if (faults_.wrongReplyAtBlock == blocks++) reply ^= 1;
      }
      if (packet[0] != 0x99) pty_.Send({reply});
      packet.clear();
    }
  }

  PtyPair& pty_;
  Faults faults_;
  Bytes image_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

class FlashRunTest : public ::testing::Test {
 protected:
  int Flash(const Bytes& image, PtyTarget::Faults faults) {
    h2b_test::WriteFile("app.hex", h2b_test::HexOf(image));
    flash::FlashOptions options;
    options.port = pty_.SlavePath();
    options.hexFile = "app.hex";
    options.timeoutSeconds = 10;  // a bound, should the run go wrong
    target_.emplace(pty_, faults);
    flash::FlashRun run(options);
    return run.Exec();
  }

  h2b_test::TempDir dir_;
  PtyPair pty_;
  std::optional<PtyTarget> target_;
};

TEST_F(FlashRunTest, AWholeRunDeliversTheImageAndEndsWithZero) {
  const Bytes image = h2b_test::RandomImage(1000);
  EXPECT_EQ(Flash(image, {}), 0);
  const Bytes& got = target_->Finish();
  ASSERT_EQ(got.size(), 8u * 128);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), got.begin()));
}

TEST_F(FlashRunTest, AWrongReplyEndsTheRunWithOne) {
  EXPECT_EQ(Flash(h2b_test::RandomImage(1000), {.wrongReplyAtBlock = 2}), 1);
}

// The target restarts at the end command, taking the line and the echo with it.
TEST_F(FlashRunTest, ATargetThatHangsUpAtTheEndCommandStillEndsWithZero) {
  EXPECT_EQ(
      Flash(h2b_test::RandomImage(1000), {.wrongReplyAtBlock = std::nullopt, .hangUpAtEnd = true}),
      0);
}

}  // namespace
