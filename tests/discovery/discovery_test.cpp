#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "serial/discovery.h"
#include "serial/linux/discovery_sysfs.h"
#include "serial/linux/latency_timer.h"
#include "serial/linux/port_details.h"

namespace {

namespace fs = std::filesystem;
using serial::linux_tty::ListSysfsSerialPorts;
using Names = std::vector<std::string>;

// A sysfs look-alike: class/tty/NAME links to devices/.../tty/NAME, as the kernel lays it out.
class FakeSysfs : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::path(::testing::TempDir()) / "sysfs.XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    fs::create_directories(root_ / "class" / "tty");
  }
  void TearDown() override { fs::remove_all(root_); }

  // device_dir empty: a virtual tty. uart_type empty: no "type" attribute.
  void AddTty(const std::string& name, const std::string& device_dir,
              const std::string& uart_type = "") {
    const fs::path parent = device_dir.empty() ? fs::path("devices/virtual") : fs::path(device_dir);
    const fs::path node = root_ / parent / "tty" / name;
    fs::create_directories(node);
    if (!device_dir.empty()) {
      fs::create_directories(root_ / device_dir);
      fs::create_directory_symlink(fs::relative(root_ / device_dir, node), node / "device");
    }
    if (!uart_type.empty()) std::ofstream(node / "type") << uart_type << "\n";
    fs::create_directory_symlink(fs::relative(node, root_ / "class" / "tty"),
                                 root_ / "class" / "tty" / name);
  }

  // The listing order of class/tty itself, for checking that discovery keeps it.
  Names DirectoryOrder(const Names& wanted) const {
    Names order;
    for (const auto& entry : fs::directory_iterator(root_ / "class" / "tty")) {
      const std::string name = entry.path().filename().string();
      if (std::find(wanted.begin(), wanted.end(), name) != wanted.end()) order.push_back(name);
    }
    return order;
  }

  fs::path root_;
};

TEST_F(FakeSysfs, ListsUsbAcmAndFittedUartsButNoVirtualTtysOrEmptySlots) {
  AddTty("tty0", "");
  AddTty("console", "");
  AddTty("ptmx", "");
  AddTty("ttyUSB0", "devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/ttyUSB0");
  AddTty("ttyACM0", "devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0");
  AddTty("ttyS0", "devices/pnp0/00:05", "4");
  AddTty("ttyS1", "devices/platform/serial8250", "0");
  AddTty("ttyS2", "devices/platform/serial8250", "0");
  AddTty("ttyS3", "devices/platform/serial8250", "0");
  AddTty("ttyAMA0", "devices/platform/fe201000.serial", "91");

  const Names present = {"ttyUSB0", "ttyACM0", "ttyS0", "ttyAMA0"};
  EXPECT_EQ(ListSysfsSerialPorts(root_), DirectoryOrder(present));
}

TEST_F(FakeSysfs, OnlyAReadableZeroTypeOrNoDeviceBehindTheLinkDropsAnEntry) {
  AddTty("ttyS4", "devices/pnp0/00:06", "garbage");
  AddTty("ttyS5", "devices/pnp0/00:07");
  fs::create_directory(root_ / "devices/pnp0/00:07/tty/ttyS5/type");
  AddTty("ttyUSB1", "devices/usb2/2-1");
  fs::remove_all(root_ / "devices/usb2");
  EXPECT_EQ(ListSysfsSerialPorts(root_), DirectoryOrder({"ttyS4", "ttyS5"}));
}

TEST_F(FakeSysfs, MissingOrUnreadableTreeGivesAnEmptyList) {
  EXPECT_TRUE(ListSysfsSerialPorts(root_ / "nowhere").empty());
  EXPECT_TRUE(ListSysfsSerialPorts(root_).empty());  // class/tty holds nothing

  fs::remove_all(root_ / "class" / "tty");
  std::ofstream(root_ / "class" / "tty") << "not a folder";
  EXPECT_TRUE(ListSysfsSerialPorts(root_).empty());
  EXPECT_TRUE(ListSysfsSerialPorts("").empty());
}

