#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace serial {

// The client's side of Telnet (RFC 854) with the com-port option (RFC 2217), as a network serial
// port speaks it, without I/O: bytes from the server go in, the line's data and the answers for
// the server come out. Commands and sub-negotiations are taken wherever they fall, also split
// across reads. Not thread-safe: its owner locks.
class TelnetCodec {
 public:
  // Telnet's bytes and the options wanted.
  static constexpr std::uint8_t kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251,
                                kSb = 250, kSe = 240;
  static constexpr std::uint8_t kBinary = 0, kEcho = 1, kSuppressGoAhead = 3, kComPort = 44;
  // RFC 2217's commands, client to server; the server answers each with its code plus 100.
  static constexpr std::uint8_t kSetBaudRate = 1, kSetDataSize = 2, kSetParity = 3,
                                kSetStopSize = 4, kSetControl = 5, kPurgeData = 12;
  static constexpr std::uint8_t kServerOffset = 100, kNotifyLineState = 106;
  // A sub-negotiation longer than this is no com-port answer: the server speaks nonsense.
  static constexpr std::size_t kMaxSubnegotiation = 64;

  // What the client asks for first: binary both ways, no go-ahead both ways, the com-port option.
  std::vector<std::uint8_t> Greeting();
  // Outgoing line data: 0xFF doubled, and CR followed by NUL while the server has not taken
  // binary from us.
  void EncodeData(const std::uint8_t* data, std::size_t n, std::vector<std::uint8_t>& out) const;
  // IAC SB COM-PORT-OPTION command value IAC SE, with 0xFF in the value doubled.
  static std::vector<std::uint8_t> ComPortCommand(std::uint8_t command,
                                                  const std::vector<std::uint8_t>& value);

  // Feeds bytes from the server; returns false when they are not Telnet (an overlong
  // sub-negotiation), after which nothing more is decoded.
  bool Decode(const std::uint8_t* in, std::size_t n, std::vector<std::uint8_t>& data,
              std::vector<std::uint8_t>& answers);

  // What the server has said.
  bool ComPortAccepted() const { return us_[kComPort]; }
  bool ComPortRefused() const { return refused_[kComPort]; }
  // The rate of its last answer to SET-BAUDRATE, and how many such answers came.
  std::optional<std::uint32_t> BaudRate() const { return baudRate_; }
  int BaudRateAnswers() const { return baudRateAnswers_; }
  // How many SET-CONTROL answers have come.
  int ControlAnswers() const { return controlAnswers_; }
  // Line errors it notified since the last call (kCe... flags), cleared by the call.
  std::uint32_t TakeLineErrors();
  // Option commands received in all; a server that keeps sending them is said to be confused.
  std::size_t OptionCommands() const { return optionCommands_; }

 private:
  enum class State { Data, Cr, Iac, Option, Sub, SubIac };
  static bool WantedByUs(std::uint8_t option);
  static bool WantedFromServer(std::uint8_t option);
  void Request(std::uint8_t verb, std::uint8_t option, std::vector<std::uint8_t>& out);
  void OnOption(std::uint8_t verb, std::uint8_t option, std::vector<std::uint8_t>& answers);
  void OnSubnegotiation();
  void DataByte(std::uint8_t byte, std::vector<std::uint8_t>& data);

  State state_ = State::Data;
  bool broken_ = false;
  std::uint8_t verb_ = 0;
  std::vector<std::uint8_t> sub_;
  bool us_[256] = {};        // options in force on our side (we WILL)
  bool him_[256] = {};       // options in force on the server's side (it WILL)
  bool askedUs_[256] = {};   // we sent WILL and wait for the answer
  bool askedHim_[256] = {};  // we sent DO and wait for the answer
  bool refused_[256] = {};   // the server refused what we asked
  std::optional<std::uint32_t> baudRate_;
  int baudRateAnswers_ = 0;
  int controlAnswers_ = 0;
  std::uint32_t lineErrors_ = 0;
  std::size_t optionCommands_ = 0;
};

}  // namespace serial
