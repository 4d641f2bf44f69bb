// The download engine fed reply streams the fuzzer makes, through a fake port that checks
// every packet: one packet in flight, only the four kinds, every data block the image's own
// block at its address, nothing after a wrong reply.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "recording_view.h"
#include "transfer/download.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using transfer::testing::RecordingView;

void Check(bool condition) {
  if (!condition) std::abort();
}

class Stream : public transfer::ImageStream {
 public:
  explicit Stream(const Bytes& image) : image_(image) {}
  std::uint64_t Size() const override { return image_.size(); }
  std::size_t Read(std::uint8_t* buffer, std::size_t count) override {
    const std::size_t n = std::min(count, image_.size() - at_);
    std::copy_n(image_.begin() + static_cast<std::ptrdiff_t>(at_), n, buffer);
    at_ += n;
    return n;
  }

 private:
  const Bytes& image_;
  std::size_t at_ = 0;
};

class Images : public transfer::ImageSource {
 public:
  explicit Images(const Bytes& image) : image_(image) {}
  std::unique_ptr<transfer::ImageStream> OpenImage(const std::string&) override {
    return std::make_unique<Stream>(image_);
  }

 private:
  const Bytes& image_;
};

// The target's side of the line: checks what the engine sends against the image.
class Port : public transfer::Port {
 public:
  Port(const Bytes& image, const RecordingView& view) : image_(image), view_(view) {}

  std::string DeviceName() const override { return "ttyFUZZ"; }
  bool Active() const override { return true; }
  void Open() override {}
  std::int32_t ReadBuf(std::uint8_t* buffer, std::int32_t count) override {
    const auto n = std::min<std::size_t>(static_cast<std::size_t>(count), line_.size());
    std::copy_n(line_.begin(), n, buffer);
    line_.erase(line_.begin(), line_.begin() + static_cast<std::ptrdiff_t>(n));
    delivered_ += n;
    return static_cast<std::int32_t>(n);
  }
  std::int32_t WriteBuf(const std::uint8_t* buffer, std::int32_t count) override {
    // Nothing after a wrong reply, which ends the download before its notice.
    Check(view_.informations.size() == notices_);
    // The previous packet's echo and one reply byte came back first.
    Check(last_.empty() || delivered_ > last_.size());
    last_.assign(buffer, buffer + count);
    delivered_ = 0;
    CheckPacket();
    return count;
  }

  // A new download is under way: the block count starts again.
  void Started() {
    // Every notice is the wrong reply's, after the ending that says so.
    const auto wrong =
        std::count(view_.endings.begin(), view_.endings.end(), transfer::Ending::WrongReply);
    Check(static_cast<std::size_t>(wrong) == view_.informations.size());
    for (const std::string& text : view_.informations) Check(text == "Ошибка ответа");
    notices_ = view_.informations.size();
    last_.clear();
    blocks_ = 0;
    ended_ = false;
  }
  // Bytes arriving from the target.
  void Arrive(const Bytes& bytes) { line_.insert(line_.end(), bytes.begin(), bytes.end()); }
  std::size_t Waiting() const { return line_.size(); }
  // The reply a correct target gives to the last packet, after its echo.
  Bytes EchoAndReply() const {
    Bytes bytes = last_;
    if (last_.size() == 131) {
      unsigned sum = 0;
      for (std::size_t i = 3; i < 131; ++i) sum += last_[i];
      bytes.push_back(static_cast<std::uint8_t>(sum));
    } else if (!last_.empty() && last_[0] != 0x99) {
      bytes.push_back(0xAA);
    }
    return bytes;
  }
  const Bytes& Last() const { return last_; }

 private:
  void CheckPacket() {
    Check(!ended_);
    const std::size_t total = image_.size() / 128 + 1;  // the last block is never full
    const auto address = static_cast<std::uint16_t>(blocks_ * 128);
    switch (last_.size() == 131 ? 0x22 : last_[0]) {
      case 0x55:
        Check(last_ == Bytes({0x55, 0x33, 0xCC}) && blocks_ == 0);
        break;
      case 0x11:
        Check(last_.size() == 3 && blocks_ % 4 == 0 && blocks_ < total);
        Check(last_[1] == address >> 8 && last_[2] == (address & 0xFF));
        break;
      case 0x22: {
        Check(last_[0] == 0x22 && blocks_ < total);
        Check(last_[1] == address >> 8 && last_[2] == (address & 0xFF));
        Bytes block(128, 0);
        const std::size_t from = blocks_ * 128;
        if (from < image_.size())
          std::copy_n(image_.begin() + static_cast<std::ptrdiff_t>(from),
                      std::min<std::size_t>(128, image_.size() - from), block.begin());
        Check(std::equal(block.begin(), block.end(), last_.begin() + 3));
        ++blocks_;
        break;
      }
      case 0x99:
        Check(last_ == Bytes({0x99, 0x00, 0x00}) && blocks_ == total);
        ended_ = true;
        break;
      default:
        Check(false);
    }
  }

  const Bytes& image_;
  const RecordingView& view_;
  std::size_t notices_ = 0;  // notices before this download
  std::deque<std::uint8_t> line_;
  Bytes last_;
  std::size_t delivered_ = 0;
  std::size_t blocks_ = 0;
  bool ended_ = false;
};

}  // namespace

// Input: two bytes of image size (up to 64 KiB + 128 + 255), then one opcode a step.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t imageSize = (std::size_t{data[0]} << 8 | data[1]) * 257 % (65536 + 384);
  Bytes image(imageSize);
  for (std::size_t i = 0; i < imageSize; ++i) image[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  RecordingView view;
  Images images(image);
  Port port(image, view);
  transfer::Download download(port, view, images);
  download.Start("fuzz.hex");
  port.Started();
  for (std::size_t at = 2; at < size; ++at) {
    const std::uint8_t op = data[at];
    switch (op % 8) {
      case 0:  // a correct target, one notification
      case 1:
        port.Arrive(port.Last().empty() ? Bytes{0x55} : port.EchoAndReply());
        break;
      case 2:  // a byte of the fuzzer's own
        if (++at < size) port.Arrive({data[at]});
        break;
      case 3:  // the echo, then a reply of the fuzzer's own
        if (++at < size) {
          Bytes bytes = port.Last();
          bytes.push_back(data[at]);
          port.Arrive(bytes);
        }
        break;
      case 4:  // Start again
        if (op == 4) {
          download.Start("fuzz.hex");
          port.Started();
        }
        break;
      default:  // notify in pieces
        break;
    }
    // Deliver what waits, in one notification or in pieces of op / 8 + 1 bytes.
    while (port.Waiting() > 0) {
      const std::size_t piece = op % 8 >= 5 ? op / 8 + 1 : port.Waiting();
      download.RxChar(static_cast<std::int32_t>(std::min(piece, port.Waiting())));
    }
  }
  return 0;
}
