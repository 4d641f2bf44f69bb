#include <gtest/gtest.h>

#include "serial/comm_error.h"
#include "serial/comm_port.h"
#include "support/loop_dispatcher.h"

using namespace serial;

TEST(CommSettings, DefaultsAreTheOnesTheLoaderRelies) {
  LoopDispatcher ui;
  TCommPort port(ui);
  EXPECT_EQ(port.DeviceName(), "COM%d");
  EXPECT_EQ(port.Baudrate(), TBaudRate::br1200);
  EXPECT_EQ(port.FlowControl(), TFlowControl{});
  EXPECT_EQ(port.EventChars().XonChar, 0x11);
  EXPECT_EQ(port.EventChars().XoffChar, 0x13);
  EXPECT_EQ(port.Buffers(), (TBuffers{4096, 2048, 1000, 1000, 1024, 1024}));
  EXPECT_EQ(EventMask(port.MonitorEvents(), port.DirectWrite()), kEvRxChar | kEvErr);
  EXPECT_TRUE(port.UpdateDCB());
  EXPECT_FALSE(port.Active());
  EXPECT_EQ(port.ClosePause(), std::chrono::milliseconds(300));
}

TEST(CommSettings, BaudrateAndUserBaudrateGoTogether) {
  LoopDispatcher ui;
  TCommPort port(ui);
  port.SetUserBaudrate(10400);
  EXPECT_EQ(port.Baudrate(), TBaudRate::brUser);
  EXPECT_EQ(port.UserBaudrate(), 10400);
  port.SetBaudrate(TBaudRate::br9600);
  EXPECT_EQ(port.UserBaudrate(), 0);
  port.SetBaudrate(TBaudRate::brUser);
  EXPECT_EQ(port.UserBaudrate(), 0);
  port.SetUserBaudrate(0);  // unchanged value: nothing happens
  EXPECT_EQ(port.Baudrate(), TBaudRate::brUser);
  EXPECT_EQ(BaudRateValue(TBaudRate::br256000), 256000);
  EXPECT_EQ(BaudRateValue(TBaudRate::br110), 110);
}

TEST(CommSettings, EventMaskKeepsTxEmptyOnlyForDirectWriting) {
  const TCommEvents all{TCommEvent::ceBreak,  TCommEvent::ceCts,      TCommEvent::ceDsr,
                        TCommEvent::ceError,  TCommEvent::ceRing,     TCommEvent::ceRlsd,
                        TCommEvent::ceRxChar, TCommEvent::ceTxEmpty,  TCommEvent::ceRxFlag,
                        TCommEvent::cePErr,   TCommEvent::ceRx80Full, TCommEvent::ceEvent1,
                        TCommEvent::ceEvent2};
  EXPECT_EQ(EventMask(all, true), 0x1fffu);
  EXPECT_EQ(EventMask(all, false), 0x1fffu & ~kEvTxEmpty);
  EXPECT_EQ(EventMask({TCommEvent::ceCts}, false), kEvCts);
  EXPECT_EQ(EventMask({}, false), 0u);
}

TEST(CommSettings, DeviceNamePatternTakesThePortNumberOnly) {
  EXPECT_EQ(FormatDeviceName("COM%d", 0), "COM0");
  EXPECT_EQ(FormatDeviceName("COM%d", 12), "COM12");
  EXPECT_EQ(FormatDeviceName("COM3", 7), "COM3");
  EXPECT_EQ(FormatDeviceName("ttyUSB0", 7), "ttyUSB0");
  // The pattern is user input: other conversions stay text, never reach a formatter.
  EXPECT_EQ(FormatDeviceName("%s%n%d%d", 5), "%s%n5%d");
  EXPECT_EQ(FormatDeviceName("100%%", 5), "100%");
  EXPECT_EQ(FormatDeviceName("end%", 5), "end%");
}

TEST(CommErrors, SystemTextIsTrimmedAndFilledIn) {
  const std::string text = SystemErrorText(EBUSY);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), '.');
  EXPECT_NE(text.back(), ' ');
  try {
    RaiseCommError("Error writing dcb (%d), %s", EINVAL);
    FAIL();
  } catch (const ECommError& e) {
    EXPECT_EQ(std::string(e.what()), "Error writing dcb (22), " + SystemErrorText(EINVAL));
  }
}

TEST(CommPortClosed, IoDoesNothingAndCloseIsInstant) {
  LoopDispatcher ui;
  TCommPort port(ui);
  std::uint8_t byte = 0;
  EXPECT_EQ(port.WriteBuf(&byte, 1), 0);
  EXPECT_EQ(port.ReadBuf(&byte, 1), 0);
  bool closed = false;
  port.OnClose = [&](TCommPort&) { closed = true; };
  const auto start = std::chrono::steady_clock::now();
  port.Close();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
  EXPECT_FALSE(closed);
}
