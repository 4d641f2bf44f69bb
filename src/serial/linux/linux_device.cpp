#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <optional>
#include <utility>

#include "serial/comm_device.h"
#include "serial/comm_error.h"
#include "serial/linux/descriptor.h"
#include "serial/linux/latency_timer.h"
#include "serial/linux/reply_gather.h"
#include "serial/linux/termios2.h"
#include "serial/linux/uucp_lock.h"
#include "serial/rate_tolerance.h"

namespace serial {

namespace {

using Clock = std::chrono::steady_clock;

// A name with a "/" is a path; any other (COM3, ttyUSB0) is a device under /dev.
std::string DevicePath(const std::string& name) {
  return name.find('/') != std::string::npos ? name : "/dev/" + name;
}

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Pseudo-terminals and adapters without modem lines refuse the modem-line ioctls.
bool NoModemLines(int error) {
  return error == ENOTTY || error == EINVAL;
}

using linux_tty::Descriptor;
using linux_tty::Signal;

class LinuxDevice : public CommDevice {
 public:
  LinuxDevice(linux_tty::UucpLock lock, Descriptor fd, Descriptor wakeFd, Descriptor againFd,
              Descriptor epollFd)
      : uucpLock_(std::move(lock)),
        fd_(std::move(fd)),
        wakeFd_(std::move(wakeFd)),
        againFd_(std::move(againFd)),
        epollFd_(std::move(epollFd)) {}

  // Whatever is still queued for the line is discarded, so close(2) does not wait for the
  // driver to drain it (up to 30 s on a stalled USB adapter) and no stale byte follows later.
  // Only the opening that holds the port touches it here: a refused one leaves the holder alone.
  ~LinuxDevice() override {
    if (!exclusive_) return;
    ::tcflush(fd_.get(), TCOFLUSH);
    // As the port was before: a terminal opened by mistake (--port /dev/tty) is not left raw.
    if (savedLine_.valid) linux_tty::RestoreLine(fd_.get(), savedLine_);
    if (serialFlagsChanged_) {
      serial_struct info{};
      if (::ioctl(fd_.get(), TIOCGSERIAL, &info) == 0) {
        info.flags = savedSerialFlags_;
        ::ioctl(fd_.get(), TIOCSSERIAL, &info);
      }
    }
    ::ioctl(fd_.get(), TIOCNXCL);
  }

  // The kernel raises DTR and RTS inside open(2); the first thing after it lowers them again, so
  // a target that resets on either line sees the shortest pulse there can be. A failure shows
  // again, and is reported, when the line settings are applied.
  void LowerModemLines() {
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd_.get(), TIOCMBIC, &lines);
  }

  // The lock stops another program that holds the port (and locks it, as we do); TIOCEXCL then
  // keeps later opens out, except a privileged one's. Only the lock's holder may lift TIOCEXCL
  // again. 0 or the errno of the failure.
  int TakeExclusive() {
    // Another opener of ours (as root, which TIOCEXCL lets through) holds the lock.
    if (::flock(fd_.get(), LOCK_EX | LOCK_NB) != 0) return errno == EWOULDBLOCK ? EBUSY : errno;
    if (::ioctl(fd_.get(), TIOCEXCL) != 0) return errno;
    exclusive_ = true;
    linux_tty::SaveLine(fd_.get(), savedLine_);
    return 0;
  }

  // Edge-triggered: a wait returns for bytes that arrived since the last one, not for bytes a
  // handler chose to leave unread, so such a handler cannot make the event thread spin.
  // 0 or the errno of the failure.
  int Watch() {
    epoll_event port{};
    port.events = EPOLLIN | EPOLLET;
    port.data.fd = fd_.get();
    epoll_event stop{};
    stop.events = EPOLLIN;
    stop.data.fd = wakeFd_.get();
    epoll_event again{};
    again.events = EPOLLIN;
    again.data.fd = againFd_.get();
    if (::epoll_ctl(epollFd_.get(), EPOLL_CTL_ADD, fd_.get(), &port) != 0 ||
        ::epoll_ctl(epollFd_.get(), EPOLL_CTL_ADD, wakeFd_.get(), &stop) != 0 ||
        ::epoll_ctl(epollFd_.get(), EPOLL_CTL_ADD, againFd_.get(), &again) != 0) {
      return errno;
    }
    // Line errors wake nobody here; the driver counts them, and the error check reports what
    // it counted since the port was opened.
    haveCounts_ = ::ioctl(fd_.get(), TIOCGICOUNT, &counts_) == 0;
    return 0;
  }

