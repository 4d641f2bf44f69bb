#include "support/port_fixture.h"

using namespace serial;
using namespace std::chrono_literals;

using CommPortWrite = PortFixture;

TEST_F(CommPortWrite, WriteBufQueuesAndReturnsAtOnce) {
  port.Open();
  const std::vector<std::uint8_t> packet = Pattern(131);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.WriteBuf(packet.data(), 131), 131);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 50ms);
  EXPECT_EQ(pty.Receive(131, 2s), packet);

  // Many small appends while the writer is busy all come out, in order.
  std::vector<std::uint8_t> all;
  for (int i = 0; i < 300; ++i) {
    const std::vector<std::uint8_t> piece = Pattern(1 + i % 7, static_cast<std::uint8_t>(i));
    ASSERT_EQ(port.WriteBuf(piece.data(), static_cast<std::int32_t>(piece.size())),
              static_cast<std::int32_t>(piece.size()));
    all.insert(all.end(), piece.begin(), piece.end());
  }
  EXPECT_EQ(pty.Receive(all.size(), 2s), all);
}

TEST_F(CommPortWrite, WriteLargerThanTheQueueFailsAfterWriteTimeoutAndQueuesNothing) {
  port.SetWriteTimeout(200);
  port.Open();
  const std::vector<std::uint8_t> tooMuch = Pattern(2049);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(CommErrorOf([&] { port.WriteBuf(tooMuch.data(), 2049); }), kOutputBufferFull);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, 200ms);
  EXPECT_LT(waited, 1s);
  EXPECT_TRUE(pty.Receive(1, 50ms).empty());

  const std::vector<std::uint8_t> full = Pattern(2048, 3);
  EXPECT_EQ(port.WriteBuf(full.data(), 2048), 2048);
  EXPECT_EQ(pty.Receive(2048, 2s), full);
}

TEST_F(CommPortWrite, TxEmptyIsRaisedOnTheUiThreadOnceTheQueueRunsDry) {
  const std::thread::id uiThread = std::this_thread::get_id();
  int empties = 0;
  port.SetOnTxEmpty([&](TCommPort&) {
    EXPECT_EQ(std::this_thread::get_id(), uiThread);
    ++empties;
  });
  port.Open();
  const std::vector<std::uint8_t> packet = Pattern(64);
  port.WriteBuf(packet.data(), 64);
  ASSERT_TRUE(ui.RunUntil([&] { return empties >= 1; }, 2s));
  EXPECT_EQ(pty.Receive(64, 2s), packet);
}

TEST_F(CommPortWrite, CloseDoesNotWaitForALineThatTakesNothing) {
  port.SetWriteTimeout(100);
  port.Open();
  // The far end reads nothing: the driver's buffers fill, the writer blocks, the queue fills.
  const std::vector<std::uint8_t> block = Pattern(2048);
  std::string full;
  for (int i = 0; i < 500 && full.empty(); ++i) {
    full = CommErrorOf([&] { port.WriteBuf(block.data(), 2048); });
  }
  ASSERT_EQ(full, kOutputBufferFull);
  const auto start = std::chrono::steady_clock::now();
  port.Close();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
  EXPECT_FALSE(port.Active());
}

TEST_F(CommPortWrite, CloseDiscardsWhatTheDriverStillHolds) {
  port.SetWriteTimeout(100);
  port.Open();
  // The far end reads nothing yet: the driver's buffers fill, then the queue.
  const std::vector<std::uint8_t> block = Pattern(1024);
  std::size_t queued = 0;
  for (int i = 0; i < 500; ++i) {
    if (!CommErrorOf([&] { port.WriteBuf(block.data(), 1024); }).empty()) break;
    queued += 1024;
  }
  port.Close();
  // Only what had already crossed to the far end's side (its 4 KiB line buffer) comes through;
  // nothing the driver still held reaches the line after Close.
  const std::size_t through = pty.Receive(queued, 300ms).size();
  EXPECT_LE(through, 4096u);
}
