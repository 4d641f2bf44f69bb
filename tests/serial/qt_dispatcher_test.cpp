#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <numeric>
#include <thread>

#include "serial/comm_port.h"
#include "serial/qt/qt_dispatcher.h"
#include "support/pty_pair.h"

using namespace serial;
using namespace std::chrono_literals;

namespace {

// Runs the application's event loop until done() holds or the time is up.
bool ProcessUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < timeoutMs) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
  }
  return done();
}

}  // namespace

TEST(QtDispatcher, ReceivedBytesReachTheHandlerOnTheMainThread) {
  PtyPair pty;
  QtDispatcher dispatcher;
  TCommPort port(dispatcher);
  port.SetDeviceName(pty.SlavePath());
  port.SetUserBaudrate(10400);
  port.SetClosePause(0ms);
  std::vector<std::uint8_t> got;
  bool onMainThread = true;
  port.OnRxChar = [&](TCommPort& sender, std::int32_t count) {
    onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(count));
    const std::int32_t n = sender.ReadBuf(buffer.data(), count);
    got.insert(got.end(), buffer.begin(), buffer.begin() + n);
  };
  port.Open();
  const std::vector<std::uint8_t> sent = Pattern(300);
  pty.Send(sent);
  ASSERT_TRUE(ProcessUntil([&] { return got.size() >= sent.size(); }, 5000));
  EXPECT_EQ(got, sent);
  EXPECT_TRUE(onMainThread);

  // The reply goes out through the writer thread.
  const std::vector<std::uint8_t> reply = Pattern(131, 9);
  EXPECT_EQ(port.WriteBuf(reply.data(), 131), 131);
  EXPECT_EQ(pty.Receive(131, 5000ms), reply);
}

TEST(QtDispatcher, CloseInsideTheHandlerReleasesTheEventThread) {
  PtyPair pty;
  QtDispatcher dispatcher;
  auto port = std::make_unique<TCommPort>(dispatcher);
  port->SetDeviceName(pty.SlavePath());
  port->SetClosePause(0ms);
  int notifications = 0;
  port->OnRxChar = [&](TCommPort& sender, std::int32_t) {
    ++notifications;
    sender.Close();
  };
  port->Open();
  pty.Send({1, 2, 3});
  ASSERT_TRUE(ProcessUntil([&] { return !port->Active(); }, 5000));
  // Destroying the port with calls possibly still queued must leave them harmless.
  port.reset();
  ProcessUntil([] { return false; }, 50);
  EXPECT_EQ(notifications, 1);
}

TEST(QtDispatcher, CallsFromAnotherThreadRunOnTheMainThreadInOrderAlsoInANestedLoop) {
  QtDispatcher dispatcher;
  std::vector<int> order;
  bool onMainThread = true;
  auto record = [&](int n) {
    return [&, n] {
      onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
      order.push_back(n);
    };
  };
  // The first call runs a nested loop, as a modal window would; what is posted meanwhile must
  // still run inside it.
  dispatcher.Post([&] {
    order.push_back(0);
    std::thread poster([&] {
      for (int n = 1; n <= 100; ++n) dispatcher.Post(record(n));
    });
    poster.join();
    ProcessUntil([&] { return order.size() == 101; }, 5000);
    order.push_back(-1);
  });
  ASSERT_TRUE(ProcessUntil([&] { return order.size() == 102; }, 5000));
  std::vector<int> expected(101);
  std::iota(expected.begin(), expected.end(), 0);
  expected.push_back(-1);
  EXPECT_EQ(order, expected);
  EXPECT_TRUE(onMainThread);
}

TEST(QtDispatcher, CallsStillQueuedAtDestructionAreDropped) {
  bool ran = false;
  {
    QtDispatcher dispatcher;
    dispatcher.Post([&] { ran = true; });
  }
  ProcessUntil([] { return false; }, 20);
  EXPECT_FALSE(ran);
}

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
