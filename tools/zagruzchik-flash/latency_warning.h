#pragma once

#include <string>

#include "serial/comm_device.h"

namespace flash {

// The line for standard error when the adapter holds received bytes back for more than 1 ms
// (every lock-step reply waits for that); empty otherwise.
std::string LatencyWarning(const serial::LineLatency& latency);

}  // namespace flash
