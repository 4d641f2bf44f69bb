// The Win32 device and discovery, under Wine; the exchanges on a real line are the end-to-end
// flasher's (scripts/test-windows).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "serial/comm_error.h"
#include "serial/comm_port.h"
#include "serial/discovery.h"
#include "serial/loader_link.h"
#include "support/loop_dispatcher.h"

namespace {

TEST(Win32Port, AMissingPortIsNotFoundAndStaysClosed) {
  LoopDispatcher ui;
  serial::TCommPort port(ui);
  serial::SetLoaderLine(port);
  port.SetDeviceName("COM199");
  try {
    port.Open();
    ADD_FAILURE() << "COM199 opened";
  } catch (const serial::ECommError& error) {
    EXPECT_STREQ(error.what(), "Specified device not found (COM199).");
  }
  EXPECT_FALSE(port.Active());
}

// Against a port whose far side is zagruzchik-sim, named by ZAGRUZCHIK_TEST_PORT
// (scripts/test-windows maps COM1 to a pseudo-terminal for it): the target's hello arrives as a
// notification, and what is written comes back as its echo and the target's reply.
TEST(Win32Port, TheLineCarriesTheHelloAndEchoesWhatIsWritten) {
  const char* name = std::getenv("ZAGRUZCHIK_TEST_PORT");
  if (name == nullptr) GTEST_SKIP() << "no port with a simulated target named";
  LoopDispatcher ui;
  serial::TCommPort port(ui);
  serial::SetLoaderLine(port);
  port.SetDeviceName(name);
  std::vector<std::uint8_t> received;
  int notifications = 0;
  port.OnRxChar = [&](serial::TCommPort& sender, std::int32_t count) {
    ++notifications;
    EXPECT_GE(count, 1);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    bytes.resize(static_cast<std::size_t>(sender.ReadBuf(bytes.data(), count)));
    received.insert(received.end(), bytes.begin(), bytes.end());
  };
  port.Open();
  ASSERT_TRUE(port.Active());
  ASSERT_TRUE(ui.RunUntil([&] { return !received.empty(); }, std::chrono::seconds(10)));
  EXPECT_EQ(received, std::vector<std::uint8_t>{0x55}) << "the hello";

  const std::uint8_t sync[] = {0x55, 0x33, 0xCC};
  EXPECT_EQ(port.WriteBuf(sync, 3), 3);
  ASSERT_TRUE(ui.RunUntil([&] { return received.size() >= 5; }, std::chrono::seconds(10)));
  EXPECT_EQ(std::vector<std::uint8_t>(received.begin() + 1, received.begin() + 4),
            std::vector<std::uint8_t>(sync, sync + 3))
      << "the echo, byte for byte";
  EXPECT_GE(notifications, 2);
  port.Close();
  EXPECT_FALSE(port.Active());
}

// With ZAGRUZCHIK_TEST_PORT mapped (scripts/test-windows maps COM1), that port must be listed.
TEST(Win32Discovery, ListsOnlyTheSystemsComDevices) {
  const char* mapped = std::getenv("ZAGRUZCHIK_TEST_PORT");
  if (mapped == nullptr) GTEST_SKIP() << "no port mapped";
  const std::vector<std::string> names = serial::ListSerialPorts();
  EXPECT_NE(std::find(names.begin(), names.end(), mapped), names.end());
  for (const std::string& name : names) {
    EXPECT_EQ(name.rfind("COM", 0), 0u) << name;
    EXPECT_GT(name.size(), 3u) << name;
  }
  // Wine's ports have no device-manager entry: the description is the name, six fields.
  const serial::PortDescription description = serial::DescribeSerialPort(mapped);
  EXPECT_EQ(description.name, mapped);
  EXPECT_EQ(serial::DescriptionLine(description).rfind(std::string(mapped) + "\t", 0), 0u);
}

}  // namespace
