// What the device manager keeps of an FTDI adapter's port, under Wine: an entry as FTDI's
// driver makes it is registered for the test's port and removed again.
// clang-format off
#include <windows.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "serial/comm_port.h"
#include "serial/discovery.h"
#include "serial/loader_link.h"
#include "support/loop_dispatcher.h"

namespace {

// A port entry in the device manager, as FTDI's driver leaves one: friendly name, maker, the
// instance ID with the adapter's serial number, and in the device's key the port's name and
// the latency timer.
class RegisteredAdapter : public ::testing::Test {
 protected:
  void Register(const std::string& port, DWORD latencyTimer) {
    devices_ = SetupDiCreateDeviceInfoList(&GUID_DEVCLASS_PORTS, nullptr);
    ASSERT_NE(devices_, INVALID_HANDLE_VALUE);
    device_.cbSize = sizeof device_;
    ASSERT_TRUE(SetupDiCreateDeviceInfoW(devices_, L"FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000",
                                         &GUID_DEVCLASS_PORTS, nullptr, nullptr, 0, &device_))
        << GetLastError();
    ASSERT_TRUE(SetupDiRegisterDeviceInfo(devices_, &device_, 0, nullptr, nullptr, nullptr))
        << GetLastError();
    registered_ = true;
    const std::wstring friendly =
        L"USB Serial Port (" + std::wstring(port.begin(), port.end()) + L")";
    SetText(SPDRP_FRIENDLYNAME, friendly);
    SetText(SPDRP_MFG, L"FTDI");
    const HKEY key = SetupDiCreateDevRegKeyW(devices_, &device_, DICS_FLAG_GLOBAL, 0, DIREG_DEV,
                                             nullptr, nullptr);
    ASSERT_NE(key, INVALID_HANDLE_VALUE) << GetLastError();
    const std::wstring name(port.begin(), port.end());
    RegSetValueExW(key, L"PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                   static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)));
    RegSetValueExW(key, L"LatencyTimer", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&latencyTimer),
                   sizeof latencyTimer);
    RegCloseKey(key);
  }

  void TearDown() override {
    if (registered_) SetupDiRemoveDevice(devices_, &device_);
    if (devices_ != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(devices_);
  }

 private:
  void SetText(DWORD property, const std::wstring& text) {
    ASSERT_TRUE(SetupDiSetDeviceRegistryPropertyW(
        devices_, &device_, property, reinterpret_cast<const BYTE*>(text.c_str()),
        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))))
        << GetLastError();
  }

  HDEVINFO devices_ = INVALID_HANDLE_VALUE;
  SP_DEVINFO_DATA device_{};
  bool registered_ = false;
};

TEST_F(RegisteredAdapter, DescribesThePortAsTheDeviceManagerKnowsIt) {
  Register("COM197", 16);
  const serial::PortDescription described = serial::DescribeSerialPort("COM197");
  EXPECT_EQ(described.product, "USB Serial Port (COM197)");
  EXPECT_EQ(described.manufacturer, "FTDI");
  EXPECT_EQ(described.usbId, "0403:6001");
  EXPECT_EQ(described.serialNumber, "A50285BI");
  EXPECT_EQ(serial::DescribeSerialPort("COM196").product, "") << "another port's entry";
}

// The opened port tells the adapter's latency timer from its entry (-1 without one), by
// either of the port's names.
TEST_F(RegisteredAdapter, TheOpenedPortTellsTheAdaptersLatencyTimer) {
  const char* name = std::getenv("ZAGRUZCHIK_TEST_PORT");
  if (name == nullptr) GTEST_SKIP() << "no port with a simulated target named";
  LoopDispatcher ui;
  serial::TCommPort port(ui);
  serial::SetLoaderLine(port);
  port.SetDeviceName(name);
  port.Open();
  EXPECT_EQ(port.Latency().timerMs, -1) << "a port without an entry";
  port.Close();

  Register(name, 16);
  port.Open();
  EXPECT_EQ(port.Latency().timerMs, 16);
  EXPECT_FALSE(port.Latency().lowLatency);
  port.Close();
  port.SetDeviceName("\\\\.\\" + std::string(name));
  port.Open();
  EXPECT_EQ(port.Latency().timerMs, 16);
  port.Close();
}

}  // namespace
