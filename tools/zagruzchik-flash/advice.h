#pragma once

#include <string>

#include "serial/comm_device.h"

namespace flash {

// The line for standard error when the adapter holds received bytes back for more than 1 ms
// (every lock-step reply waits for that); empty otherwise.
std::string LatencyWarning(const serial::LineLatency& latency);

// The line for standard error when a network port adds more than 1 ms to every reply (the
// first packet's round trip beyond the line's own time); empty otherwise.
std::string NetworkLatencyWarning(const serial::LineLatency& latency);

// A line saying what to do about a failure, where there is something to do: for a port the user
// may not open, the group that owns serial ports and the package's udev rule. Empty otherwise.
std::string AdviceFor(const std::string& failure);

}  // namespace flash
