#include "latency_warning.h"

#include <cmath>

namespace flash {

std::string LatencyWarning(const serial::LineLatency& latency) {
  if (latency.timerMs <= 1) return {};
  // Measured on FTDI adapters: about 10 % at the default 16 ms, in proportion to the timer.
  const long percent = std::lround(latency.timerMs * 10.0 / 16.0);
  return "the adapter's latency timer is " + std::to_string(latency.timerMs) +
         " ms: the download will be about " + std::to_string(percent) +
         " % slower; see " LOADER_DOC_DIR "/README.md";
}

}  // namespace flash
