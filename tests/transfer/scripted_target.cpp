#include "scripted_target.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <stdexcept>

namespace transfer::testing {

ScriptedTarget::ScriptedTarget(Journal* journal, std::string deviceName)
    : journal_(journal), deviceName_(std::move(deviceName)) {}

void ScriptedTarget::Open() {
  ++openCalls_;
  Note(journal_, "open port");
  if (openFailure_) throw std::runtime_error(*openFailure_);
  active_ = true;
}

std::int32_t ScriptedTarget::WriteBuf(const std::uint8_t* buffer, std::int32_t count) {
  Packet packet(buffer, buffer + count);
  Note(journal_, "write " + Describe(packet));
  const std::size_t index = packets_.size();
  packets_.push_back(packet);

  std::vector<std::uint8_t> arrival;
  if (echo_) arrival = packet;
  // -1: no reply (an int rather than an optional keeps GCC's maybe-uninitialized check quiet).
  int reply = Answer(packet).value_or(-1);
  if (!answering_) reply = -1;
  if (auto it = replies_.find(index); it != replies_.end()) reply = it->second;
  if (reply >= 0) arrival.push_back(static_cast<std::uint8_t>(flipBit7_ ? reply ^ 0x80 : reply));
  if (auto it = trailers_.find(index); it != trailers_.end()) arrival.push_back(it->second);
  Inject(std::move(arrival));
  return count;
}

std::int32_t ScriptedTarget::ReadBuf(std::uint8_t* buffer, std::int32_t count) {
  readRequests_.push_back(count);
  const auto n = std::min<std::size_t>(input_.size(), static_cast<std::size_t>(std::max(count, 0)));
  std::copy_n(input_.begin(), n, buffer);
  input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
  return static_cast<std::int32_t>(n);
}

void ScriptedTarget::Await(std::int32_t count) {
  std::size_t pending = input_.size();
  for (const Packet& arrival : line_) pending += arrival.size();
  hints_.push_back({count, pending, packets_.size()});
}

void ScriptedTarget::Inject(std::vector<std::uint8_t> bytes) {
  if (!bytes.empty()) line_.push_back(std::move(bytes));
}

bool ScriptedTarget::DeliverOne() {
  if (line_.empty()) return false;
  auto& arrival = line_.front();
  const std::size_t n = chunk_ == 0 ? arrival.size() : std::min(chunk_, arrival.size());
  input_.insert(input_.end(), arrival.begin(), arrival.begin() + static_cast<std::ptrdiff_t>(n));
  arrival.erase(arrival.begin(), arrival.begin() + static_cast<std::ptrdiff_t>(n));
  if (arrival.empty()) line_.pop_front();
  if (onRxChar_) onRxChar_(static_cast<std::int32_t>(input_.size()));
  return true;
}

void ScriptedTarget::Run(std::size_t maxNotifications) {
  for (std::size_t i = 0; i < maxNotifications; ++i) {
    if (!DeliverOne()) return;
  }
  throw std::runtime_error("the line never got quiet");
}

std::optional<std::uint8_t> ScriptedTarget::Answer(const Packet& p) {
  const auto address = [&p] { return static_cast<std::uint16_t>(p[1] << 8 | p[2]); };
  if (p == Packet{0x55, 0x33, 0xCC}) return 0xAA;
  if (p.size() == 3 && p[0] == 0x11) {
    addressCommands_.push_back(address());
    return 0xAA;
  }
  if (p.size() == 131 && p[0] == 0x22) {
    dataAddresses_.push_back(address());
    image_.insert(image_.end(), p.begin() + 3, p.end());
    return static_cast<std::uint8_t>(std::accumulate(p.begin() + 3, p.end(), 0u));
  }
  if (p == Packet{0x99, 0x00, 0x00}) {
    finished_ = true;
    return std::nullopt;
  }
  ++protocolErrors_;
  return std::nullopt;
}

std::string Describe(const ScriptedTarget::Packet& packet) {
  std::string text;
  char hex[4];
  for (std::size_t i = 0; i < packet.size() && i < 3; ++i) {
    std::snprintf(hex, sizeof hex, i ? " %02X" : "%02X", packet[i]);
    text += hex;
  }
  if (packet.size() > 3) text += " +" + std::to_string(packet.size() - 3);
  return text;
}

}  // namespace transfer::testing
