// Winsock's headers in this order: winsock2.h before windows.h, mstcpip.h after both.
#include <winsock2.h>

#include <ws2tcpip.h>

#include <windows.h>

#include <mstcpip.h>

#include <mutex>

#include "serial/net/net_socket.h"
#include "sys/error.h"

namespace serial {

namespace {

void StartWinsock() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) throw ENetError(sys::SystemErrorText(WSAGetLastError()));
}

class SocketHandle {
 public:
  explicit SocketHandle(SOCKET s = INVALID_SOCKET) : s_(s) {}
  ~SocketHandle() {
    if (s_ != INVALID_SOCKET) closesocket(s_);
  }
  SocketHandle(const SocketHandle&) = delete;
  SocketHandle& operator=(const SocketHandle&) = delete;
  SOCKET get() const { return s_; }
  SOCKET release() {
    const SOCKET s = s_;
    s_ = INVALID_SOCKET;
    return s;
  }

 private:
  SOCKET s_;
};

// One address tried within the time left; the socket, or INVALID_SOCKET with *error set.
SOCKET ConnectOne(const addrinfo& address, DWORD timeoutMs, int* error) {
  SocketHandle s(socket(address.ai_family, address.ai_socktype, address.ai_protocol));
  if (s.get() == INVALID_SOCKET) {
    *error = WSAGetLastError();
    return INVALID_SOCKET;
  }
  u_long nonBlocking = 1;
  ioctlsocket(s.get(), FIONBIO, &nonBlocking);
  if (connect(s.get(), address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0) {
    if (WSAGetLastError() != WSAEWOULDBLOCK) {
      *error = WSAGetLastError();
      return INVALID_SOCKET;
    }
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s.get(), &writable);
    FD_SET(s.get(), &failed);
    timeval wait{static_cast<long>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000) * 1000};
    const int r = select(0, nullptr, &writable, &failed, &wait);
    if (r == 0) {
      *error = WSAETIMEDOUT;
      return INVALID_SOCKET;
    }
    int soError = 0;
    int length = sizeof soError;
    getsockopt(s.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &length);
    if (r < 0 || soError != 0 || FD_ISSET(s.get(), &failed)) {
      *error = soError != 0 ? soError : WSAECONNREFUSED;
      return INVALID_SOCKET;
    }
  }
  // Every reply is a few bytes that the next packet waits for: none may wait for Nagle.
  const BOOL on = TRUE;
  setsockopt(s.get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  // A server that vanishes without a word (a cable pulled) is found out by the keep-alive.
  tcp_keepalive keepAlive{1, 5000, 2000};
  DWORD returned = 0;
  WSAIoctl(s.get(), SIO_KEEPALIVE_VALS, &keepAlive, sizeof keepAlive, nullptr, 0, &returned,
           nullptr, nullptr);
  return s.release();
}

// The socket's readiness as an event (WSAEventSelect), and the port's two signals as events:
// one wait covers them all.
class Win32Socket : public NetSocket {
 public:
  explicit Win32Socket(SOCKET s)
      : s_(s),
        network_(WSACreateEvent()),
        wake_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        again_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    if (WSAEventSelect(s_.get(), network_, FD_READ | FD_CLOSE) != 0)
      throw ENetError(sys::SystemErrorText(WSAGetLastError()));
  }
  ~Win32Socket() override {
    WSAEventSelect(s_.get(), nullptr, 0);
    WSACloseEvent(network_);
    CloseHandle(wake_);
    CloseHandle(again_);
  }

  std::ptrdiff_t Receive(std::uint8_t* buffer, std::size_t n) override {
    const int r = recv(s_.get(), reinterpret_cast<char*>(buffer), static_cast<int>(n), 0);
    if (r >= 0) return r;
    const int error = WSAGetLastError();
    return error == WSAEWOULDBLOCK ? kWouldBlock : -error;
  }

  std::ptrdiff_t Send(const std::uint8_t* data, std::size_t n) override {
    const int r = send(s_.get(), reinterpret_cast<const char*>(data), static_cast<int>(n), 0);
    if (r >= 0) return r;
    const int error = WSAGetLastError();
    return error == WSAEWOULDBLOCK ? kWouldBlock : -error;
  }

  Ready WaitReadable(int timeoutMs, bool watchRenotify) override {
    const HANDLE handles[3] = {wake_, network_, again_};
    const DWORD r =
        WaitForMultipleObjects(watchRenotify ? 3 : 2, handles, FALSE,
                               timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
    if (r == WAIT_OBJECT_0 + 1) {
      // Resets the event; a recv that leaves bytes behind sets it again.
      WSANETWORKEVENTS events;
      WSAEnumNetworkEvents(s_.get(), network_, &events);
      return Ready::Readable;
    }
    if (r == WAIT_OBJECT_0 + 2) return Ready::Renotified;
    if (r == WAIT_TIMEOUT) return Ready::TimedOut;
    return Ready::Woken;
  }

  // Sending waits only when the system's buffer is full, which a lock-step line never fills:
  // a short poll is enough, and keeps the read side's one event to itself.
  Ready WaitWritable(int timeoutMs) override {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
      if (WaitForSingleObject(wake_, 0) == WAIT_OBJECT_0) return Ready::Woken;
      fd_set writable;
      FD_ZERO(&writable);
      FD_SET(s_.get(), &writable);
      timeval slice{0, 20000};
      if (select(0, nullptr, &writable, nullptr, &slice) != 0) return Ready::Writable;
      if (timeoutMs >= 0 && GetTickCount64() - start >= static_cast<ULONGLONG>(timeoutMs))
        return Ready::TimedOut;
    }
  }

  void WaitWoken() override { WaitForSingleObject(wake_, INFINITE); }
  void Wake() override { SetEvent(wake_); }
  void Renotify() override { SetEvent(again_); }

 private:
  SocketHandle s_;
  WSAEVENT network_;
  HANDLE wake_;
  HANDLE again_;
};

}  // namespace

std::unique_ptr<NetSocket> NetSocket::Connect(const std::string& host, const std::string& port,
                                              std::chrono::milliseconds timeout) {
  StartWinsock();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* found = nullptr;
  if (const int error = getaddrinfo(host.c_str(), port.c_str(), &hints, &found)) {
    throw ENetError("unknown host " + host + ": " + sys::SystemErrorText(error));
  }
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout.count());
  int error = WSAECONNREFUSED;
  SOCKET s = INVALID_SOCKET;
  for (const addrinfo* each = found; each && s == INVALID_SOCKET; each = each->ai_next) {
    const ULONGLONG now = GetTickCount64();
    s = ConnectOne(*each, now < deadline ? static_cast<DWORD>(deadline - now) : 0, &error);
  }
  freeaddrinfo(found);
  if (s == INVALID_SOCKET) {
    if (error == WSAETIMEDOUT)
      throw ENetError("no answer within " + std::to_string(timeout.count() / 1000) + " s");
    throw ENetError(ErrorText(error));
  }
  return std::make_unique<Win32Socket>(s);
}

std::string NetSocket::ErrorText(int error) {
  return sys::SystemErrorText(error);
}

int NetSocket::ClosedError() {
  return WSAECONNRESET;
}

int NetSocket::ProtocolError() {
  return ERROR_INVALID_DATA;
}

}  // namespace serial
