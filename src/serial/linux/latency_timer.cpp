#include "serial/linux/latency_timer.h"

#include <fstream>
#include <string>

namespace serial::linux_tty {

int ReadLatencyTimer(const std::filesystem::path& sysfsRoot, unsigned major, unsigned minor) {
  std::ifstream file(sysfsRoot / "dev" / "char" /
                     (std::to_string(major) + ":" + std::to_string(minor)) / "device" /
                     "latency_timer");
  int ms = -1;
  if (!(file >> ms) || ms < 0) return -1;
  return ms;
}

}  // namespace serial::linux_tty
