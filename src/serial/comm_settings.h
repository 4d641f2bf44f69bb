#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace serial {

// A small set of enumeration values, one bit per value, as the port's option and event sets.
template <typename E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> values) {
    for (E v : values) bits_ |= Bit(v);
  }
  constexpr bool Contains(E v) const { return (bits_ & Bit(v)) != 0; }
  constexpr TSet& Include(E v) {
    bits_ |= Bit(v);
    return *this;
  }
  constexpr TSet& Exclude(E v) {
    bits_ &= ~Bit(v);
    return *this;
  }
  constexpr bool Empty() const { return bits_ == 0; }
  friend constexpr bool operator==(TSet, TSet) = default;

 private:
  static constexpr std::uint32_t Bit(E v) { return std::uint32_t{1} << static_cast<unsigned>(v); }
  std::uint32_t bits_ = 0;
};

enum class TBaudRate {
  brUser,
  br110,
  br300,
  br600,
  br1200,
  br2400,
  br4800,
  br9600,
  br14400,
  br19200,
  br38400,
  br56000,
  br57600,
  br115200,
  br128000,
  br256000
};
// The rate named by a value; 0 for brUser.
std::int32_t BaudRateValue(TBaudRate rate);

enum class TParity { paNone, paOdd, paEven, paMark, paSpace };
enum class TDatabits { db4, db5, db6, db7, db8 };
enum class TStopbits { sb1, sb15, sb2 };
enum class TDtrControl { dtrDisabled, dtrEnabled, dtrHandshake };
enum class TRtsControl { rtsDisabled, rtsEnabled, rtsHandshake, rtsToggle };

struct TFlowControl {
  bool OutCtsFlow = false;
  bool OutDsrFlow = false;
  TDtrControl ControlDtr = TDtrControl::dtrDisabled;
  TRtsControl ControlRts = TRtsControl::rtsDisabled;
  bool XonXoffOut = false;
  bool XonXoffIn = false;
  bool DsrSensitivity = false;
  bool TxContinueOnXoff = false;
  friend bool operator==(const TFlowControl&, const TFlowControl&) = default;
};

enum class TCommOption { coErrorChar, coNullStrip, coParityCheck };
using TCommOptions = TSet<TCommOption>;

struct TEventChars {
  std::uint8_t XonChar = 0x11;
  std::uint8_t XoffChar = 0x13;
  std::uint8_t ErrorChar = 0;
  std::uint8_t EventChar = 0;
  std::uint8_t EofChar = 0;
  friend bool operator==(const TEventChars&, const TEventChars&) = default;
};

struct TBuffers {
  std::int32_t ReadSize = 4096;
  std::int32_t WriteSize = 2048;     // capacity of the transmit queue
  std::int32_t ReadTimeout = 1000;   // ms
  std::int32_t WriteTimeout = 1000;  // ms
  std::int32_t XonLimit = 1024;
  std::int32_t XoffLimit = 1024;
  friend bool operator==(const TBuffers&, const TBuffers&) = default;
};

enum class TCommEvent {
  ceBreak,
  ceCts,
  ceDsr,
  ceError,
  ceRing,
  ceRlsd,
  ceRxChar,
  ceTxEmpty,
  ceRxFlag,
  cePErr,
  ceRx80Full,
  ceEvent1,
  ceEvent2
};
using TCommEvents = TSet<TCommEvent>;

// Event bits of the line, as the event thread reports them.
inline constexpr std::uint32_t kEvRxChar = 0x0001;
inline constexpr std::uint32_t kEvRxFlag = 0x0002;
inline constexpr std::uint32_t kEvTxEmpty = 0x0004;
inline constexpr std::uint32_t kEvCts = 0x0008;
inline constexpr std::uint32_t kEvDsr = 0x0010;
inline constexpr std::uint32_t kEvRlsd = 0x0020;
inline constexpr std::uint32_t kEvBreak = 0x0040;
inline constexpr std::uint32_t kEvErr = 0x0080;
inline constexpr std::uint32_t kEvRing = 0x0100;
inline constexpr std::uint32_t kEvPerr = 0x0200;
inline constexpr std::uint32_t kEvRx80Full = 0x0400;
inline constexpr std::uint32_t kEvEvent1 = 0x0800;
inline constexpr std::uint32_t kEvEvent2 = 0x1000;

// The event mask an opening waits for. Without direct writing the writer thread reports an
// empty transmit queue itself, so kEvTxEmpty is left out.
std::uint32_t EventMask(TCommEvents events, bool directWrite);

// Line-error flags passed to OnError.
inline constexpr std::uint32_t kCeRxOver = 0x0001;
inline constexpr std::uint32_t kCeOverrun = 0x0002;
inline constexpr std::uint32_t kCeRxParity = 0x0004;
inline constexpr std::uint32_t kCeFrame = 0x0008;
inline constexpr std::uint32_t kCeBreak = 0x0010;

enum class TThreadPriority {
  tpIdle,
  tpLowest,
  tpLower,
  tpNormal,
  tpHigher,
  tpHighest,
  tpTimeCritical
};

// Everything the platform needs to configure the line, resolved from the port's settings.
struct TLineSettings {
  std::int32_t BaudRate = 0;  // bit/s
  TParity Parity = TParity::paNone;
  TDatabits Databits = TDatabits::db8;
  TStopbits Stopbits = TStopbits::sb1;
  TFlowControl FlowControl;
  TCommOptions Options;
  TEventChars EventChars;
  std::int32_t XonLimit = 1024;
  std::int32_t XoffLimit = 1024;
};

// "COM%d" with 0 gives "COM0": the first %d takes the number, "%%" gives "%", anything else is
// kept as written (the pattern is user input, so it never reaches printf).
std::string FormatDeviceName(const std::string& pattern, std::int32_t portNum);

}  // namespace serial