  // USB adapters otherwise hold received bytes back for up to their latency timer (16 ms by
  // default). Drivers without the flag refuse it, which changes nothing; Close restores it.
  void RequestLowLatency() {
    serial_struct info{};
    if (::ioctl(fd_.get(), TIOCGSERIAL, &info) != 0) return;
    if (!(info.flags & ASYNC_LOW_LATENCY)) {
      const int saved = info.flags;
      info.flags |= ASYNC_LOW_LATENCY;
      if (::ioctl(fd_.get(), TIOCSSERIAL, &info) != 0) return;
      savedSerialFlags_ = saved;
      serialFlagsChanged_ = true;
    }
    // Believe only what the driver reports back.
    if (::ioctl(fd_.get(), TIOCGSERIAL, &info) == 0)
      latency_.lowLatency = (info.flags & ASYNC_LOW_LATENCY) != 0;
    struct stat st {};
    if (::fstat(fd_.get(), &st) == 0)
      latency_.timerMs = linux_tty::ReadLatencyTimer("/sys", major(st.st_rdev), minor(st.st_rdev));
  }

  void ApplyLine(const TLineSettings& line) override {
    linux_tty::LineRates rates;
    if (const int error = linux_tty::SetRawLine(fd_.get(), line, rates)) {
      RaiseCommError("Error writing dcb (%d), %s", error);
    }
    CheckRateReadBack(line.BaudRate, rates.input, rates.output);
    // A character on the line: start bit, data bits, parity bit, stop bits (1.5 counts as 2).
    const int bits = 1 + 4 + static_cast<int>(line.Databits) +
                     (line.Parity == TParity::paNone ? 0 : 1) +
                     (line.Stopbits == TStopbits::sb1 ? 1 : 2);
    if (line.BaudRate > 0)
      byteTime_.store(1000000LL * bits / line.BaudRate, std::memory_order_relaxed);
    const TFlowControl& flow = line.FlowControl;
    int raise = 0;
    int lower = 0;
    (flow.ControlDtr != TDtrControl::dtrDisabled ? raise : lower) |= TIOCM_DTR;
    (flow.ControlRts != TRtsControl::rtsDisabled ? raise : lower) |= TIOCM_RTS;
    if (raise) ChangeModemLines(TIOCMBIS, raise);
    if (lower) ChangeModemLines(TIOCMBIC, lower);
  }

  LineLatency Latency() const override { return latency_; }

  void SetupBuffers(std::int32_t readSize, std::int32_t writeSize) override {
    // The driver's queues have fixed sizes here; only sizes no queue could have are refused.
    if (readSize <= 0 || writeSize <= 0)
      RaiseCommError("Error initializing buffers (%d), %s", EINVAL);
  }

  std::int32_t BytesWaiting() override {
    int count = 0;
    if (::ioctl(fd_.get(), FIONREAD, &count) != 0) {
      RaiseCommError("Error retrieving statistics (%d), %s", errno);
    }
    return count;
  }

  std::uint32_t TakeLineErrors() override {
    BytesWaiting();
    serial_icounter_struct counts{};
    if (!haveCounts_ || ::ioctl(fd_.get(), TIOCGICOUNT, &counts) != 0) return 0;
    std::uint32_t errors = 0;
    if (counts.frame != counts_.frame) errors |= kCeFrame;
    if (counts.overrun != counts_.overrun) errors |= kCeOverrun;
    if (counts.parity != counts_.parity) errors |= kCeRxParity;
    if (counts.brk != counts_.brk) errors |= kCeBreak;
    if (counts.buf_overrun != counts_.buf_overrun) errors |= kCeRxOver;
    counts_ = counts;
    return errors;
  }

