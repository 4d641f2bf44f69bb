// The serial device against a bare echoing line, the same cases on both systems: on Linux a
// pseudo-terminal whose far side a thread echoes; on Windows the port ZAGRUZCHIK_TEST_PORT names,
// with `zagruzchik-sim --echo` on its far side (scripts/test-windows maps COM1 for it).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "serial/comm_error.h"
#include "serial/comm_port.h"
#include "serial/loader_link.h"
#include "support/comm_error_of.h"
#include "support/loop_dispatcher.h"
#ifndef _WIN32
#include "support/pty_pair.h"
#endif

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

Bytes Numbered(std::size_t n, std::uint8_t seed) {
  Bytes bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 13 + i / 7);
  return bytes;
}

class EchoLine : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    const char* name = std::getenv("ZAGRUZCHIK_TEST_PORT");
    if (name == nullptr) GTEST_SKIP() << "no port with an echoing far side named";
    port.SetDeviceName(name);
#else
    pty_ = std::make_unique<PtyPair>();
    echo_ = std::thread([this] {
      while (!stop_) {
        const Bytes got = pty_->Receive(4096, 5ms);
        if (!got.empty()) pty_->Send(got);
      }
    });
    port.SetDeviceName(pty_->SlavePath());
#endif
    serial::SetLoaderLine(port);
    port.ErrorReport = [this](const std::exception_ptr& error) {
      reported.push_back(serial::MessageOf(error));
    };
    // As the download reads: at most 1024 bytes a notification.
    port.OnRxChar = [this](serial::TCommPort& sender, std::int32_t count) {
      ++notifications;
      Bytes bytes(static_cast<std::size_t>(std::min(count, 1024)));
      bytes.resize(static_cast<std::size_t>(
          sender.ReadBuf(bytes.data(), static_cast<std::int32_t>(bytes.size()))));
      received.insert(received.end(), bytes.begin(), bytes.end());
    };
  }

  void TearDown() override {
    port.Close();
#ifndef _WIN32
    stop_ = true;
    if (echo_.joinable()) echo_.join();
#endif
  }

  bool Receive(std::size_t count) {
    return ui.RunUntil([&] { return received.size() >= count; }, 10s);
  }

  LoopDispatcher ui;
  serial::TCommPort port{ui};
  Bytes received;
  int notifications = 0;
  std::vector<std::string> reported;

 private:
#ifndef _WIN32
  std::unique_ptr<PtyPair> pty_;
  std::thread echo_;
  std::atomic<bool> stop_{false};
#endif
};

TEST_F(EchoLine, MoreThanTheQueueHoldsIsRefusedAfterTheWriteTimeOutAndAFullQueueGoesOut) {
  port.SetWriteTimeout(200);
  port.Open();
  const Bytes tooMuch = Numbered(2049, 1);
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(CommErrorOf([&] { port.WriteBuf(tooMuch.data(), 2049); }), serial::kOutputBufferFull);
  EXPECT_GE(Clock::now() - start, 190ms);
  const Bytes full = Numbered(2048, 2);
  EXPECT_EQ(port.WriteBuf(full.data(), 2048), 2048);
  ASSERT_TRUE(Receive(2048)) << received.size();
  EXPECT_EQ(received, full) << "nothing of the refused write went out";
  EXPECT_TRUE(reported.empty());
}

// 1500 bytes waiting, a handler that takes 1024: the rest is told of again without a further
// byte arriving.
TEST_F(EchoLine, WhatAHandlerLeavesUnreadIsNotifiedAgain) {
  port.Open();
  const Bytes sent = Numbered(1500, 3);
  port.WriteBuf(sent.data(), 1500);
  ASSERT_TRUE(Receive(1500)) << received.size();
  EXPECT_EQ(received, sent);
  EXPECT_GE(notifications, 2);
}

TEST_F(EchoLine, ReadBufWithNothingWaitingReturnsAfterItsTimeOut) {
  port.SetReadTimeout(100);
  port.Open();
  std::uint8_t buffer[16];
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(port.ReadBuf(buffer, sizeof buffer), 0);
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, 90ms);
  EXPECT_LT(waited, 2s);
}

TEST_F(EchoLine, CloseEndsWithItsPause) {
  port.Open();
  const Clock::time_point start = Clock::now();
  port.Close();
  const auto took = Clock::now() - start;
  EXPECT_GE(took, 290ms);
  EXPECT_LT(took, 3s);
  EXPECT_FALSE(port.Active());
}

TEST_F(EchoLine, ASecondOpenIsRefusedAndTheLineWorksAgainAfterReopening) {
  port.Open();
  EXPECT_EQ(CommErrorOf([&] { port.Open(); }), serial::kPortIsOpen);
  EXPECT_TRUE(port.Active());
  port.SetClosePause(0ms);
  port.Close();
  port.Open();
  const Bytes sync = {0x55, 0x33, 0xCC};
  port.WriteBuf(sync.data(), 3);
  ASSERT_TRUE(Receive(3));
  EXPECT_EQ(received, sync);
}

}  // namespace
