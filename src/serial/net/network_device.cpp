// A network serial port behind the port device's interface. The event thread waits on the
// socket and decodes what arrives into a buffer of the line's bytes (Telnet's commands and
// answers taken out); the user-interface thread reads that buffer, and decodes itself what has
// arrived meanwhile, so a handler never waits for the event thread. Whoever decodes bytes the
// event thread did not see wakes it, so that no byte is left without a notification. One lock
// guards the socket's receiving side, the decoder and the buffer; another its sending side.
#include "serial/net/network_device.h"

#include <atomic>
#include <cerrno>
#include <cmath>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "serial/comm_error.h"
#include "serial/net/net_address.h"
#include "serial/net/net_socket.h"
#include "serial/net/telnet_codec.h"
#include "serial/rate_tolerance.h"

namespace serial {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kConnectTimeout{10000};
// The server's answers to the com-port option and the line's rate.
constexpr milliseconds kAnswerTimeout{5000};
// DTR and RTS: servers on lines without modem control never answer; they are not waited for
// longer than this.
constexpr milliseconds kControlWait{250};
// A server that keeps sending option requests speaks nonsense.
constexpr std::size_t kMaxOptionCommands = 10000;
// One decoding round reads at most this much, so a flood cannot hold the lock.
constexpr std::size_t kMaxPump = 64 * 1024;
// One byte's time on the line (10 bits at 10400 bit/s), in the first packet's round trip.
constexpr double kByteTimeMs = 10.0 * 1000.0 / 10400.0;
// A reply counts as ended when nothing more has come for this many byte times.
constexpr double kQuietBytes = 2;

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

class NetworkDevice : public CommDevice {
 public:
  NetworkDevice(std::string name, std::unique_ptr<NetSocket> socket, bool telnet)
      : name_(std::move(name)), socket_(std::move(socket)), telnet_(telnet) {}

  // Whatever the server still holds for the line is dropped, as a local port drops its queue.
  ~NetworkDevice() override {
    if (telnet_ && comPort_) SendAll(TelnetCodec::ComPortCommand(TelnetCodec::kPurgeData, {2}));
  }

  // The options, then DTR and RTS lowered before anything else: a target that resets on either
  // line sees them low from the start. Nothing the server has received is purged: as on a
  // local port, a target's hello that came early must not be lost.
  void Negotiate() {
    std::vector<std::uint8_t> greeting;
    {
      const std::lock_guard lock(receive_);
      greeting = codec_.Greeting();
    }
    SendAll(greeting);
    if (!WaitFor([&] { return codec_.ComPortAccepted() || codec_.ComPortRefused(); },
                 kAnswerTimeout)) {
      Refuse(WhyUnanswered("the com-port option"));
    }
    if (codec_.ComPortRefused()) {
      Refuse("the server does not take RFC 2217's com-port option; a raw port is socket://");
    }
    comPort_ = true;
    std::vector<std::uint8_t> first = Command(TelnetCodec::kSetControl, 9);  // DTR off
    Append(first, Command(TelnetCodec::kSetControl, 12));                    // RTS off
    SendAll(first);
  }

