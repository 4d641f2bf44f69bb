#include "serial/net/telnet_codec.h"

#include "serial/comm_settings.h"

namespace serial {

namespace {

constexpr std::uint8_t kCr = 0x0D, kNul = 0x00;

}  // namespace

bool TelnetCodec::WantedByUs(std::uint8_t option) {
  return option == kBinary || option == kSuppressGoAhead || option == kComPort;
}

// Not the echo: the line's own echo is what the download counts on.
bool TelnetCodec::WantedFromServer(std::uint8_t option) {
  return option == kBinary || option == kSuppressGoAhead;
}

void TelnetCodec::Request(std::uint8_t verb, std::uint8_t option, std::vector<std::uint8_t>& out) {
  (verb == kWill ? askedUs_ : askedHim_)[option] = true;
  out.push_back(kIac);
  out.push_back(verb);
  out.push_back(option);
}

std::vector<std::uint8_t> TelnetCodec::Greeting() {
  std::vector<std::uint8_t> out;
  out.reserve(15);
  Request(kWill, kBinary, out);
  Request(kDo, kBinary, out);
  Request(kWill, kSuppressGoAhead, out);
  Request(kDo, kSuppressGoAhead, out);
  Request(kWill, kComPort, out);
  return out;
}

void TelnetCodec::EncodeData(const std::uint8_t* data, std::size_t n,
                             std::vector<std::uint8_t>& out) const {
  for (std::size_t i = 0; i < n; ++i) {
    out.push_back(data[i]);
    if (data[i] == kIac) out.push_back(kIac);
    if (data[i] == kCr && !us_[kBinary]) out.push_back(kNul);
  }
}

std::vector<std::uint8_t> TelnetCodec::ComPortCommand(std::uint8_t command,
                                                      const std::vector<std::uint8_t>& value) {
  std::vector<std::uint8_t> out{kIac, kSb, kComPort, command};
  for (const std::uint8_t byte : value) {
    out.push_back(byte);
    if (byte == kIac) out.push_back(kIac);
  }
  out.insert(out.end(), {kIac, kSe});
  return out;
}

void TelnetCodec::DataByte(std::uint8_t byte, std::vector<std::uint8_t>& data) {
  data.push_back(byte);
  // Outside binary mode a CR travels as CR NUL (or CR LF): the NUL is not the line's.
  state_ = byte == kCr && !him_[kBinary] ? State::Cr : State::Data;
}

bool TelnetCodec::Decode(const std::uint8_t* in, std::size_t n, std::vector<std::uint8_t>& data,
                         std::vector<std::uint8_t>& answers) {
  for (std::size_t i = 0; i < n && !broken_; ++i) {
    const std::uint8_t byte = in[i];
    switch (state_) {
      case State::Cr:
        state_ = State::Data;
        if (byte == kNul) break;
        [[fallthrough]];
      case State::Data:
        if (byte == kIac) {
          state_ = State::Iac;
        } else {
          DataByte(byte, data);
        }
        break;
      case State::Iac:
        if (byte == kIac) {
          DataByte(byte, data);
        } else if (byte >= kWill && byte <= kDont) {
          verb_ = byte;
          state_ = State::Option;
        } else if (byte == kSb) {
          sub_.clear();
          state_ = State::Sub;
        } else {
          state_ = State::Data;  // NOP, GA, DM and the like mean nothing to a serial line
        }
        break;
      case State::Option:
        OnOption(verb_, byte, answers);
        state_ = State::Data;
        break;
      case State::Sub:
        if (byte == kIac) {
          state_ = State::SubIac;
        } else if (sub_.size() < kMaxSubnegotiation) {
          sub_.push_back(byte);
        } else {
          broken_ = true;
        }
        break;
      case State::SubIac:
        if (byte == kSe) {
          OnSubnegotiation();
          state_ = State::Data;
        } else if (byte == kIac && sub_.size() < kMaxSubnegotiation) {
          sub_.push_back(kIac);
          state_ = State::Sub;
        } else {
          broken_ = true;  // IAC then anything but SE or IAC inside a sub-negotiation
        }
        break;
    }
  }
  return !broken_;
}

// Each request is answered once per change of state (RFC 1143): a server repeating itself gets
// no echo of its own requests, so no loop can build up between us.
void TelnetCodec::OnOption(std::uint8_t verb, std::uint8_t option,
                           std::vector<std::uint8_t>& answers) {
  ++optionCommands_;
  const bool ours = verb == kDo || verb == kDont;
  bool* enabled = ours ? us_ : him_;
  bool* asked = ours ? askedUs_ : askedHim_;
  const bool wanted = ours ? WantedByUs(option) : WantedFromServer(option);
  const bool positive = verb == kDo || verb == kWill;
  const std::uint8_t agree = ours ? kWill : kDo;
  const std::uint8_t decline = ours ? kWont : kDont;
  if (positive) {
    if (enabled[option]) return;
    if (wanted) {
      enabled[option] = true;
      if (!asked[option]) answers.insert(answers.end(), {kIac, agree, option});
      asked[option] = false;
    } else {
      answers.insert(answers.end(), {kIac, decline, option});
    }
    return;
  }
  if (asked[option]) {
    asked[option] = false;
    refused_[option] = true;
  }
  if (!enabled[option]) return;
  enabled[option] = false;
  answers.insert(answers.end(), {kIac, decline, option});
}

void TelnetCodec::OnSubnegotiation() {
  if (sub_.size() < 2 || sub_[0] != kComPort) return;
  const std::uint8_t command = sub_[1];
  const std::size_t length = sub_.size() - 2;
  const std::uint8_t* value = sub_.data() + 2;
  if (command == kServerOffset + kSetBaudRate && length == 4) {
    baudRate_ = static_cast<std::uint32_t>(value[0]) << 24 |
                static_cast<std::uint32_t>(value[1]) << 16 |
                static_cast<std::uint32_t>(value[2]) << 8 | value[3];
    ++baudRateAnswers_;
  } else if (command == kServerOffset + kSetControl) {
    ++controlAnswers_;
  } else if (command == kNotifyLineState && length >= 1) {
    // RFC 2217's line-state bits: overrun 2, parity 4, framing 8, break 16.
    if (value[0] & 0x02) lineErrors_ |= kCeOverrun;
    if (value[0] & 0x04) lineErrors_ |= kCeRxParity;
    if (value[0] & 0x08) lineErrors_ |= kCeFrame;
    if (value[0] & 0x10) lineErrors_ |= kCeBreak;
  }
}

std::uint32_t TelnetCodec::TakeLineErrors() {
  const std::uint32_t errors = lineErrors_;
  lineErrors_ = 0;
  return errors;
}

}  // namespace serial
