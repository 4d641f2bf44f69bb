#include <unistd.h>

#include <filesystem>
#include <thread>

#include "support/port_fixture.h"

using namespace serial;
using namespace std::chrono_literals;

namespace {

struct Notification {
  std::int32_t count;
  bool onUiThread;
};

}  // namespace

class CommPortReceive : public PortFixture {
 protected:
  // A handler that records each notification and reads up to readAtMost of its bytes.
  void ReadInHandler(std::int32_t readAtMost) {
    port.OnRxChar = [this, readAtMost](TCommPort& sender, std::int32_t count) {
      EXPECT_EQ(&sender, &port);
      notifications.push_back({count, std::this_thread::get_id() == uiThread});
      std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(count, readAtMost)));
      const std::int32_t n =
          sender.ReadBuf(buffer.data(), static_cast<std::int32_t>(buffer.size()));
      received.insert(received.end(), buffer.begin(), buffer.begin() + n);
    };
  }

  const std::thread::id uiThread = std::this_thread::get_id();
  std::vector<Notification> notifications;
  std::vector<std::uint8_t> received;
};

TEST_F(CommPortReceive, BytesArriveInOrderOnTheUiThreadNeverWithCountZero) {
  ReadInHandler(1 << 20);
  port.Open();
  std::vector<std::uint8_t> sent;
  // Lock-step as the download runs: one byte out, a few back, many times over.
  for (int round = 0; round < 200; ++round) {
    const std::vector<std::uint8_t> reply =
        Pattern(1 + round % 5, static_cast<std::uint8_t>(round));
    pty.Send(reply);
    sent.insert(sent.end(), reply.begin(), reply.end());
    ASSERT_TRUE(ui.RunUntil([&] { return received.size() == sent.size(); }, 5s)) << round;
  }
  EXPECT_EQ(received, sent);
  for (const Notification& n : notifications) {
    EXPECT_GT(n.count, 0);
    EXPECT_TRUE(n.onUiThread);
  }
}

TEST_F(CommPortReceive, BytesLeftUnreadAreNotifiedAgainPromptly) {
  ReadInHandler(1024);
  const std::vector<std::uint8_t> sent = Pattern(1500);
  pty.Send(sent);  // all waiting before the port even opens
  port.Open();
  ASSERT_TRUE(ui.RunUntil([&] { return received.size() == sent.size(); }, 2s))
      << received.size() << " bytes after " << notifications.size() << " notifications";
  EXPECT_EQ(received, sent);
  ASSERT_EQ(notifications.size(), 2u);
  EXPECT_EQ(notifications[0].count, 1500);
  EXPECT_EQ(notifications[1].count, 476);
}

TEST_F(CommPortReceive, HandlerThatReadsNothingIsToldOnlyOfNewBytes) {
  ReadInHandler(0);
  port.Open();
  pty.Send(Pattern(10));
  ASSERT_TRUE(ui.RunUntil([&] { return !notifications.empty(); }, 2s));
  ui.RunFor(50ms);
  // No spinning on the bytes left waiting (the driver may wake the wait twice for one write).
  ASSERT_LE(notifications.size(), 2u);
  EXPECT_EQ(notifications[0].count, 10);
  pty.Send(Pattern(5));
  ASSERT_TRUE(ui.RunUntil([&] { return notifications.back().count == 15; }, 2s));
  EXPECT_LE(notifications.size(), 4u);
}

TEST_F(CommPortReceive, HandlerFailureGoesToTheErrorReportAndNotificationsGoOn) {
  port.OnRxChar = [&](TCommPort& sender, std::int32_t count) {
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(count));
    sender.ReadBuf(buffer.data(), count);
    throw std::runtime_error("handler failed");
  };
  port.Open();
  pty.Send({1});
  ASSERT_TRUE(ui.RunUntil([&] { return reported.size() == 1; }, 2s));
  pty.Send({2});
  ASSERT_TRUE(ui.RunUntil([&] { return reported.size() == 2; }, 2s));
  EXPECT_EQ(reported[1], "handler failed");
}

TEST_F(CommPortReceive, ReadBufWaitsForAFirstByteThenStopsAtAGap) {
  port.SetReadTimeout(200);
  port.Open();
  std::uint8_t buffer[64];
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.ReadBuf(buffer, 64), 0);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, 200ms);
  EXPECT_LT(waited, 1s);

  pty.Send(Pattern(10));
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.ReadBuf(buffer, 64), 10);  // the 5 ms gap ends it, not the time-out
  EXPECT_LT(std::chrono::steady_clock::now() - start, 150ms);
  pty.Send(Pattern(10));
  ASSERT_TRUE(ui.RunUntil([&] { return port.ReadBuf(buffer, 4) == 4; }, 1s));
  EXPECT_EQ(port.ReadBuf(buffer, 6), 6);
}

