#include "guest_machine.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <regex>
#include <stdexcept>

namespace guest_test {

Backend Uart() {
  return {"uart", "ttyS1", {"-chardev", "pty,id=line", "-serial", "chardev:line"}, {}};
}

Backend Ftdi() {
  return {"ftdi",
          "ttyUSB0",
          {"-chardev", "pty,id=line", "-device", "qemu-xhci,id=xhci", "-device",
           "usb-serial,chardev=line,id=adapter"},
          {}};
}

Backend FtdiPair(const std::string& quietFile, bool swapped) {
  const std::vector<std::string> quiet = {"-device",
                                          "usb-serial,chardev=quiet,serial=FTA,id=quiet"};
  const std::vector<std::string> line = {"-device",
                                         "usb-serial,chardev=line,serial=FTB,id=adapter"};
  Backend pair{swapped ? "ftdi-pair-swapped" : "ftdi-pair",
               "auto",
               {"-chardev", "pty,id=line", "-chardev", "file,id=quiet,path=" + quietFile, "-device",
                "qemu-xhci,id=xhci"},
               // The swapped run goes through the production line's stations.
               swapped ? "-v" : ""};
  for (const auto* adapter : swapped ? std::vector{&line, &quiet} : std::vector{&quiet, &line})
    pair.devices.insert(pair.devices.end(), adapter->begin(), adapter->end());
  return pair;
}

void PrintTo(const Backend& backend, std::ostream* out) {
  *out << backend.name;
}

GuestMachine::GuestMachine(const std::string& guestDir, const Backend& backend,
                           const std::string& mode, const std::string& folder,
                           const std::vector<std::string>& extra) {
  // No /dev/kvm here: software emulation. The console is ttyS0 on standard output.
  std::vector<std::string> argv = {"qemu-system-x86_64",
                                   "-accel",
                                   "tcg",
                                   "-nodefaults",
                                   "-no-reboot",
                                   "-display",
                                   "none",
                                   "-m",
                                   "512",
                                   "-kernel",
                                   guestDir + "/vmlinuz",
                                   "-initrd",
                                   guestDir + "/initramfs.gz",
                                   "-append",
                                   "console=ttyS0 quiet panic=-1 guest.port=" + backend.port +
                                       " guest.mode=" + mode + " guest.flags=" + backend.flags,
                                   "-serial",
                                   "stdio"};
  argv.insert(argv.end(), backend.devices.begin(), backend.devices.end());
  argv.insert(argv.end(), extra.begin(), extra.end());
  qemu_ = std::make_unique<tools_test::ChildProcess>(argv, folder);
  // qemu names the pseudo-terminal it opened before the guest prints anything.
  const std::regex redirected("redirected to (\\S+) \\(label line\\)");
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(30);
  while (linePath_.empty() && Clock::now() < deadline) {
    const std::optional<std::string> line = qemu_->ReadLine(deadline - Clock::now());
    if (!line) break;
    std::smatch match;
    if (std::regex_search(*line, match, redirected)) linePath_ = match[1];
  }
  // qemu plugs its USB serial adapter in only once somebody holds the host end, and sends
  // nothing over a line nobody holds. Held raw, so that nothing is echoed back to the guest
  // before the simulator takes the line.
  if (!linePath_.empty()) {
    lineHold_ = ::open(linePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw{};
    if (lineHold_ >= 0 && ::tcgetattr(lineHold_, &raw) == 0) {
      ::cfmakeraw(&raw);
      ::tcsetattr(lineHold_, TCSANOW, &raw);
    }
  }
}

GuestMachine::~GuestMachine() {
  if (lineHold_ >= 0) ::close(lineHold_);
}

std::optional<std::string> GuestMachine::WaitFor(const std::string& what, Clock::duration timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  const std::string marker = "GUEST: " + what;
  for (;;) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) return std::nullopt;
    std::optional<std::string> line = qemu_->ReadLine(left);
    if (!line) return std::nullopt;
    while (!line->empty() && line->back() == '\r') line->pop_back();
    if (line->rfind("GUEST: ERR ", 0) == 0) errors_.push_back(line->substr(11));
    if (line->rfind(marker, 0) == 0) return line->substr(marker.size());
  }
}

void MonitorCommand(const std::string& socketPath, const std::string& command) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    if (fd >= 0) ::close(fd);
    throw std::runtime_error("cannot reach the qemu monitor at " + socketPath);
  }
  const timeval bound{5, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
  const std::string text = command + "\n";
  const bool sent = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  // The monitor acts on a line once it has read it; a read until it echoes the prompt again
  // would only slow the test, but closing at once can drop the command: shut down writing
  // and wait for the monitor to close its side.
  ::shutdown(fd, SHUT_WR);
  char buffer[256];
  while (::read(fd, buffer, sizeof buffer) > 0) {
  }
  ::close(fd);
  if (!sent) throw std::runtime_error("cannot write to the qemu monitor");
}

}  // namespace guest_test
