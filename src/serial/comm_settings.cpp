#include "serial/comm_settings.h"

#include <array>

namespace serial {

std::int32_t BaudRateValue(TBaudRate rate) {
  static constexpr std::array<std::int32_t, 16> kRates = {
      0,     110,   300,   600,   1200,  2400,   4800,   9600,
      14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
  return kRates.at(static_cast<std::size_t>(rate));
}

std::uint32_t EventMask(TCommEvents events, bool directWrite) {
  struct Mapping {
    TCommEvent event;
    std::uint32_t bit;
  };
  static constexpr std::array<Mapping, 13> kBits = {{{TCommEvent::ceBreak, kEvBreak},
                                                     {TCommEvent::ceCts, kEvCts},
                                                     {TCommEvent::ceDsr, kEvDsr},
                                                     {TCommEvent::ceError, kEvErr},
                                                     {TCommEvent::ceRing, kEvRing},
                                                     {TCommEvent::ceRlsd, kEvRlsd},
                                                     {TCommEvent::ceRxChar, kEvRxChar},
                                                     {TCommEvent::ceTxEmpty, kEvTxEmpty},
                                                     {TCommEvent::ceRxFlag, kEvRxFlag},
                                                     {TCommEvent::cePErr, kEvPerr},
                                                     {TCommEvent::ceRx80Full, kEvRx80Full},
                                                     {TCommEvent::ceEvent1, kEvEvent1},
                                                     {TCommEvent::ceEvent2, kEvEvent2}}};
  std::uint32_t mask = 0;
  for (const Mapping& m : kBits) {
    if (events.Contains(m.event)) mask |= m.bit;
  }
  if (!directWrite) mask &= ~kEvTxEmpty;
  return mask;
}

std::string FormatDeviceName(const std::string& pattern, std::int32_t portNum) {
  std::string name;
  bool numberUsed = false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size()) {
      const char next = pattern[i + 1];
      if (next == '%') {
        name += '%';
        ++i;
        continue;
      }
      if (next == 'd' && !numberUsed) {
        name += std::to_string(portNum);
        numberUsed = true;
        ++i;
        continue;
      }
    }
    name += pattern[i];
  }
  return name;
}

}  // namespace serial
