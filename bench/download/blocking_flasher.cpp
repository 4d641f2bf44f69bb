#include "blocking_flasher.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "h2b/hex_image_source.h"
#include "transfer/download.h"

namespace bench {

namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

class BlockingPort : public transfer::Port {
 public:
  BlockingPort(std::string path, bool wholeReplies)
      : path_(std::move(path)), wholeReplies_(wholeReplies) {}
  ~BlockingPort() override {
    if (fd_ >= 0) close(fd_);
  }

  std::string DeviceName() const override { return path_; }
  bool Active() const override { return fd_ >= 0; }
  void Open() override {
    fd_ = open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) Fail("open " + path_);
    termios settings{};
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    if (tcsetattr(fd_, TCSANOW, &settings) != 0) Fail("tcsetattr");
    settings_ = settings;
  }
  // A terminal's poll says "readable" once VMIN bytes are waiting (VTIME 0).
  void Await(std::int32_t count) override {
    if (!wholeReplies_) return;
    const auto vmin = static_cast<cc_t>(std::clamp(count, 1, 255));
    if (settings_.c_cc[VMIN] == vmin) return;
    settings_.c_cc[VMIN] = vmin;
    settings_.c_cc[VTIME] = 0;
    if (tcsetattr(fd_, TCSANOW, &settings_) != 0) Fail("tcsetattr");
  }
  std::int32_t WriteBuf(const std::uint8_t* buffer, std::int32_t count) override {
    for (std::int32_t done = 0; done < count;) {
      const ssize_t n = write(fd_, buffer + done, static_cast<std::size_t>(count - done));
      if (n < 0 && errno != EINTR) Fail("write");
      if (n > 0) done += static_cast<std::int32_t>(n);
    }
    return count;
  }
  std::int32_t ReadBuf(std::uint8_t* buffer, std::int32_t count) override {
    const ssize_t n = read(fd_, buffer, static_cast<std::size_t>(count));
    if (n < 0) Fail("read");
    return static_cast<std::int32_t>(n);
  }

  // Blocks until bytes are waiting; returns how many.
  std::int32_t WaitForBytes() const {
    for (;;) {
      pollfd entry{fd_, POLLIN, 0};
      if (poll(&entry, 1, -1) < 0 && errno != EINTR) Fail("poll");
      if (entry.revents & (POLLHUP | POLLERR)) throw std::runtime_error("line hung up");
      int count = 0;
      if (ioctl(fd_, FIONREAD, &count) != 0) Fail("FIONREAD");
      if (count > 0) return count;
    }
  }

 private:
  std::string path_;
  bool wholeReplies_;
  int fd_ = -1;
  termios settings_{};
};

class QuietView : public transfer::View {
 public:
  void SetProgressTotal(std::uint32_t) override {}
  void SetProgressParts(std::uint32_t) override {}
  void ShowProgress() override {}
  void HideProgress() override {}
  void SetControlsEnabled(bool) override {}
  void ShowPrompt() override {}
  void HidePrompt() override {}
  void ShowInformation(const std::string& text) override { throw std::runtime_error(text); }
  void DownloadEnded(transfer::Ending how) override {
    finished = how == transfer::Ending::Finished;
  }

  bool finished = false;
};

}  // namespace

void FlashBlocking(const std::string& portPath, const std::string& hexFile, bool wholeReplies) {
  BlockingPort port(portPath, wholeReplies);
  QuietView view;
  h2b::HexImageSource images;
  transfer::Download download(port, view, images);
  download.Start(hexFile);
  // Done once the end command's echo is back, as zagruzchik-flash decides it.
  while (!view.finished) download.RxChar(port.WaitForBytes());
}

}  // namespace bench
