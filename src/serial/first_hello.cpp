#include "serial/first_hello.h"

#include <algorithm>
#include <stdexcept>

#include "serial/comm_error.h"
#include "serial/discovery.h"
#include "sys/compare_text.h"
#include "transfer/packets.h"

namespace serial {

std::vector<std::string> UsbSerialPorts() {
  std::vector<std::string> usb;
  for (const std::string& name : ListSerialPorts())
    if (!DescribeSerialPort(name).usbId.empty()) usb.push_back(name);
  sys::SortTexts(usb);
  return usb;
}

class FirstHello::Candidate : public LinkConsumer {
 public:
  Candidate(FirstHello& search, const std::string& name)
      : search_(search), link_(std::make_unique<LoaderLink>(search.ui_, *this)) {
    link_->Port().SetDeviceName(name);
  }
  ~Candidate() override {
    if (link_) link_->Port().Close();
  }

  TCommPort& Port() { return link_->Port(); }
  std::unique_ptr<LoaderLink> Take() { return std::move(link_); }
  // Closed without the pause that lets a last packet drain: nothing was ever written.
  void CloseAtOnce() {
    if (!link_) return;
    link_->Port().SetClosePause(std::chrono::milliseconds(0));
    link_->Port().Close();
  }

 private:
  void Received(std::int32_t count) override {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max(count, 1)));
    const std::int32_t got = Port().ReadBuf(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(std::max(got, 0)));
    const auto hello = std::find_if(bytes.begin(), bytes.end(), [](std::uint8_t byte) {
      return transfer::ReplyMatches(byte, transfer::kDeviceHello);
    });
    if (hello != bytes.end()) search_.Heard(*this, std::vector<std::uint8_t>(hello, bytes.end()));
  }
  // The port's own message follows through Failed.
  bool LineLost(bool) override { return true; }
  void Failed(const std::exception_ptr& failure) override {
    search_.Dropped(*this, MessageOf(failure));
  }

  FirstHello& search_;
  std::unique_ptr<LoaderLink> link_;
};

FirstHello::FirstHello(UiDispatcher& ui, std::function<std::vector<std::string>()> candidates,
                       Calls calls)
    : ui_(ui), candidateNames_(std::move(candidates)), calls_(std::move(calls)) {}

FirstHello::~FirstHello() = default;

void FirstHello::Open() {
  Close();
  const std::vector<std::string> names = candidateNames_();
  if (names.empty()) {
    std::string present;
    for (const std::string& name : ListSerialPorts())
      present += (present.empty() ? "" : ", ") + name;
    throw std::runtime_error("No USB serial adapter found for --port auto (ports present: " +
                             (present.empty() ? std::string("none") : present) + ")");
  }
  std::string failures;
  for (const std::string& name : names) {
    auto candidate = std::make_unique<Candidate>(*this, name);
    try {
      candidate->Port().Open();
    } catch (const std::exception& error) {
      failures += std::string(failures.empty() ? "" : "; ") + error.what();
      calls_.skipped(name, error.what());
      continue;
    }
    candidates_.push_back(std::move(candidate));
  }
  if (candidates_.empty())
    throw std::runtime_error("No USB serial adapter could be opened for --port auto: " + failures);
}

bool FirstHello::Listening() const {
  return !candidates_.empty();
}

void FirstHello::Close() {
  for (auto& candidate : candidates_) candidate->CloseAtOnce();
  candidates_.clear();
}

void FirstHello::Heard(Candidate& winner, std::vector<std::uint8_t> heard) {
  Found found{winner.Take(), std::move(heard)};
  Retire([](const Candidate&) { return true; });
  calls_.found(std::move(found));
}

void FirstHello::Dropped(Candidate& lost, const std::string& message) {
  const std::string name = lost.Port().DeviceName();
  Retire([&lost](const Candidate& candidate) { return &candidate == &lost; });
  calls_.skipped(name, message);
  if (candidates_.empty()) calls_.failed(message);
}

// Called from inside a candidate's own notification: the candidates leave the search now and
// are destroyed once that notification has returned.
template <typename Which>
void FirstHello::Retire(Which which) {
  auto gone = std::make_shared<std::vector<std::unique_ptr<Candidate>>>();
  auto kept = candidates_.begin();
  for (auto& candidate : candidates_) {
    if (which(*candidate)) {
      candidate->CloseAtOnce();
      gone->push_back(std::move(candidate));
    } else {
      *kept++ = std::move(candidate);
    }
  }
  candidates_.erase(kept, candidates_.end());
  ui_.Post([gone] {});
}

}  // namespace serial
