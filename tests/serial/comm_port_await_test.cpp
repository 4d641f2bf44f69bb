// The reader's hint of how many bytes it awaits (a packet's echo and its reply): the bytes of a
// reply paced at the line's rate come as one notification, a short reply is not held back, and
// nothing is lost or reordered whatever the hint says.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/port_fixture.h"

using namespace serial;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

class CommPortAwait : public PortFixture {
 protected:
  CommPortAwait() {
    port.OnRxChar = [this](TCommPort& sender, std::int32_t count) {
      counts.push_back(count);
      lastNotice = Clock::now();
      std::vector<std::uint8_t> buffer(static_cast<std::size_t>(count));
      const std::int32_t n = sender.ReadBuf(buffer.data(), count);
      received.insert(received.end(), buffer.begin(), buffer.begin() + n);
    };
    port.Open();
  }
  ~CommPortAwait() override {
    if (sender_.joinable()) sender_.join();
  }

  // The far end sends the bytes one at a time at 10400 bit/s, as a target's echo comes back.
  void SendPaced(const std::vector<std::uint8_t>& bytes) {
    sender_ = std::thread([this, bytes] {
      for (const std::uint8_t byte : bytes) {
        pty.Send({byte});
        std::this_thread::sleep_for(960us);
      }
    });
  }
  bool Received(std::size_t n, std::chrono::milliseconds bound = 5s) {
    return ui.RunUntil([&] { return received.size() >= n; }, bound);
  }

  std::vector<std::int32_t> counts;
  std::vector<std::uint8_t> received;
  Clock::time_point lastNotice{};

 private:
  std::thread sender_;
};

TEST_F(CommPortAwait, APacedReplyOfTheAwaitedLengthComesAsOneNotification) {
  const std::vector<std::uint8_t> reply = Pattern(132);
  port.Await(132);
  SendPaced(reply);
  ASSERT_TRUE(Received(reply.size()));
  EXPECT_EQ(received, reply);
  // The first byte may come alone before the stream is seen to flow; the rest together.
  EXPECT_LE(counts.size(), 3u) << counts.size() << " notifications";

  // Without a hint (waiting for the hello) every arrival is its own notification as before.
  counts.clear();
  received.clear();
  port.Await(0);
  pty.Send({0x55});
  ASSERT_TRUE(Received(1));
  EXPECT_EQ(counts, std::vector<std::int32_t>{1});
}

TEST_F(CommPortAwait, AShortReplyIsNotHeldForTheBytesThatNeverCome) {
  // A single wrong byte where an echo and a reply of 132 were awaited: handed on after a few
  // byte times of quiet, not after the time the whole reply would have taken (127 ms).
  port.Await(132);
  const Clock::time_point sent = Clock::now();
  pty.Send({0x42});
  ASSERT_TRUE(Received(1));
  const auto took = std::chrono::duration_cast<std::chrono::microseconds>(lastNotice - sent);
  EXPECT_LT(took, 50ms) << took.count() << " us";
  std::printf("a lone byte of an awaited 132 was handed on after %lld us\n",
              static_cast<long long>(took.count()));

  // A reply that stops half-way is handed on too, all of it that came.
  counts.clear();
  received.clear();
  port.Await(132);
  SendPaced(Pattern(20));
  ASSERT_TRUE(Received(20, 1s));
  EXPECT_EQ(received, Pattern(20));
}

TEST_F(CommPortAwait, MoreThanAwaitedAndMoreThanTheDriverHoldsAreAllDeliveredInOrder) {
  // Bytes beyond the awaited count come with them.
  port.Await(4);
  pty.Send(Pattern(6, 1));
  ASSERT_TRUE(Received(6));
  EXPECT_EQ(received, Pattern(6, 1));

  // A hint larger than the driver's queue (4 KiB on a pseudo-terminal): the queue fills, stops
  // growing, and is handed on; the rest follows.
  received.clear();
  port.Await(100000);
  const std::vector<std::uint8_t> many = Pattern(10000, 2);
  std::thread writer([&] { pty.Send(many); });
  const bool all = Received(many.size(), 10s);
  writer.join();
  ASSERT_TRUE(all) << received.size();
  EXPECT_EQ(received, many);
}

TEST_F(CommPortAwait, ALineThatFailsWhileARepliesBytesAreAwaitedIsReported) {
  bool lost = false;
  port.OnLineLost = [&](TCommPort&, bool) {
    lost = true;
    return true;
  };
  port.Await(132);
  pty.Send(Pattern(3));
  ASSERT_TRUE(Received(3));
  pty.CloseMaster();
  ASSERT_TRUE(ui.RunUntil([&] { return lost; }, 5s));
  EXPECT_FALSE(port.Active());
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0], "Error retrieving statistics (5), Input/output error");
}

}  // namespace
