#include "station.h"

#include <cmath>

#include "h2b/hex_image_source.h"

namespace flash {

Station::Station(serial::UiDispatcher& loop, std::string port, std::string hexFile,
                 std::shared_ptr<const h2b::ConvertedImage> image,
                 std::function<void(Station&)> changed)
    : port_(std::move(port)),
      hexFile_(std::move(hexFile)),
      images_(h2b::MakeImageSource(std::move(image))),
      changed_(std::move(changed)),
      link_(loop, *this),
      device_(link_.Port()),
      download_(device_, *this, *images_) {
  device_.SetDeviceName(port_);
}

bool Station::LineLost(bool allWritten) {
  lostBeforeHello_ = state_ == State::Waiting;
  return download_.LineLost(allWritten);
}

void Station::Begin(bool nextBoard) {
  if (nextBoard) ++board_;
  lostBeforeHello_ = false;
  state_ = State::Waiting;
  percent_ = 0;
  message_.clear();
  started_ = ended_ = Clock::time_point{};
  try {
    download_.Start(hexFile_);
  } catch (const std::exception& error) {
    portFailed_ = !device_.Active();
    Fail(error.what());
    return;
  }
  changed_(*this);
}

void Station::Stop() {
  device_.Close();
}

double Station::Seconds() const {
  if (started_ == Clock::time_point{}) return 0;
  const Clock::time_point end = ended_ == Clock::time_point{} ? Clock::now() : ended_;
  return std::chrono::duration<double>(end - started_).count();
}

void Station::Received(std::int32_t count) {
  if (state_ == State::Passed || state_ == State::Failed) {
    // Between boards: what the finished one still says is not the next one's hello.
    std::uint8_t ignored[1024];
    device_.ReadBuf(ignored, std::min<std::int32_t>(count, sizeof ignored));
    return;
  }
  try {
    download_.RxChar(count);
  } catch (const std::exception& error) {
    Fail(error.what());
  }
}

void Station::Fail(const std::string& message) {
  if (state_ == State::Passed || state_ == State::Failed) return;
  state_ = State::Failed;
  message_ = message;
  ended_ = Clock::now();
  changed_(*this);
}

void Station::SetProgressParts(std::uint32_t partsComplete) {
  if (total_ == 0) return;
  const std::uint32_t parts = partsComplete < total_ ? partsComplete : total_;
  const auto percent = static_cast<unsigned>(std::nearbyint(100.0 * parts / total_));
  if (percent == percent_) return;
  percent_ = percent;
  changed_(*this);
}

void Station::ShowProgress() {
  state_ = State::Downloading;
  started_ = Clock::now();
  changed_(*this);
}

void Station::DownloadEnded(transfer::Ending how) {
  // The other endings come with their message: the notice or the port's failure.
  if (how != transfer::Ending::Finished) return;
  state_ = State::Passed;
  percent_ = 100;
  ended_ = Clock::now();
  changed_(*this);
}

}  // namespace flash