  std::int32_t Read(std::uint8_t* buffer, std::int32_t count, std::chrono::milliseconds firstByte,
                    std::chrono::milliseconds gap) override {
    const auto deadline = Clock::now() + firstByte;
    std::int32_t got = 0;
    while (got < count) {
      const ssize_t n = ::read(fd_.get(), buffer + got, static_cast<std::size_t>(count - got));
      if (n > 0) {
        got += static_cast<std::int32_t>(n);
        continue;
      }
      if (n == 0) break;  // hung up: nothing more will come
      if (errno == EINTR) continue;
      if (errno != EAGAIN) RaiseCommError("Read error (%d), %s", errno);
      // Nothing waiting: wait up to the deadline for a first byte, then up to gap for each
      // further one (never past the deadline, so a steady stream cannot hold us).
      const int wait = got == 0 ? RemainingMs(deadline)
                                : std::min(RemainingMs(deadline), static_cast<int>(gap.count()));
      if (wait == 0) break;
      pollfd p{fd_.get(), POLLIN, 0};
      const int r = ::poll(&p, 1, wait);
      if (r == 0 || (r > 0 && !(p.revents & POLLIN))) break;
    }
    return got;
  }

  Event WaitEvent() override {
    for (;;) {
      epoll_event events[3];
      const int n = ::epoll_wait(epollFd_.get(), events, 3, -1);
      if (n < 0) {
        if (errno == EINTR) continue;
        return Event::Woken;  // cannot wait any more; only Close can follow
      }
      bool received = false;
      bool failed = false;
      bool fromPort = false;
      for (int i = 0; i < n; ++i) {
        if (events[i].data.fd == wakeFd_.get()) return Event::Woken;
        if (events[i].data.fd == againFd_.get()) {
          std::uint64_t count;
          [[maybe_unused]] const ssize_t r = ::read(againFd_.get(), &count, sizeof count);
          received = true;
          continue;
        }
        if (events[i].events & (EPOLLHUP | EPOLLERR)) failed = true;
        if (events[i].events & EPOLLIN) received = fromPort = true;
      }
      if (failed) return Event::LineFailed;
      if (fromPort) {
        // A packet's echo and reply come in as one notification, not one per byte.
        if (const std::optional<Event> event = GatherAwaited()) return *event;
      }
      if (received) return Event::Received;
    }
  }

  void Await(std::int32_t count) override { awaited_.store(count, std::memory_order_relaxed); }

  // The bytes the reader awaits, gathered after the first of them came: counted at the line's
  // rate, the last few waited for as they come, or the quiet after a short reply. Nothing
  // when no more than a byte is awaited (each arrival is reported, as for the hello).
  std::optional<Event> GatherAwaited() {
    const std::int32_t awaited = awaited_.load(std::memory_order_relaxed);
    if (awaited <= 1) return std::nullopt;
    const std::chrono::microseconds byteTime(byteTime_.load(std::memory_order_relaxed));
    int error = 0;
    std::chrono::microseconds quietTime{0};
    const linux_tty::Gathered gathered = linux_tty::GatherReply(
        fd_.get(), wakeFd_.get(), againFd_.get(), awaited, byteTime, &quietTime, &error);
    if (gathered == linux_tty::Gathered::Failed) return Event::LineFailed;
    if (gathered == linux_tty::Gathered::Tail) return WaitForTail(awaited, quietTime);
    // The bytes that came meanwhile left the port ready: that news is taken here, so that the
    // next wait does not wake for bytes already reported.
    if (const std::optional<Event> event = TakeReadiness(0)) return *event;
    return Event::Received;
  }

  // The reply's last bytes, one wake-up each, until all are in or the line is quiet.
  Event WaitForTail(std::int32_t awaited, std::chrono::microseconds quietTime) {
    const int quietMs =
        static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(quietTime).count());
    for (;;) {
      if (const std::optional<Event> event = TakeReadiness(quietMs)) return *event;
      if (tailQuiet_) return Event::Received;
      int queued = 0;
      if (::ioctl(fd_.get(), FIONREAD, &queued) != 0) return Event::LineFailed;
      if (queued >= awaited) return Event::Received;
    }
  }

