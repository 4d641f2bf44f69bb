#include "advice.h"

#include <cmath>
#include <cstdio>

namespace flash {

namespace {

// Where the timer is set: FTDI's Windows driver has it among the port's advanced settings;
// on Linux the README says how a udev rule keeps it at 1 ms.
#ifdef _WIN32
constexpr const char* kLatencyRemedy =
    "set it to 1 ms in the Device Manager: the port's Properties, Port Settings, Advanced, "
    "Latency Timer (msec)";
#else
constexpr const char* kLatencyRemedy = "see " LOADER_DOC_DIR "/README.md";
#endif
#ifdef _WIN32
constexpr const char* kReadme = "see the README";
#else
constexpr const char* kReadme = "see " LOADER_DOC_DIR "/README.md";
#endif

}  // namespace

std::string LatencyWarning(const serial::LineLatency& latency) {
  if (latency.timerMs <= 1) return {};
  // Measured on FTDI adapters: about 10 % at the default 16 ms, in proportion to the timer.
  const long percent = std::lround(latency.timerMs * 10.0 / 16.0);
  return "the adapter's latency timer is " + std::to_string(latency.timerMs) +
         " ms: the download will be about " + std::to_string(percent) + " % slower; " +
         kLatencyRemedy;
}

std::string NetworkLatencyWarning(const serial::LineLatency& latency) {
  if (latency.networkMs <= 1.0) return {};
  // A data block and its reply take 132 bytes' time, 127 ms; with an address command before
  // every fourth, a block waits for 1.25 replies.
  const double percent = latency.networkMs * 1.25 / (132 * 1000.0 / 1040) * 100;
  char text[64];
  std::snprintf(text, sizeof text, "%.1f ms", latency.networkMs);
  return std::string("the network port adds ") + text +
         " to every reply: the download will be about " + std::to_string(std::lround(percent)) +
         " % slower; on ser2net set chardelay: false and tcp(nodelay), and the adapter's "
         "latency timer to 1 ms; " +
         kReadme;
}

std::string AdviceFor(const std::string& failure) {
#ifdef _WIN32
  (void)failure;
  return {};
#else
  if (failure.find("(Error 13, ") == std::string::npos) return {};
  return "you may not use this port: add yourself to the group that owns it (sudo adduser $USER "
         "dialout, then log in again), or plug a USB adapter in again once the package's udev "
         "rule is installed";
#endif
}

}  // namespace flash
