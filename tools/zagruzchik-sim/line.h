#pragma once

#include <stdexcept>
#include <string>

namespace sim {

// The serial line failed or its other side went away.
class LineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The target's end of the serial line: the master of a pseudo-terminal whose other side
// the flasher opens, or a real port. Non-blocking.
class Line {
 public:
  static Line CreatePty();
  static Line OpenDevice(const std::string& path);

  Line(Line&& other) noexcept;
  Line& operator=(Line&&) = delete;
  ~Line();

  int Fd() const { return fd_; }
  bool IsPty() const { return !peerPath_.empty(); }
  // The path the flasher opens (pseudo-terminals only).
  const std::string& PeerPath() const { return peerPath_; }

  // Returns once a program holds the pseudo-terminal's other side open.
  void WaitForPeer() const;
  // Whether the other side has the pseudo-terminal open now.
  bool HasPeer() const;
  // Closing a pseudo-terminal's master hangs the line up for the flasher.
  void HangUp();

 private:
  Line(int fd, std::string peerPath) : fd_(fd), peerPath_(std::move(peerPath)) {}

  int fd_;
  std::string peerPath_;
};

// 10400 bit/s, 8N1, raw, no flow control, modem lines ignored.
void SetLoaderLineSettings(int fd, const std::string& path);

}  // namespace sim
