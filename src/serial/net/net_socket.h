#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace serial {

// A connection could not be made; the text says why ("Connection refused", "no answer within
// 10 s", ...).
class ENetError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A connected TCP stream with Nagle off and keep-alive on, and the two signals a port's threads
// wait for beside it: Wake (for good) and Renotify (once). The platform backend implements it.
//
// Threading: Receive, WaitReadable and Renotify's consumption belong to whichever thread holds
// the device's receive lock; Send and WaitWritable to the one holding its send lock; Wake and
// Renotify may come from any thread.
class NetSocket {
 public:
  static constexpr std::ptrdiff_t kWouldBlock = -1000000;

  // Throws ENetError when host cannot be resolved or no connection is made within timeout.
  static std::unique_ptr<NetSocket> Connect(const std::string& host, const std::string& port,
                                            std::chrono::milliseconds timeout);
  virtual ~NetSocket() = default;

  // Never blocks: bytes received (>0), 0 when the far end closed, kWouldBlock, or -error.
  virtual std::ptrdiff_t Receive(std::uint8_t* buffer, std::size_t n) = 0;
  // Never blocks: bytes sent (>0), kWouldBlock, or -error.
  virtual std::ptrdiff_t Send(const std::uint8_t* data, std::size_t n) = 0;

  enum class Ready { Readable, Writable, Woken, Renotified, TimedOut };
  // Until bytes (or the far end's close) can be received, Wake, Renotify (when asked to watch
  // it, which consumes it) or timeoutMs passes (-1: no limit).
  virtual Ready WaitReadable(int timeoutMs, bool watchRenotify) = 0;
  // Until bytes can be sent, Wake or timeoutMs passes.
  virtual Ready WaitWritable(int timeoutMs) = 0;
  // Until Wake, whatever the connection does.
  virtual void WaitWoken() = 0;
  virtual void Wake() = 0;
  virtual void Renotify() = 0;

  // The system's text for an error code of Receive or Send.
  static std::string ErrorText(int error);
  // The system's codes for a connection the far end closed and for a peer that breaks the
  // protocol, as the line's failure reports them.
  static int ClosedError();
  static int ProtocolError();
};

}  // namespace serial
