// termios2 lives in the kernel's headers, which clash with <termios.h>: keep it alone here.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>

#include "line.h"

namespace sim {

namespace {

constexpr unsigned kBitRate = 10400;  // not a standard rate: needs BOTHER

}  // namespace

void SetLoaderLineSettings(int fd, const std::string& path) {
  termios2 settings{};
  settings.c_cflag = CS8 | CREAD | CLOCAL | BOTHER | (BOTHER << IBSHIFT);
  settings.c_ispeed = kBitRate;
  settings.c_ospeed = kBitRate;
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
  if (ioctl(fd, TCSETS2, &settings) != 0)
    throw LineError("cannot set up " + path + ": " + std::strerror(errno));
  termios2 actual{};
  if (ioctl(fd, TCGETS2, &actual) != 0)
    throw LineError("cannot read back the settings of " + path + ": " + std::strerror(errno));
  if (actual.c_ospeed != kBitRate || actual.c_ispeed != kBitRate)
    throw LineError(path + " runs at " + std::to_string(actual.c_ospeed) + " bit/s, not 10400");
}

}  // namespace sim
