#include "serial/usb_instance_id.h"

#include <gtest/gtest.h>

namespace {

using serial::ParseUsbInstanceId;

// Two adapters of one kind tell apart only by their serial numbers: those the device gave,
// never the ones Windows makes up.
TEST(UsbInstanceId, GivesVendorProductAndTheDevicesOwnSerialNumber) {
  const auto ftdi = ParseUsbInstanceId("FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000");
  EXPECT_EQ(ftdi.usbId, "0403:6001");
  EXPECT_EQ(ftdi.serialNumber, "A50285BI");
  const auto cp210x = ParseUsbInstanceId("USB\\VID_10C4&PID_EA60\\0001");
  EXPECT_EQ(cp210x.usbId, "10c4:ea60");
  EXPECT_EQ(cp210x.serialNumber, "0001");
  const auto ch340 = ParseUsbInstanceId("USB\\VID_1A86&PID_7523\\5&2C0F1B4&0&3");
  EXPECT_EQ(ch340.usbId, "1a86:7523");
  EXPECT_EQ(ch340.serialNumber, "");  // made up by Windows
  const auto composite = ParseUsbInstanceId("USB\\VID_2341&PID_0043&MI_00\\6&3A2&0&0000");
  EXPECT_EQ(composite.usbId, "2341:0043");
  EXPECT_EQ(composite.serialNumber, "");
  // Not USB at all, or a malformed ID: nothing.
  EXPECT_EQ(ParseUsbInstanceId("ACPI\\PNP0501\\1").usbId, "");
  EXPECT_EQ(ParseUsbInstanceId("USB\\VID_12&PID_3").usbId, "");
  EXPECT_EQ(ParseUsbInstanceId("").serialNumber, "");
}

}  // namespace
