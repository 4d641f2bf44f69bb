#pragma once

#include <filesystem>

namespace serial::linux_tty {

// The latency timer (ms) of the USB serial adapter behind the character device major:minor, as
// sysfs below sysfsRoot shows it (ftdi_sio has one); -1 when the device has none.
int ReadLatencyTimer(const std::filesystem::path& sysfsRoot, unsigned major, unsigned minor);

}  // namespace serial::linux_tty
