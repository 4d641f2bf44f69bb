// The flasher's loop without a toolkit: calls posted from the port's threads, its one timer, and
// the interrupt signals handed to it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>
#include <vector>

#include "console_loop.h"
#include "interrupt_signals.h"
#include "sys/interrupt.h"

namespace {

using namespace std::chrono_literals;

// Runs the loop on this thread with a bound: a loop that never ends fails the test instead.
int RunBounded(flash::ConsoleLoop& loop) {
  std::atomic<bool> done{false};
  std::thread watchdog([&] {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!done && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    if (!done) loop.Exit(99);
  });
  const int code = loop.Run();
  done = true;
  watchdog.join();
  return code;
}

TEST(ConsoleLoop, CallsPostedFromOtherThreadsRunInTheirOrderOnTheLoopsThread) {
  flash::ConsoleLoop loop;
  const std::thread::id loopThread = std::this_thread::get_id();
  std::vector<int> seen;
  bool everyOnTheLoop = true;
  std::vector<std::thread> posters;
  for (int t = 0; t < 2; ++t) {
    posters.emplace_back([&, t] {
      for (int i = 0; i < 500; ++i)
        loop.Post([&, t, i] {
          everyOnTheLoop = everyOnTheLoop && std::this_thread::get_id() == loopThread;
          seen.push_back(t * 1000 + i);
          if (seen.size() == 1000) loop.Exit(7);
        });
    });
  }
  EXPECT_EQ(RunBounded(loop), 7);
  for (std::thread& poster : posters) poster.join();
  EXPECT_TRUE(everyOnTheLoop);
  ASSERT_EQ(seen.size(), 1000u);
  int last[2] = {-1, -1};
  for (const int value : seen) {
    EXPECT_GT(value % 1000, last[value / 1000]) << "out of order";
    last[value / 1000] = value % 1000;
  }
}

// Exit from a call ends the loop once that call returns; what is still queued never runs.
TEST(ConsoleLoop, ExitDropsTheCallsStillQueued) {
  flash::ConsoleLoop loop;
  int ran = 0;
  loop.Post([&] {
    ++ran;
    loop.Exit(3);
  });
  loop.Post([&] { ran += 100; });
  EXPECT_EQ(RunBounded(loop), 3);
  EXPECT_EQ(ran, 1);
}

// The silence timer fires once when nothing restarts it, and posted calls that restart it keep
// it from firing; the flasher's --timeout rests on both.
TEST(ConsoleLoop, TheTimerFiresOnceUnlessRestarted) {
  flash::ConsoleLoop loop;
  int fired = 0;
  int restarts = 0;
  loop.StartTimer(500ms, [&] {
    ++fired;
    loop.Exit(restarts);
  });
  // A steady stream of calls, each restarting the timer, for longer than its period.
  std::thread feeder([&] {
    for (int i = 0; i < 20; ++i) {
      loop.Post([&] {
        loop.RestartTimer();
        ++restarts;
      });
      std::this_thread::sleep_for(5ms);  // the pace of a line, not a wait for a condition
    }
  });
  EXPECT_EQ(RunBounded(loop), 20) << "the timer fired while it was being restarted";
  feeder.join();
  EXPECT_EQ(fired, 1);
  EXPECT_FALSE(loop.TimerActive());
}

// A signal that comes while a posted call runs is handed over as a call of its own, after that
// one: never inside it. It also raises the flag that stops a conversion at once.
TEST(InterruptSignals, ASignalDuringACallRunsAfterItOnTheLoop) {
  flash::ConsoleLoop loop;
  std::vector<std::string> order;
  int signalled = 0;
  {
    flash::InterruptSignals signals(loop, [&](int signal) {
      order.push_back("signal " + std::to_string(signal));
      ++signalled;
      loop.Exit(signal);
    });
    loop.Post([&] {
      order.push_back("call begins");
      ::raise(SIGTERM);
      order.push_back("call ends");
    });
    EXPECT_EQ(RunBounded(loop), SIGTERM);
  }
  EXPECT_TRUE(sys::InterruptRequested());
  sys::ClearInterruptRequest();
  EXPECT_EQ(order, (std::vector<std::string>{"call begins", "call ends", "signal 15"}));
  EXPECT_EQ(signalled, 1);
}

}  // namespace