TEST_F(CommPortReceive, CloseInsideTheHandlerEndsWithoutDeadlock) {
  int closes = 0;
  port.OnClose = [&](TCommPort&) { ++closes; };
  port.OnRxChar = [&](TCommPort& sender, std::int32_t count) {
    notifications.push_back({count, true});
    sender.Close();
    std::uint8_t byte;
    EXPECT_EQ(sender.ReadBuf(&byte, 1), 0);  // closed: nothing is read
  };
  port.Open();
  pty.Send(Pattern(100));
  ASSERT_TRUE(ui.RunUntil([&] { return !port.Active(); }, 2s));
  ui.RunFor(20ms);  // a hand-over still queued runs and raises nothing
  EXPECT_EQ(notifications.size(), 1u);
  EXPECT_EQ(closes, 1);
  port.Open();  // the port is usable again
  ReadInHandler(1 << 20);
  ASSERT_TRUE(ui.RunUntil([&] { return received.size() == 100; }, 2s));
}

TEST_F(CommPortReceive, HangUpIsReportedOnceAndThePortClosesItself) {
  ReadInHandler(1 << 20);
  std::vector<std::string> events;
  port.OnLineLost = [&](TCommPort& sender, bool) {
    EXPECT_FALSE(sender.Active());
    events.push_back("lost, reports so far " + std::to_string(reported.size()));
    return true;
  };
  port.OnClose = [&](TCommPort&) { events.push_back("closed"); };
  port.Open();
  pty.Send(Pattern(20));
  ASSERT_TRUE(ui.RunUntil([&] { return received.size() == 20; }, 2s));
  const std::vector<std::uint8_t> reply = Pattern(131);
  port.WriteBuf(reply.data(), 131);
  pty.CloseMaster();
  ASSERT_TRUE(ui.RunUntil([&] { return !reported.empty(); }, 2s));
  EXPECT_EQ(reported[0], "Error retrieving statistics (5), " + SystemErrorText(EIO));
  // Closed before the download hears of it, and that before the report.
  EXPECT_EQ(events, (std::vector<std::string>{"closed", "lost, reports so far 0"}));
  EXPECT_FALSE(port.Active());
  // The writer met the dead line too: still one report, and nothing spins.
  EXPECT_EQ(port.WriteBuf(reply.data(), 131), 0);
  const std::clock_t cpuBefore = std::clock();
  ui.RunFor(100ms);
  EXPECT_LT(std::clock() - cpuBefore, CLOCKS_PER_SEC / 20);
  EXPECT_EQ(reported.size(), 1u);
  const auto start = std::chrono::steady_clock::now();
  port.Close();  // nothing left to close
  EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
}

// The handler hears whether everything written had reached the driver, and may decide that the
// loss is no failure (a target that restarted once it had the last command).
TEST_F(CommPortReceive, TheLineLostHandlerDecidesWhetherTheLossIsReported) {
  ReadInHandler(1 << 20);
  std::vector<bool> written;
  port.OnLineLost = [&](TCommPort&, bool allWritten) {
    written.push_back(allWritten);
    return false;
  };
  port.Open();
  const std::vector<std::uint8_t> end = {0x99, 0x00, 0x00};
  port.WriteBuf(end.data(), 3);
  EXPECT_EQ(pty.Receive(3, 2s), end);
  pty.CloseMaster();
  ASSERT_TRUE(ui.RunUntil([&] { return !port.Active(); }, 2s));
  ui.RunFor(20ms);
  EXPECT_EQ(written, std::vector<bool>{true});
  EXPECT_TRUE(reported.empty());
}

TEST_F(CommPortReceive, AHandlerThatReopensThePortKeepsTheNewOpening) {
  // The far end hangs up while the handler runs; the handler itself closes the dead opening and
  // opens a fresh line under the same name: that one must survive the old line's failure.
  PtyPair second;
  const std::string link = ::testing::TempDir() + "/port-link-" + std::to_string(::getpid());
  std::filesystem::remove(link);
  std::filesystem::create_symlink(pty.SlavePath(), link);
  port.SetDeviceName(link);
  int lost = 0;
  port.OnLineLost = [&](TCommPort&, bool) { return ++lost > 0; };
  bool reopened = false;
  port.OnRxChar = [&](TCommPort& sender, std::int32_t count) {
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(count));
    sender.ReadBuf(buffer.data(), count);
    if (reopened) return;
    pty.CloseMaster();
    sender.Close();
    std::filesystem::remove(link);
    std::filesystem::create_symlink(second.SlavePath(), link);
    sender.Open();
    reopened = true;
  };
  port.Open();
  pty.Send({1});
  ASSERT_TRUE(ui.RunUntil([&] { return reopened; }, 2s));
  ui.RunFor(50ms);
  EXPECT_TRUE(port.Active());
  EXPECT_EQ(lost, 0);
  EXPECT_TRUE(reported.empty());
  const std::vector<std::uint8_t> hello = {0x55};
  port.WriteBuf(hello.data(), 1);
  EXPECT_EQ(second.Receive(1, 2s), hello);
  port.Close();
  std::filesystem::remove(link);
}
