// Finding the port a target is on by listening: three real pseudo-terminals, the target's hello
// on one, noise and talk on another; what each far end receives, and what the search hands on.
#include <gtest/gtest.h>

#include <optional>

#include "serial/first_hello.h"
#include "support/loop_dispatcher.h"
#include "support/pty_pair.h"

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct Search {
  explicit Search(LoopDispatcher& ui, std::vector<std::string> names)
      : search(
            ui, [names = std::move(names)] { return names; }, Calls()) {}

  serial::FirstHello::Calls Calls() {
    serial::FirstHello::Calls calls;
    calls.found = [this](serial::FirstHello::Found f) { found = std::move(f); };
    calls.skipped = [this](const std::string& port, const std::string& message) {
      skipped.push_back(port + ": " + message);
    };
    calls.failed = [this](const std::string& message) { failed = message; };
    return calls;
  }

  std::optional<serial::FirstHello::Found> found;
  std::vector<std::string> skipped;
  std::optional<std::string> failed;
  serial::FirstHello search;
};

TEST(FirstHello, TheHelloTakesItsPortAndTheOthersAreClosedHavingReceivedNothing) {
  LoopDispatcher ui;
  PtyPair quiet, talking, target;
  const std::string missing = "/nonexistent/ttyUSB9";
  Search s(ui, {quiet.SlavePath(), missing, talking.SlavePath(), target.SlavePath()});
  s.search.Open();
  ASSERT_EQ(s.skipped.size(), 1u);
  EXPECT_EQ(s.skipped[0], missing + ": Specified device not found (" + missing + ").");
  EXPECT_TRUE(s.search.Listening());

  // Noise and another device's talk take no port.
  talking.Send({0x00, 0xFF, 'o', 'k', '\r', '\n'});
  ui.RunFor(50ms);
  EXPECT_FALSE(s.found);
  target.Send({0x00, 0xD5, 0x11});
  ASSERT_TRUE(ui.RunUntil([&] { return s.found.has_value(); }, 5000ms));
  EXPECT_FALSE(s.search.Listening());
  EXPECT_EQ(s.found->link->Port().DeviceName(), target.SlavePath());
  EXPECT_TRUE(s.found->link->Port().Active());
  // From the hello on (0xD5 is the hello with its top bit set); the noise before it dropped.
  EXPECT_EQ(s.found->heard, (Bytes{0xD5, 0x11}));

  // Not one byte reached the ports that were only listened to, and they are free again.
  EXPECT_TRUE(quiet.Receive(1, 100ms).empty());
  EXPECT_TRUE(talking.Receive(1, 100ms).empty());
  serial::TCommPort again(ui);
  again.SetDeviceName(quiet.SlavePath());
  EXPECT_NO_THROW(again.Open());
  again.Close();

  // The found link is the run's from now on: its traffic goes to whoever connects to it.
  struct Consumer : serial::LinkConsumer {
    void Received(std::int32_t count) override { received += count; }
    bool LineLost(bool) override { return true; }
    void Failed(const std::exception_ptr&) override {}
    std::int32_t received = 0;
  } consumer;
  s.found->link->Connect(consumer);
  target.Send({0x42});
  ASSERT_TRUE(ui.RunUntil([&] { return consumer.received == 1; }, 5000ms));
  const Bytes out{0x01, 0x02};
  s.found->link->Port().WriteBuf(out.data(), 2);
  EXPECT_EQ(target.Receive(2, 5000ms), out);
  s.found->link->Port().Close();
}

TEST(FirstHello, NothingToOpenNamesWhatWasFoundAndEveryPortGoneEndsTheSearch) {
  LoopDispatcher ui;
  Search none(ui, {});
  try {
    none.search.Open();
    FAIL() << "no candidates opened";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what())
                  .rfind("No USB serial adapter found for --port auto (ports present: ", 0),
              0u)
        << error.what();
  }
  Search refused(ui, {"/nonexistent/a", "/nonexistent/b"});
  try {
    refused.search.Open();
    FAIL() << "no candidates opened";
  } catch (const std::runtime_error& error) {
    const std::string text = error.what();
    EXPECT_EQ(
        text.rfind(
            "No USB serial adapter could be opened for --port auto: Specified device not found", 0),
        0u)
        << text;
    EXPECT_NE(text.find("/nonexistent/b"), std::string::npos) << text;
  }

  // Both adapters pulled out while listening: each is said, then the search fails.
  PtyPair first, second;
  Search s(ui, {first.SlavePath(), second.SlavePath()});
  s.search.Open();
  first.CloseMaster();
  ASSERT_TRUE(ui.RunUntil([&] { return s.skipped.size() == 1; }, 5000ms));
  EXPECT_FALSE(s.failed);
  EXPECT_TRUE(s.search.Listening());
  second.CloseMaster();
  ASSERT_TRUE(ui.RunUntil([&] { return s.failed.has_value(); }, 5000ms));
  EXPECT_EQ(s.skipped.size(), 2u);
  EXPECT_FALSE(s.search.Listening());
  EXPECT_FALSE(s.found);
}

}  // namespace