  void ApplyLine(const TLineSettings& line) override {
    if (!telnet_) return;  // a raw port's line is the server's
    const auto rate = static_cast<std::uint32_t>(line.BaudRate);
    std::vector<std::uint8_t> out = TelnetCodec::ComPortCommand(
        TelnetCodec::kSetBaudRate,
        {static_cast<std::uint8_t>(rate >> 24), static_cast<std::uint8_t>(rate >> 16),
         static_cast<std::uint8_t>(rate >> 8), static_cast<std::uint8_t>(rate)});
    Append(out, Command(TelnetCodec::kSetDataSize, static_cast<std::uint8_t>(DataBits(line))));
    Append(out, Command(TelnetCodec::kSetParity, ParityCode(line.Parity)));
    Append(out, Command(TelnetCodec::kSetStopSize, line.Stopbits == TStopbits::sb1 ? 1 : 2));
    Append(out, Command(TelnetCodec::kSetControl, FlowCode(line.FlowControl)));
    Append(out, Command(TelnetCodec::kSetControl,
                        line.FlowControl.ControlDtr == TDtrControl::dtrDisabled ? 9 : 8));
    Append(out, Command(TelnetCodec::kSetControl,
                        line.FlowControl.ControlRts == TRtsControl::rtsDisabled ? 12 : 11));
    int controlsBefore, ratesBefore;
    {
      const std::lock_guard lock(receive_);
      controlsBefore = codec_.ControlAnswers();
      ratesBefore = codec_.BaudRateAnswers();
    }
    const auto sent = Clock::now();
    SendAll(out);
    if (!WaitFor([&] { return codec_.BaudRateAnswers() > ratesBefore; }, kAnswerTimeout))
      Refuse(WhyUnanswered("the rate"));
    std::uint32_t reported;
    {
      const std::lock_guard lock(receive_);
      reported = codec_.BaudRate().value_or(0);
    }
    CheckRateReadBack(line.BaudRate, reported, reported);
    // Three SET-CONTROL answers: flow control, DTR, RTS. Tolerated when they never come.
    const bool answered =
        WaitFor([&] { return codec_.ControlAnswers() >= controlsBefore + 3; },
                kControlWait - std::chrono::duration_cast<milliseconds>(Clock::now() - sent));
    const std::lock_guard lock(receive_);
    controlsAnswered_ = answered;
  }

  void SetupBuffers(std::int32_t readSize, std::int32_t writeSize) override {
    if (readSize <= 0 || writeSize <= 0)
      RaiseCommError("Error initializing buffers (%d), %s", EINVAL);
  }

  std::int32_t BytesWaiting() override {
    Pump(true);
    const std::lock_guard lock(receive_);
    if (received_.empty() && failure_ != 0)
      RaiseCommError("Error retrieving statistics (%d), %s", failure_);
    return static_cast<std::int32_t>(received_.size());
  }

  std::uint32_t TakeLineErrors() override {
    BytesWaiting();
    const std::lock_guard lock(receive_);
    return codec_.TakeLineErrors();
  }

  std::int32_t Read(std::uint8_t* buffer, std::int32_t count, milliseconds firstByte,
                    milliseconds gap) override {
    const auto deadline = Clock::now() + firstByte;
    std::int32_t got = 0;
    for (;;) {
      Pump(true);
      bool failed;
      {
        const std::lock_guard lock(receive_);
        while (got < count && !received_.empty()) {
          buffer[got++] = received_.front();
          received_.pop_front();
        }
        failed = failure_ != 0;
      }
      if (got == count || failed) break;
      const int wait = got == 0 ? RemainingMs(deadline)
                                : std::min(RemainingMs(deadline), static_cast<int>(gap.count()));
      if (wait == 0 || socket_->WaitReadable(wait, false) != NetSocket::Ready::Readable) break;
    }
    return got;
  }

  Event WaitEvent() override {
    for (;;) {
      {
        const std::lock_guard lock(receive_);
        if (failure_ != 0 && !failureReported_) {
          failureReported_ = true;
          return Event::LineFailed;
        }
      }
      if (!watching_) {
        socket_->WaitWoken();
        return Event::Woken;
      }
      switch (socket_->WaitReadable(-1, true)) {
        case NetSocket::Ready::Woken:
          return Event::Woken;
        case NetSocket::Ready::Renotified:
          return Event::Received;
        default:
          if (Pump(false)) return GatherAwaited();
      }
    }
  }

  void Await(std::int32_t count) override { awaited_.store(count, std::memory_order_relaxed); }

  int LineFailure() const override {
    const std::lock_guard lock(receive_);
    return failure_ != 0 ? failure_ : EIO;
  }

  void StopWatching() override { watching_ = false; }

  std::ptrdiff_t Write(const std::uint8_t* data, std::size_t n) override {
    std::vector<std::uint8_t> out;
    {
      const std::lock_guard lock(receive_);
      if (telnet_) {
        codec_.EncodeData(data, n, out);
      } else {
        out.assign(data, data + n);
      }
      if (firstWrite_ == Clock::time_point{}) {
        firstWrite_ = Clock::now();
        firstWriteBytes_ = n;
      }
    }
    const int result = SendAll(out);
    if (result != 0) return result > 0 ? 0 : result;
    return static_cast<std::ptrdiff_t>(n);
  }

