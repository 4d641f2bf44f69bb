#include "station.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "flash_options.h"
#include "h2b/hex_image_source.h"
#include "heard_bytes.h"

namespace flash {

namespace {

// A hello is one byte and then silence: the target waits for the synchronisation. One that
// more bytes follow at once is text (a finished board's firmware talking), not a board.
constexpr std::chrono::milliseconds kHelloSettles{6};

bool IsHello(std::uint8_t byte) {
  return (byte & 0x7F) == 0x55;
}

}  // namespace

Station::Station(serial::UiDispatcher& loop, std::string port, std::string hexFile,
                 std::shared_ptr<const h2b::ConvertedImage> image, bool repeat,
                 std::function<void(Station&)> changed)
    : port_(std::move(port)),
      hexFile_(std::move(hexFile)),
      images_(h2b::MakeImageSource(std::move(image))),
      repeat_(repeat),
      changed_(std::move(changed)),
      download_(*this, *this, *images_) {
  if (port_ != kAutoPort) {
    link_ = std::make_unique<serial::LoaderLink>(loop, static_cast<serial::LinkConsumer&>(*this));
    link_->Port().SetDeviceName(port_);
    // The line closes all of its ports at once; none waits for another's pause.
    link_->Port().SetClosePause(std::chrono::milliseconds(0));
    return;
  }
  serial::FirstHello::Calls calls;
  calls.found = [this](serial::FirstHello::Found found) { Take(std::move(found)); };
  calls.skipped = [this](const std::string& port, const std::string& message) {
    notes_.push_back(port + ": skipped: " + message);
  };
  calls.failed = [this](const std::string& message) { Fail(message); };
  search_ = std::make_unique<serial::FirstHello>(loop, serial::UsbSerialPorts, std::move(calls));
}

void Station::Take(serial::FirstHello::Found found) {
  link_ = std::move(found.link);
  link_->Connect(*this);
  link_->Port().SetClosePause(std::chrono::milliseconds(0));
  port_ = link_->Port().DeviceName();
  notes_.push_back("the target is on " + port_);
  // The hello begins the board once it has stood alone, as on a named port.
  lastActivity_ = helloAt_ = Clock::now();
  pending_ = std::move(found.heard);
}

void Station::Open() {
  if (link_)
    link_->Port().Open();
  else
    search_->Open();
}

bool Station::Ended() const {
  return state_ == State::Passed || state_ == State::Failed || state_ == State::TimedOut ||
         state_ == State::Interrupted;
}

void Station::Begin() {
  const bool afterAdapter = state_ == State::WaitingForAdapter;
  state_ = State::Waiting;
  percent_ = 0;
  message_.clear();
  board_ = 0;
  pending_.clear();
  started_ = ended_ = Clock::time_point{};
  try {
    download_.Start(hexFile_);
  } catch (const std::exception& error) {
    if (repeat_) {
      // The adapter may be on its way back (a board that powers it): tried again.
      state_ = State::WaitingForAdapter;
      const bool news = !afterAdapter || message_ != error.what();
      message_ = error.what();
      if (news) changed_(*this);
      return;
    }
    portFailed_ = !Active();
    Fail(error.what());
    return;
  }
  if (afterAdapter) ++reopened_;
  changed_(*this);
}

void Station::Stop() {
  if (search_) search_->Close();
  if (link_) link_->Port().Close();
}

double Station::Seconds() const {
  if (started_ == Clock::time_point{}) return 0;
  const Clock::time_point end = ended_ == Clock::time_point{} ? Clock::now() : ended_;
  return std::chrono::duration<double>(end - started_).count();
}

std::uint64_t Station::TakeDropped() {
  return std::exchange(dropped_, 0);
}

void Station::Received(std::int32_t count) {
  lastActivity_ = Clock::now();
  std::uint8_t bytes[1024];
  if (Ended() || state_ == State::WaitingForAdapter || (state_ == State::Waiting && repeat_)) {
    const std::int32_t n =
        link_->Port().ReadBuf(bytes, std::min<std::int32_t>(count, sizeof bytes));
    if (state_ != State::Waiting) {
      // Between boards: what the finished one still says is not the next one's hello.
      dropped_ += static_cast<std::uint64_t>(n);
      return;
    }
    // A board begins at its hello; a hello with company is text, and so is what it was.
    dropped_ += pending_.size();
    pending_.clear();
    if (n > 0 && IsHello(bytes[n - 1])) {
      dropped_ += static_cast<std::uint64_t>(n - 1);
      pending_.push_back(bytes[n - 1]);
      helloAt_ = lastActivity_;
    } else {
      dropped_ += static_cast<std::uint64_t>(n);
    }
    return;
  }
  try {
    download_.RxChar(count);
  } catch (const std::exception& error) {
    Fail(error.what());
  }
}

void Station::Tick(Clock::time_point now) {
  if (state_ != State::Waiting || pending_.empty() || now - helloAt_ < kHelloSettles) return;
  try {
    download_.RxChar(static_cast<std::int32_t>(pending_.size()));
  } catch (const std::exception& error) {
    Fail(error.what());
  }
}

std::int32_t Station::ReadBuf(std::uint8_t* buffer, std::int32_t count) {
  if (pending_.empty()) return link_ ? link_->Port().ReadBuf(buffer, count) : 0;
  return TakeHeard(pending_, buffer, count);
}

bool Station::LineLost(bool allWritten) {
  const bool boardUnderWay = state_ == State::Downloading;
  const bool report = download_.LineLost(allWritten);
  if (!repeat_ || boardUnderWay) return report;
  // Between boards no board is lost: the adapter (one the board powers, say) is waited for
  // and opened again; after a board the next Begin finds it gone.
  if (state_ == State::Waiting) {
    state_ = State::WaitingForAdapter;
    message_ = "the port went away";
    changed_(*this);
  }
  return false;
}

void Station::TimeOut(double seconds) {
  if (state_ != State::Downloading) return;
  char text[96];
  std::snprintf(text, sizeof text, "Нет ответа от устройства за %g с", seconds);
  // Closed and opened again for the next board: nothing of this one stays on the line.
  link_->Port().Close();
  Fail(text, State::TimedOut);
}

void Station::Interrupt() {
  if (state_ != State::Downloading) return;
  Fail("Прервано", State::Interrupted);
}

void Station::Fail(const std::string& message, State how) {
  if (Ended()) return;
  message_ = message;
  End(how);
}

void Station::End(State how) {
  state_ = how;
  ended_ = Clock::now();
  changed_(*this);
}

void Station::SetProgressParts(std::uint32_t partsComplete) {
  lastActivity_ = Clock::now();
  if (total_ == 0) return;
  const std::uint32_t parts = partsComplete < total_ ? partsComplete : total_;
  const auto percent = static_cast<unsigned>(std::nearbyint(100.0 * parts / total_));
  if (percent == percent_) return;
  percent_ = percent;
  changed_(*this);
}

void Station::ShowProgress() {
  state_ = State::Downloading;
  started_ = lastActivity_ = Clock::now();
  changed_(*this);
}

void Station::DownloadEnded(transfer::Ending how) {
  // The other endings come with their message: the notice or the port's failure.
  if (how != transfer::Ending::Finished) return;
  percent_ = 100;
  End(State::Passed);
}

}  // namespace flash
