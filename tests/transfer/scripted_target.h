#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "journal.h"
#include "transfer/port.h"

namespace transfer::testing {

// A boot loader on an echoing single-wire line, behind the port interface. Everything
// written comes back as echo, followed by the loader's reply; the bytes wait on the "line"
// until the test delivers them, one notification at a time, to the OnRxChar handler with
// the count waiting in the input queue, as the real port's notification does. Nothing is
// delivered from inside WriteBuf, so the handler is never re-entered.
class ScriptedTarget : public Port {
 public:
  using Packet = std::vector<std::uint8_t>;

  explicit ScriptedTarget(Journal* journal = nullptr, std::string deviceName = "ttyTARGET");

  std::string DeviceName() const override { return deviceName_; }
  bool Active() const override { return active_; }
  void Open() override;
  std::int32_t WriteBuf(const std::uint8_t* buffer, std::int32_t count) override;
  std::int32_t ReadBuf(std::uint8_t* buffer, std::int32_t count) override;
  // Recorded with what the line still holds for the reader then.
  void Await(std::int32_t count) override;

  void SetDeviceName(std::string name) { deviceName_ = std::move(name); }
  void SetActive(bool active) { active_ = active; }
  // Open throws std::runtime_error with this text from now on.
  void FailOpen(std::string message) { openFailure_ = std::move(message); }
  void SetOnRxChar(std::function<void(std::int32_t)> handler) { onRxChar_ = std::move(handler); }

  // Faults and line behaviour.
  void SetEcho(bool echo) { echo_ = echo; }
  // A loader that does not answer: the test injects the replies itself.
  void SetAnswering(bool answering) { answering_ = answering; }
  // Bytes of one arrival handed over per notification; 0 means the whole arrival at once.
  void SetChunk(std::size_t bytes) { chunk_ = bytes; }
  void ReplaceReply(std::size_t packetIndex, std::uint8_t reply) { replies_[packetIndex] = reply; }
  // One more byte right after the reply to the packet, in the same arrival.
  void AppendAfterReply(std::size_t packetIndex, std::uint8_t byte) {
    trailers_[packetIndex] = byte;
  }
  void SetFlipBit7(bool flip) { flipBit7_ = flip; }

  // The line.
  void SendHello(std::uint8_t hello = 0x55) { Inject({hello}); }
  // One arrival of bytes from the target.
  void Inject(std::vector<std::uint8_t> bytes);
  // The line goes dead: whatever was on it or waiting in the input queue is gone.
  void Discard() {
    line_.clear();
    input_.clear();
  }
  // Moves the next chunk into the input queue and notifies; false when nothing new arrived.
  bool DeliverOne();
  // Delivers until the line is quiet; throws when it never gets quiet.
  void Run(std::size_t maxNotifications = 100000);

  const std::vector<Packet>& Packets() const { return packets_; }
  // The data of every DataCommand, in arrival order, and the address each carried.
  const std::vector<std::uint8_t>& Image() const { return image_; }
  const std::vector<std::uint16_t>& DataAddresses() const { return dataAddresses_; }
  const std::vector<std::uint16_t>& AddressCommands() const { return addressCommands_; }
  bool Finished() const { return finished_; }
  // Packets the loader did not understand.
  std::size_t ProtocolErrors() const { return protocolErrors_; }
  // Received bytes that have arrived but were not read yet.
  std::size_t Waiting() const { return input_.size(); }
  bool LineQuiet() const { return line_.empty(); }
  const std::vector<std::int32_t>& ReadRequests() const { return readRequests_; }
  int OpenCalls() const { return openCalls_; }
  struct Hint {
    std::int32_t awaited;
    std::size_t pending;  // bytes on the line or in the input queue when it was given
    std::size_t packets;  // packets written before it
  };
  const std::vector<Hint>& Hints() const { return hints_; }

 private:
  std::optional<std::uint8_t> Answer(const Packet& packet);

  std::vector<Hint> hints_;

  Journal* journal_;
  std::string deviceName_;
  bool active_ = false;
  std::optional<std::string> openFailure_;
  std::function<void(std::int32_t)> onRxChar_;
  bool echo_ = true;
  bool answering_ = true;
  std::size_t chunk_ = 0;
  std::map<std::size_t, std::uint8_t> replies_;
  std::map<std::size_t, std::uint8_t> trailers_;
  bool flipBit7_ = false;

  std::deque<std::vector<std::uint8_t>> line_;
  std::deque<std::uint8_t> input_;

  std::vector<Packet> packets_;
  std::vector<std::uint8_t> image_;
  std::vector<std::uint16_t> dataAddresses_;
  std::vector<std::uint16_t> addressCommands_;
  bool finished_ = false;
  std::size_t protocolErrors_ = 0;
  std::vector<std::int32_t> readRequests_;
  int openCalls_ = 0;
};

// "55 33 CC" for the first three bytes, "+128" for the rest of a data packet.
std::string Describe(const ScriptedTarget::Packet& packet);

}  // namespace transfer::testing