  LineLatency Latency() const override {
    const std::lock_guard lock(receive_);
    LineLatency latency;
    latency.lowLatency = true;
    latency.networkMs = networkMs_;
    latency.modemControlAnswered = controlsAnswered_;
    return latency;
  }

  void Renotify() override { socket_->Renotify(); }
  void Wake() override {
    woken_ = true;
    socket_->Wake();
  }

 private:
  [[noreturn]] void Refuse(const std::string& reason) const {
    throw ECommError("Can't open specified device " + name_ + " (" + reason + ")");
  }
  // Why the server's answer to what never came: the connection's failure, or the time.
  std::string WhyUnanswered(const std::string& what) const {
    const std::lock_guard lock(receive_);
    if (failure_ == NetSocket::ProtocolError()) return "the server's answer is not Telnet";
    if (failure_ == NetSocket::ClosedError()) return "the server closed the connection";
    if (failure_ != 0) return NetSocket::ErrorText(failure_);
    return "the server did not answer " + what + " within " +
           std::to_string(kAnswerTimeout.count() / 1000) + " s";
  }
  static std::vector<std::uint8_t> Command(std::uint8_t command, std::uint8_t value) {
    return TelnetCodec::ComPortCommand(command, {value});
  }
  static void Append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& more) {
    to.insert(to.end(), more.begin(), more.end());
  }
  static int DataBits(const TLineSettings& line) {
    switch (line.Databits) {
      case TDatabits::db4:
        return 4;
      case TDatabits::db5:
        return 5;
      case TDatabits::db6:
        return 6;
      case TDatabits::db7:
        return 7;
      case TDatabits::db8:
        break;
    }
    return 8;
  }
  static std::uint8_t ParityCode(TParity parity) {
    switch (parity) {
      case TParity::paOdd:
        return 2;
      case TParity::paEven:
        return 3;
      case TParity::paMark:
        return 4;
      case TParity::paSpace:
        return 5;
      case TParity::paNone:
        break;
    }
    return 1;
  }
  static std::uint8_t FlowCode(const TFlowControl& flow) {
    if (flow.OutCtsFlow) return 3;
    if (flow.XonXoffOut) return 2;
    return 1;
  }

  // Sends everything, waiting while the socket has no room. 0 when sent, 1 when woken first,
  // or -error.
  int SendAll(const std::vector<std::uint8_t>& bytes) {
    const std::lock_guard lock(send_);
    std::size_t done = 0;
    while (done < bytes.size()) {
      const std::ptrdiff_t r = socket_->Send(bytes.data() + done, bytes.size() - done);
      if (r > 0) {
        done += static_cast<std::size_t>(r);
        continue;
      }
      if (r != NetSocket::kWouldBlock) return static_cast<int>(r);
      if (woken_ || socket_->WaitWritable(-1) == NetSocket::Ready::Woken) return 1;
    }
    return 0;
  }

