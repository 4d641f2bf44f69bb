#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "serial/port_kinds.h"
#include "support/comm_error_of.h"
#include "support/pty_pair.h"

using namespace serial;

TEST(PortKinds, OnlyANameThatBeginsWithASchemeIsTakenForAKind) {
  for (const char* device : {"ttyUSB0", "/dev/ttyUSB0", "COM3", "\\\\.\\COM12", "pts/3",
                             "/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0", "://x",
                             "1ab://x", "a b://x", "dir/x://y"}) {
    EXPECT_EQ(SchemeOf(device), std::nullopt) << device;
  }
  EXPECT_EQ(SchemeOf("RFC2217://[::1]:4001"), "rfc2217");
  EXPECT_EQ(SchemeOf("socket://host:1"), "socket");
  EXPECT_EQ(SchemeOf("x-y.z+1://a"), "x-y.z+1");
}

// A file that a device lookup would find and open: "nosuch://x" is the relative path
// nosuch:/x, here a link to a pseudo-terminal. An unknown kind must not reach it.
TEST(PortKinds, AnUnknownKindIsRefusedWithTheKindsThereAreAndNoFileIsLookedUp) {
  PtyPair pty;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("port-kinds-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder / "nosuch:");
  std::filesystem::create_symlink(pty.SlavePath(), folder / "nosuch:" / "x");
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  // The same link as a device name opens: the refusal below is the scheme's doing.
  EXPECT_EQ(CommErrorOf([] { OpenCommDevice("nosuch:/x"); }), "");

  std::string expected =
      "Can't open specified device nosuch://x (unknown kind of port "
      "\"nosuch://\"; a port is a serial device's name or path";
  for (const PortKind& kind : PortKinds()) expected += ", " + std::string(kind.form);
  EXPECT_EQ(CommErrorOf([] { OpenCommDevice("nosuch://x"); }), expected + ")");
  EXPECT_EQ(CommErrorOf([] { OpenCommDevice("NoSuch://x"); }),
            "Can't open specified device NoSuch://x" + expected.substr(expected.find(" (")) + ")");

  std::filesystem::current_path(before);
  std::filesystem::remove_all(folder);
}