  // What comes on the descriptors within timeoutMs (what came while nobody waited, for 0):
  // Woken, LineFailed, or nothing for bytes (and Renotify), which go with the gathered ones;
  // tailQuiet_ tells whether nothing came at all.
  std::optional<Event> TakeReadiness(int timeoutMs) {
    epoll_event events[3];
    int n;
    while ((n = ::epoll_wait(epollFd_.get(), events, 3, timeoutMs)) < 0 && errno == EINTR) {
    }
    tailQuiet_ = n <= 0;
    for (int i = 0; i < n; ++i) {
      if (events[i].data.fd == wakeFd_.get()) return Event::Woken;
      if (events[i].data.fd == againFd_.get()) {
        std::uint64_t count;
        [[maybe_unused]] const ssize_t r = ::read(againFd_.get(), &count, sizeof count);
      } else if (events[i].events & (EPOLLHUP | EPOLLERR)) {
        return Event::LineFailed;
      }
    }
    return std::nullopt;
  }

  // A hang-up or an error on the descriptor: no more is known of it than that.
  int LineFailure() const override { return EIO; }

  void StopWatching() override { ::epoll_ctl(epollFd_.get(), EPOLL_CTL_DEL, fd_.get(), nullptr); }

  std::ptrdiff_t Write(const std::uint8_t* data, std::size_t n) override {
    for (;;) {
      const ssize_t written = ::write(fd_.get(), data, n);
      if (written > 0) return written;
      if (written < 0 && errno == EINTR) continue;
      if (written < 0 && errno != EAGAIN) return -errno;
      pollfd p[2] = {{fd_.get(), POLLOUT, 0}, {wakeFd_.get(), POLLIN, 0}};
      if (::poll(p, 2, -1) < 0) {
        if (errno == EINTR) continue;
        return -errno;
      }
      if (p[1].revents) return 0;
      if ((p[0].revents & (POLLHUP | POLLERR)) && !(p[0].revents & POLLOUT)) return -EIO;
    }
  }

  void Renotify() override { Signal(againFd_.get()); }
  void Wake() override { Signal(wakeFd_.get()); }

 private:
  void ChangeModemLines(unsigned long request, int lines) {
    if (::ioctl(fd_.get(), request, &lines) != 0 && !NoModemLines(errno)) {
      RaiseCommError("Error writing dcb (%d), %s", errno);
    }
  }

  linux_tty::UucpLock uucpLock_;  // released after the descriptor is closed
  Descriptor fd_;
  Descriptor wakeFd_;
  Descriptor againFd_;
  Descriptor epollFd_;
  serial_icounter_struct counts_{};
  bool haveCounts_ = false;  // the driver keeps line-error counters
  bool exclusive_ = false;
  bool serialFlagsChanged_ = false;
  linux_tty::SavedLine savedLine_;
  int savedSerialFlags_ = 0;
  LineLatency latency_;
  std::atomic<std::int32_t> awaited_{0};
  bool tailQuiet_ = false;  // event thread
  // One character's time on the line, in microseconds.
  std::atomic<long long> byteTime_{1000};
};

[[noreturn]] void RaiseOpenError(const std::string& name, int error) {
  if (error == ENOENT) throw ECommError("Specified device not found (" + name + ").");
  throw ECommError("Can't open specified device " + name + " (Error " + std::to_string(error) +
                   ", " + SystemErrorText(error) + ")");
}

}  // namespace

std::unique_ptr<CommDevice> OpenSystemDevice(const std::string& name) {
  Descriptor wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  Descriptor again(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  Descriptor epoll(::epoll_create1(EPOLL_CLOEXEC));
  if (wake.get() < 0 || again.get() < 0 || epoll.get() < 0) RaiseOpenError(name, errno);
  // A terminal program's lock is honoured before the device is touched at all.
  linux_tty::UucpLock lock;
  if (const int error = lock.Take(DevicePath(name))) RaiseOpenError(name, error);
  Descriptor fd(::open(DevicePath(name).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) RaiseOpenError(name, errno);
  auto device = std::make_unique<LinuxDevice>(std::move(lock), std::move(fd), std::move(wake),
                                              std::move(again), std::move(epoll));
  device->LowerModemLines();
  if (const int error = device->TakeExclusive()) RaiseOpenError(name, error);
  device->RequestLowLatency();
  if (const int error = device->Watch()) RaiseOpenError(name, error);
  return device;
}

}  // namespace serial
