#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "serial/comm_settings.h"

namespace serial {

// How promptly the driver hands received bytes on. USB adapters batch them for up to their
// latency timer, which every lock-step reply then waits for.
struct LineLatency {
  bool lowLatency = false;  // the driver took the low-latency request
  int timerMs = -1;         // the adapter's latency timer; -1 where it has none
  // What a network port adds to every reply beyond the line's own time, measured on the first
  // packet's echo and reply; -1 until then and for local ports.
  double networkMs = -1;
  // A network port's server acknowledged DTR and RTS (one on a line without modem control may
  // never do so; the loader goes on without).
  bool modemControlAnswered = true;
};

// One opened port of the operating system; the platform backend implements it. Destroying it
// closes the port, and only happens once no thread uses it any more.
class CommDevice {
 public:
  virtual ~CommDevice() = default;

  // User-interface thread. Each raises ECommError with its message on failure.
  virtual void ApplyLine(const TLineSettings& line) = 0;  // "Error writing dcb (%d), %s"
  virtual void SetupBuffers(std::int32_t readSize, std::int32_t writeSize) = 0;
  // Bytes waiting in the driver's input queue ("Error retrieving statistics (%d), %s").
  virtual std::int32_t BytesWaiting() = 0;
  // Line-error flags (kCe...) since the last call, cleared by it; raises like BytesWaiting.
  virtual std::uint32_t TakeLineErrors() = 0;
  // Up to count bytes: what is waiting at once; otherwise waits up to firstByte for a first
  // byte, then returns once gap passes without a further one ("Read error (%d), %s").
  virtual std::int32_t Read(std::uint8_t* buffer, std::int32_t count,
                            std::chrono::milliseconds firstByte, std::chrono::milliseconds gap) = 0;

  // Event thread: blocks until bytes arrive, Renotify, the line fails or Wake. Bytes that
  // arrived while nobody waited are reported by the next call; bytes already reported are not.
  enum class Event { Received, LineFailed, Woken };
  virtual Event WaitEvent() = 0;
  // Event thread, after LineFailed: the system's error code of the failure (errno on POSIX,
  // GetLastError() on Windows).
  virtual int LineFailure() const = 0;
  // Event thread, after LineFailed: WaitEvent no longer watches the port, only for Wake.
  virtual void StopWatching() = 0;

  // Writer thread: writes some of the n bytes, waiting while the driver has no room. Returns
  // how many were written (at least 1), 0 after Wake, or -errno when the write failed.
  virtual std::ptrdiff_t Write(const std::uint8_t* data, std::size_t n) = 0;

  // As found when the port was opened (a network port's delay once the first echo came).
  virtual LineLatency Latency() const = 0;

  // Any thread: makes the next WaitEvent report received bytes at once.
  virtual void Renotify() = 0;
  // Any thread: the reader waits for count more bytes (0: for each byte as it comes). A device
  // may then report them together once all are queued, or once the line has been quiet for a
  // few byte times (a short reply), whichever comes first; the default reports each arrival.
  virtual void Await(std::int32_t count) { static_cast<void>(count); }
  // Any thread: releases WaitEvent and Write for good (the opening is ending).
  virtual void Wake() = 0;
};

// Opens the port with the given name: a name that begins with a kind's scheme ("KIND://...")
// opens that kind of port (port_kinds.h), any other the system's serial device of that name.
// "Specified device not found (%s)." or "Can't open specified device %s (...)".
std::unique_ptr<CommDevice> OpenCommDevice(const std::string& name);

// The platform backend: the system's serial device by its name or path.
std::unique_ptr<CommDevice> OpenSystemDevice(const std::string& name);

}  // namespace serial