// dev/char/MAJOR:MINOR links to the tty, whose "device" is the usb-serial port with the
// adapter's latency timer (ftdi_sio), as the kernel lays it out.
TEST_F(FakeSysfs, LatencyTimerIsReadFromTheUsbSerialPortBehindTheCharacterDevice) {
  AddTty("ttyUSB0", "devices/usb1/1-1/1-1:1.0/ttyUSB0");
  AddTty("ttyACM0", "devices/usb1/1-2/1-2:1.0");
  fs::create_directories(root_ / "dev" / "char");
  const fs::path usb0 = root_ / "devices/usb1/1-1/1-1:1.0/ttyUSB0/tty/ttyUSB0";
  fs::create_directory_symlink(fs::relative(usb0, root_ / "dev" / "char"),
                               root_ / "dev" / "char" / "188:0");
  const fs::path acm0 = root_ / "devices/usb1/1-2/1-2:1.0/tty/ttyACM0";
  fs::create_directory_symlink(fs::relative(acm0, root_ / "dev" / "char"),
                               root_ / "dev" / "char" / "166:0");
  std::ofstream(root_ / "devices/usb1/1-1/1-1:1.0/ttyUSB0/latency_timer") << "16\n";

  EXPECT_EQ(serial::linux_tty::ReadLatencyTimer(root_, 188, 0), 16);
  EXPECT_EQ(serial::linux_tty::ReadLatencyTimer(root_, 166, 0), -1);  // ACM: no timer
  EXPECT_EQ(serial::linux_tty::ReadLatencyTimer(root_, 4, 64), -1);   // no such device
  std::ofstream(root_ / "devices/usb1/1-1/1-1:1.0/ttyUSB0/latency_timer") << "fast\n";
  EXPECT_EQ(serial::linux_tty::ReadLatencyTimer(root_, 188, 0), -1);
}

// The USB device above the port carries the ids and strings; by-id links are matched by where
// they lead, whatever their own names say.
TEST_F(FakeSysfs, APortIsDescribedByItsUsbDeviceAndTheLinksThatLeadToIt) {
  const std::string usb = "devices/pci0000:00/0000:00:14.0/usb1/1-1";
  AddTty("ttyUSB0", usb + "/1-1:1.0/ttyUSB0");
  AddTty("ttyS0", "devices/pnp0/00:05", "4");
  for (const auto& [name, value] :
       std::vector<std::pair<const char*, const char*>>{{"idVendor", "0403"},
                                                        {"idProduct", "6001"},
                                                        {"manufacturer", "FTDI"},
                                                        {"product", "FT232R USB UART"},
                                                        {"serial", "A50285BI"}})
    std::ofstream(root_ / usb / name) << value << "\n";
  const fs::path dev = root_ / "dev";
  fs::create_directories(dev / "serial" / "by-id");
  std::ofstream(dev / "ttyUSB0");
  std::ofstream(dev / "ttyS0");
  fs::create_symlink("../../ttyUSB0",
                     dev / "serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
  fs::create_symlink("../../ttyS0", dev / "serial/by-id/pci-other");

  const serial::PortDescription usb0 = serial::linux_tty::DescribeSysfsPort(root_, dev, "ttyUSB0");
  EXPECT_EQ(usb0.usbId, "0403:6001");
  EXPECT_EQ(serial::DescriptionLine(usb0),
            "ttyUSB0\t0403:6001\tFTDI\tFT232R USB UART\tA50285BI\t" +
                (dev / "serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0").string());

  // No USB device above it: no ids, and the search stops at the top of sysfs.
  std::ofstream(root_ / "idVendor") << "dead\n";
  std::ofstream(root_ / "idProduct") << "beef\n";
  const serial::PortDescription s0 = serial::linux_tty::DescribeSysfsPort(root_, dev, "ttyS0");
  EXPECT_EQ(serial::DescriptionLine(s0),
            "ttyS0\t\t\t\t\t" + (dev / "serial/by-id/pci-other").string());
  EXPECT_EQ(serial::DescriptionLine(serial::linux_tty::DescribeSysfsPort(root_, dev, "ttyX")),
            "ttyX\t\t\t\t\t");
}

// The guest tests (tests/guest) check that discovery finds real ports on real drivers; here,
// whatever this machine has.
TEST(ListSerialPorts, EveryNameOnThisMachineIsAPortWithADevice) {
  const std::vector<std::string> names = serial::ListSerialPorts();
  if (names.empty()) GTEST_SKIP() << "no serial port on this machine";
  for (const std::string& name : names) {
    EXPECT_TRUE(fs::exists(fs::path("/sys/class/tty") / name / "device")) << name;
    EXPECT_EQ(name.find('/'), std::string::npos) << name;
  }
}

}  // namespace
