#include "session.h"

#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "image_result.h"

namespace sim {

namespace {

constexpr std::uint8_t kHello = 0x55;
// After the end command, how long the flasher gets to read the last echo and close its
// side: closing the master first would throw away what it has not read yet.
constexpr auto kLinger = std::chrono::seconds(2);

}  // namespace

int Session::Run() {
  // The default 50 us of timer slack would make every reply late by that much.
  if (options_.pace) prctl(PR_SET_TIMERSLACK, 1UL);
  Start();
  for (;;) {
    if (const std::optional<int> done = Advance(Clock::now())) return *done;
    Wait();
    if (const std::optional<int> done = AfterWait()) return *done;
  }
}

void Session::Start() {
  if (line_.IsPty()) line_.WaitForPeer();
  Greet();
}

bool Session::TryStart() {
  if (line_.IsPty() && !line_.HasPeer()) return false;
  Greet();
  return true;
}

std::optional<int> Session::Advance(Clock::time_point horizon) {
  if (hangUpNow_) {
    line_.HangUp();
    std::fprintf(stderr, "zagruzchik-sim: hung up at the end command\n");
    PrintSummary();
    return *result_;
  }
  out_.WriteDue(line_.Fd(), horizon);
  if (hangUpWhenSent_ && out_.Empty()) {
    line_.HangUp();
    std::fprintf(stderr, "zagruzchik-sim: hung up after packet %d\n", answered_);
    return 0;
  }
  if (result_ && out_.Empty() && (!line_.IsPty() || Clock::now() >= lingerUntil_)) {
    PrintSummary();
    return *result_;
  }
  return std::nullopt;
}

std::optional<int> Session::AfterWait() {
  if (Receive()) return std::nullopt;
  if (options_.echoOnly) {
    out_.Discard();
    line_.WaitForPeer();
    return std::nullopt;
  }
  if (!result_)
    throw LineError("the line was closed after packet " + std::to_string(answered_) +
                    ", before the end command");
  PrintSummary();
  return *result_;
}

std::optional<Clock::time_point> Session::WakeAt() const {
  std::optional<Clock::time_point> until = out_.Blocked() ? std::nullopt : out_.NextDue();
  if (result_ && line_.IsPty() && (!until || lingerUntil_ < *until)) until = lingerUntil_;
  return until;
}

void Session::Greet() {
  const Clock::time_point at = Clock::now() + std::chrono::milliseconds(options_.helloDelayMs);
  for (const std::uint8_t byte : options_.noise) out_.Queue(byte, at);
  if (options_.noiseEveryMs > 0) {
    const Clock::time_point start = Clock::now();
    for (int k = 1; k * options_.noiseEveryMs <= 60000; ++k)
      out_.Queue(0x3C, start + std::chrono::milliseconds(k * options_.noiseEveryMs));
  }
  if (options_.silentAfter != 0 && !options_.echoOnly) out_.Queue(Reply(kHello, 0), at);
}

void Session::Wait() {
  pollfd entry{line_.Fd(), static_cast<short>(POLLIN | (out_.Blocked() ? POLLOUT : 0)), 0};
  const std::optional<Clock::time_point> until = WakeAt();
  timespec timeout{};
  if (until) {
    const auto left = std::max(Clock::duration::zero(), *until - Clock::now());
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    timeout = {static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
  }
  if (ppoll(&entry, 1, until ? &timeout : nullptr, nullptr) < 0 && errno != EINTR)
    throw LineError(std::string("poll: ") + std::strerror(errno));
}

bool Session::Receive() {
  std::uint8_t buffer[4096];
  const ssize_t count = read(line_.Fd(), buffer, sizeof buffer);
  if (count < 0 && (errno == EAGAIN || errno == EINTR)) return true;
  // A pseudo-terminal's master reads EIO once the other side is closed.
  if (count < 0 && errno != EIO) throw LineError(std::string("read: ") + std::strerror(errno));
  if (count <= 0) return false;
  const Clock::time_point now = Clock::now();
  for (ssize_t i = 0; i < count; ++i) {
    out_.Queue(buffer[i], now);  // the single-wire line's echo
    if (result_ || options_.echoOnly) continue;
    if (const auto packet = loader_.Take(buffer[i])) Answer(*packet);
  }
  return true;
}

void Session::Answer(const Packet& packet) {
  if (packet.kind == Packet::kEnd) {
    // A file that fails now still lets the end command's echo go back: the flasher has done
    // its part, and the failure is ours to report.
    try {
      result_ = FinishImage(options_, loader_.Image());
    } catch (const std::exception& error) {
      fileFailure_ = error.what();
      result_ = 3;
    }
    lingerUntil_ = Clock::now() + kLinger;
    hangUpNow_ = options_.hangupAtEnd;
    for (const std::uint8_t byte : options_.afterEnd) out_.Queue(byte, Clock::now());
    return;
  }
  if (options_.silentAfter && packet.number > *options_.silentAfter) {
    // Said once, so that a test can act while the program waits for this reply.
    if (packet.number == *options_.silentAfter + 1)
      std::fprintf(stderr, "zagruzchik-sim: silent from packet %d\n", packet.number);
    return;
  }
  out_.Queue(Reply(packet.reply, packet.number), Clock::now());
  answered_ = packet.number;
  if (options_.hangupAfter == packet.number) hangUpWhenSent_ = true;
}

std::uint8_t Session::Reply(std::uint8_t correct, int number) const {
  std::uint8_t reply = correct;
  if (options_.wrongReplyAt == number) reply ^= 0x01;  // wrong also in the low seven bits
  if (options_.bit7) reply |= 0x80;
  return reply;
}

void Session::PrintSummary() const {
  using Seconds = std::chrono::duration<double>;
  if (!fileFailure_.empty()) std::fprintf(stderr, "zagruzchik-sim: %s\n", fileFailure_.c_str());
  std::fprintf(stderr,
               "zagruzchik-sim: %zu blocks received; sent %llu bytes in %.6f s, line time %.6f s\n",
               loader_.Blocks(), static_cast<unsigned long long>(out_.BytesSent()),
               Seconds(out_.SendingSpan()).count(), Seconds(LineTime(out_.BytesSent())).count());
}

}  // namespace sim
