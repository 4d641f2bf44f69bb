#include "serial/linux/reply_gather.h"

#include <poll.h>
#include <sys/ioctl.h>

#include <algorithm>
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

Gathered GatherReply(int port, int wake, int again, std::int32_t awaited,
                     std::chrono::microseconds byteTime, std::chrono::microseconds* quietTime,
                     int* error) {
  int queued = Queued(port);
  // An adapter that hands bytes on in groups (its latency timer) is quiet between them: the
  // first group's size tells how long a quiet stretch must be to mean the reply has ended.
  const int group = std::clamp(queued, 1, kLongestWaitBytes);
  *quietTime = byteTime * (kQuietBytes + (group > 1 ? group : 0));
  const std::int32_t head = awaited - kTailBytes;
  // First a short look: a single byte that no more follow (a wrong reply without an echo)
  // goes on after the quiet time; a reply under way shows more bytes by then.
  std::chrono::microseconds wait = *quietTime;
  std::chrono::microseconds quiet{0};
  for (;;) {
    if (queued < 0) {
      *error = -queued;
      return Gathered::Failed;
    }
    if (queued >= awaited) return Gathered::Complete;
    if (queued >= head) return Gathered::Tail;
    if (Signalled(wake, again, wait)) return Gathered::Signalled;
    const int now = Queued(port);
    quiet = now == queued ? quiet + wait : std::chrono::microseconds(0);
    if (quiet >= *quietTime) return Gathered::Quiet;
    queued = now;
    // Until the head of the reply should be in, at the line's rate; a look at least every so
    // often, for a driver whose queue fills before that.
    wait = byteTime * std::clamp(head - std::max(queued, 0), 1, kLongestWaitBytes);
  }
}

}  // namespace serial::linux_tty
