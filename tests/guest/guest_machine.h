#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "child_process.h"

namespace guest_test {

using tools_test::Clock;

// How the guest reaches the line: the 16550A UART (the kernel's built-in 8250 driver) or an
// FTDI USB serial adapter on an xHCI controller (ftdi_sio).
struct Backend {
  std::string name;
  std::string port;  // the guest's device name
  std::vector<std::string> devices;
  std::string flags;  // the flasher's options before --port, separated by commas
};
Backend Uart();
Backend Ftdi();
// Two FTDI adapters with the serial numbers FTA and FTB, for --port auto: the line behind FTB,
// and behind FTA a file that keeps whatever reaches that adapter. FTB is plugged in second, or
// first when swapped.
Backend FtdiPair(const std::string& quietFile, bool swapped);
void PrintTo(const Backend& backend, std::ostream* out);  // for test names

// One qemu guest under software emulation: it boots the prepared kernel and initramfs, runs
// the flasher on the backend's port (guest-init) and powers off. Its console is read line by
// line; the line is a host pseudo-terminal that qemu opens.
class GuestMachine {
 public:
  // mode goes to guest-init: download, latency or unplug.
  GuestMachine(const std::string& guestDir, const Backend& backend, const std::string& mode,
               const std::string& folder, const std::vector<std::string>& extra = {});

  ~GuestMachine();
  GuestMachine(const GuestMachine&) = delete;
  GuestMachine& operator=(const GuestMachine&) = delete;

  // The host end of the guest's serial line; empty when qemu did not say.
  const std::string& LinePath() const { return linePath_; }
  // Reads the console until a line starting with "GUEST: " + what; the rest of that line.
  std::optional<std::string> WaitFor(const std::string& what, Clock::duration timeout);
  // Lines starting with "GUEST: ERR ", in order.
  const std::vector<std::string>& Errors() const { return errors_; }
  std::optional<int> Wait(Clock::duration timeout) { return qemu_->Wait(timeout); }
  std::string Console() const { return qemu_->Out() + qemu_->Err(); }

 private:
  std::unique_ptr<tools_test::ChildProcess> qemu_;
  std::string linePath_;
  int lineHold_ = -1;
  std::vector<std::string> errors_;
};

// Sends one command to a qemu monitor listening on a Unix socket.
void MonitorCommand(const std::string& socketPath, const std::string& command);

}  // namespace guest_test
