#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "serial/linux/descriptor.h"
#include "serial/net/net_socket.h"

namespace serial {

namespace {

using Fd = linux_tty::Descriptor;
using linux_tty::Signal;

// One address tried within the time left; the socket, or -1 with errno set.
int ConnectOne(const addrinfo& address, std::chrono::steady_clock::time_point deadline) {
  Fd fd(::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                 address.ai_protocol));
  if (fd.get() < 0) return -1;
  if (::connect(fd.get(), address.ai_addr, address.ai_addrlen) != 0) {
    if (errno != EINPROGRESS) return -1;
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{fd.get(), POLLOUT, 0};
    const int r = ::poll(&p, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
    if (r == 0) {
      errno = ETIMEDOUT;
      return -1;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (r < 0 || ::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0) return -1;
    if (error != 0) {
      errno = error;
      return -1;
    }
  }
  // Every reply is a few bytes that the next packet waits for: none may wait for Nagle.
  const int on = 1;
  ::setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  // A server that vanishes without a word (a cable pulled) is found out by the keep-alive.
  ::setsockopt(fd.get(), SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
  const int idle = 5, interval = 2, count = 3;
  ::setsockopt(fd.get(), IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
  ::setsockopt(fd.get(), IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
  ::setsockopt(fd.get(), IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
  return fd.release();
}

class LinuxSocket : public NetSocket {
 public:
  LinuxSocket(int fd, int wake, int again) : fd_(fd), wake_(wake), again_(again) {}

  std::ptrdiff_t Receive(std::uint8_t* buffer, std::size_t n) override {
    for (;;) {
      const ssize_t r = ::recv(fd_.get(), buffer, n, MSG_DONTWAIT);
      if (r >= 0) return r;
      if (errno == EINTR) continue;
      return errno == EAGAIN || errno == EWOULDBLOCK ? kWouldBlock : -errno;
    }
  }

  std::ptrdiff_t Send(const std::uint8_t* data, std::size_t n) override {
    for (;;) {
      const ssize_t r = ::send(fd_.get(), data, n, MSG_DONTWAIT | MSG_NOSIGNAL);
      if (r >= 0) return r;
      if (errno == EINTR) continue;
      return errno == EAGAIN || errno == EWOULDBLOCK ? kWouldBlock : -errno;
    }
  }

  Ready WaitReadable(int timeoutMs, bool watchRenotify) override {
    return Wait(POLLIN, timeoutMs, watchRenotify);
  }
  Ready WaitWritable(int timeoutMs) override { return Wait(POLLOUT, timeoutMs, false); }

  void WaitWoken() override {
    pollfd p{wake_.get(), POLLIN, 0};
    while (::poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
  }
  void Wake() override { Signal(wake_.get()); }
  void Renotify() override { Signal(again_.get()); }

 private:
  Ready Wait(short events, int timeoutMs, bool watchRenotify) {
    pollfd p[3] = {{fd_.get(), events, 0}, {wake_.get(), POLLIN, 0}, {again_.get(), POLLIN, 0}};
    for (;;) {
      const int r = ::poll(p, watchRenotify ? 3 : 2, timeoutMs);
      if (r < 0 && errno == EINTR) continue;
      if (r < 0 || p[1].revents) return Ready::Woken;
      if (watchRenotify && p[2].revents) {
        std::uint64_t count;
        [[maybe_unused]] const ssize_t n = ::read(again_.get(), &count, sizeof count);
        return Ready::Renotified;
      }
      // A hang-up or an error shows as readable: the next Receive says which.
      if (p[0].revents) return events == POLLIN ? Ready::Readable : Ready::Writable;
      return Ready::TimedOut;
    }
  }

  Fd fd_;
  Fd wake_;
  Fd again_;
};

}  // namespace

std::unique_ptr<NetSocket> NetSocket::Connect(const std::string& host, const std::string& port,
                                              std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (const int error = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found)) {
    throw ENetError("unknown host " + host + ": " + ::gai_strerror(error));
  }
  int error = ECONNREFUSED;
  int fd = -1;
  for (const addrinfo* each = found; each && fd < 0; each = each->ai_next) {
    fd = ConnectOne(*each, deadline);
    if (fd < 0) error = errno;
  }
  ::freeaddrinfo(found);
  if (fd < 0) {
    if (error == ETIMEDOUT)
      throw ENetError("no answer within " + std::to_string(timeout.count() / 1000) + " s");
    throw ENetError(ErrorText(error));
  }
  Fd connected(fd);
  Fd wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  Fd again(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (wake.get() < 0 || again.get() < 0) throw ENetError(ErrorText(errno));
  return std::make_unique<LinuxSocket>(connected.release(), wake.release(), again.release());
}

std::string NetSocket::ErrorText(int error) {
  return std::strerror(error);
}

int NetSocket::ClosedError() {
  return ECONNRESET;
}

int NetSocket::ProtocolError() {
  return EPROTO;
}

}  // namespace serial