  // Decodes what has arrived; returns whether line bytes came. From a thread other than the
  // event thread, new bytes wake the event thread so that they are notified.
  bool Pump(bool otherThread) {
    std::vector<std::uint8_t> answers;
    bool arrived = false;
    {
      const std::lock_guard lock(receive_);
      std::size_t total = 0;
      while (failure_ == 0 && total < kMaxPump) {
        std::uint8_t chunk[4096];
        const std::ptrdiff_t r = socket_->Receive(chunk, sizeof chunk);
        if (r == NetSocket::kWouldBlock) break;
        if (r <= 0) {
          failure_ = r == 0 ? NetSocket::ClosedError() : static_cast<int>(-r);
          break;
        }
        total += static_cast<std::size_t>(r);
        decoded_.clear();
        if (!telnet_) {
          decoded_.assign(chunk, chunk + r);
        } else {
          if (!codec_.Decode(chunk, static_cast<std::size_t>(r), decoded_, answers) ||
              codec_.OptionCommands() > kMaxOptionCommands) {
            failure_ = NetSocket::ProtocolError();  // no Telnet we can follow
            break;
          }
        }
        if (decoded_.empty()) continue;
        if (firstWrite_ != Clock::time_point{} && networkMs_ < 0) {
          // The first packet's echo and its reply: on the line they take one byte's time more
          // than the packet, as the target echoes while it receives; the rest is the network's.
          receivedAfterWrite_ += decoded_.size();
          if (receivedAfterWrite_ > firstWriteBytes_) {
            const double ms =
                std::chrono::duration<double, std::milli>(Clock::now() - firstWrite_).count();
            const double line = static_cast<double>(firstWriteBytes_ + 1) * kByteTimeMs;
            networkMs_ = ms > line ? ms - line : 0;
          }
        }
        received_.insert(received_.end(), decoded_.begin(), decoded_.end());
        arrived = true;
      }
    }
    if (!answers.empty()) SendAll(answers);
    if (arrived && otherThread) socket_->Renotify();
    return arrived;
  }

  // After line bytes came: the rest of what the reader awaits, decoded as it arrives and
  // reported once, when all of it is in or the line has been quiet for a short reply's end.
  // The server hands the line's bytes on in groups; one notification per reply, not per group.
  Event GatherAwaited() {
    const auto awaited = static_cast<std::size_t>(awaited_.load(std::memory_order_relaxed));
    const int quietMs = static_cast<int>(std::ceil(kQuietBytes * kByteTimeMs));
    for (;;) {
      {
        const std::lock_guard lock(receive_);
        // A failure is reported by the next wait, after these bytes.
        if (received_.size() >= awaited || failure_ != 0) return Event::Received;
      }
      switch (socket_->WaitReadable(quietMs, true)) {
        case NetSocket::Ready::Woken:
          return Event::Woken;
        case NetSocket::Ready::Readable:
          Pump(false);
          break;
        default:  // quiet, or asked to report now
          return Event::Received;
      }
    }
  }

  // Decodes until done() holds (checked under the receive lock) or timeout passes.
  template <typename Done>
  bool WaitFor(Done done, milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
      Pump(true);
      {
        const std::lock_guard lock(receive_);
        if (done()) return true;
        if (failure_ != 0) return false;
      }
      const int wait = RemainingMs(deadline);
      if (wait == 0) return false;
      socket_->WaitReadable(wait, false);
    }
  }

  const std::string name_;
  std::unique_ptr<NetSocket> socket_;
  const bool telnet_;
  bool comPort_ = false;

  mutable std::mutex receive_;
  TelnetCodec codec_;
  std::deque<std::uint8_t> received_;
  std::vector<std::uint8_t> decoded_;
  int failure_ = 0;
  bool failureReported_ = false;
  bool controlsAnswered_ = true;
  Clock::time_point firstWrite_{};
  std::size_t firstWriteBytes_ = 0;
  std::size_t receivedAfterWrite_ = 0;
  double networkMs_ = -1;

  std::mutex send_;
  std::atomic<bool> woken_{false};
  std::atomic<bool> watching_{true};
  std::atomic<std::int32_t> awaited_{0};
};

std::unique_ptr<NetworkDevice> Connect(const std::string& name, bool telnet) {
  const NetAddress address = ParseNetAddress(name);
  try {
    return std::make_unique<NetworkDevice>(
        name, NetSocket::Connect(address.host, address.port, kConnectTimeout), telnet);
  } catch (const ENetError& error) {
    throw ECommError("Can't open specified device " + name + " (" + error.what() + ")");
  }
}

}  // namespace

std::unique_ptr<CommDevice> OpenRfc2217Device(const std::string& name) {
  std::unique_ptr<NetworkDevice> device = Connect(name, true);
  device->Negotiate();
  return device;
}

std::unique_ptr<CommDevice> OpenSocketDevice(const std::string& name) {
  return Connect(name, false);
}

}  // namespace serial
