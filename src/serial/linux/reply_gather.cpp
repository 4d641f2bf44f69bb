#include "serial/linux/reply_gather.h"

#include <poll.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace serial::linux_tty {

namespace {

// Bytes queued, or -errno.
int Queued(int port) {
  int count = 0;
  return ::ioctl(port, FIONREAD, &count) == 0 ? count : -errno;
}

// Waits the time on wake and again alone (never on the port, whose every byte would end it);
// true when either was signalled.
bool Signalled(int wake, int again, std::chrono::microseconds time) {
  pollfd p[2] = {{wake, POLLIN, 0}, {again, POLLIN, 0}};
  const timespec ts{static_cast<time_t>(time.count() / 1000000),
                    static_cast<long>(time.count() % 1000000) * 1000};
  for (;;) {
    const int r = ::ppoll(p, 2, &ts, nullptr);
    if (r < 0 && errno == EINTR) continue;
    return r != 0;
  }
}

}  // namespace

int GatherReply(int port, int wake, int again, std::int32_t awaited,
                std::chrono::microseconds byteTime) {
  int queued = Queued(port);
  if (queued < 0) return -queued;
  // First a short look: a single byte that no more follow (a wrong reply without an echo)
  // goes on after the quiet time; a reply under way shows more bytes by then.
  std::chrono::microseconds wait = byteTime * kQuietBytes;
  while (queued < awaited) {
    if (Signalled(wake, again, wait)) return -1;
    const int now = Queued(port);
    if (now < 0) return -now;
    if (now == queued) break;  // quiet for the whole wait
    queued = now;
    // The rest at the line's rate, and the quiet time after it for a reply that stops short.
    wait = byteTime * (awaited - queued + kQuietBytes);
  }
  return 0;
}

}  // namespace serial::linux_tty
