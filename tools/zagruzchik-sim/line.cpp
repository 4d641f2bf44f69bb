#include "line.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <utility>

namespace sim {

namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw LineError(what + ": " + std::strerror(errno));
}

}  // namespace

Line Line::CreatePty() {
  int master = -1;
  int slave = -1;
  char name[256] = {};
  // Raw from the start: bytes sent before the flasher has set up its side must not be
  // echoed or held back by the line discipline. The settings outlive our own open.
  termios settings{};
  cfmakeraw(&settings);
  settings.c_cflag |= CLOCAL | CREAD;
  if (openpty(&master, &slave, name, &settings, nullptr) != 0) Fail("openpty");
  // Holding the slave open would hide the flasher's hang-up from us.
  close(slave);
  const int flags = fcntl(master, F_GETFL);
  if (flags < 0 || fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0 ||
      fcntl(master, F_SETFD, FD_CLOEXEC) != 0) {
    const int saved = errno;
    close(master);
    errno = saved;
    Fail("pseudo-terminal setup");
  }
  return Line(master, name);
}

Line Line::OpenDevice(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) Fail("cannot open " + path);
  Line line(fd, "");
  SetLoaderLineSettings(fd, path);
  return line;
}

Line::Line(Line&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), peerPath_(std::move(other.peerPath_)) {}

Line::~Line() {
  if (fd_ >= 0) close(fd_);
}

// The master reports POLLHUP for as long as nobody has the slave open.
bool Line::HasPeer() const {
  pollfd entry{fd_, POLLIN, 0};
  if (poll(&entry, 1, 0) < 0 && errno != EINTR) Fail("poll");
  return !(entry.revents & POLLHUP);
}

// There is no event for the opening itself, so look again every few milliseconds.
void Line::WaitForPeer() const {
  const timespec pause{0, 2'000'000};
  while (!HasPeer()) nanosleep(&pause, nullptr);
}

void Line::HangUp() {
  if (fd_ >= 0) close(std::exchange(fd_, -1));
}

}  // namespace sim
