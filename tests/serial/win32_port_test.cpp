// The Win32 device and discovery, under Wine; the exchanges on a real line are the end-to-end
// flasher's (scripts/test-windows).
#include <gtest/gtest.h>

#include "serial/comm_error.h"
#include "serial/comm_port.h"
#include "serial/discovery.h"
#include "serial/loader_line.h"
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

TEST(Win32Discovery, ListsOnlyTheSystemsComDevices) {
  for (const std::string& name : serial::ListSerialPorts()) {
    EXPECT_EQ(name.rfind("COM", 0), 0u) << name;
    EXPECT_GT(name.size(), 3u) << name;
  }
}

}  // namespace
