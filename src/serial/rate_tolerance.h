#pragma once

#include <cstdint>

namespace serial {

// A UART link works while both ends' rates lie within about 2 % of each other. Adapters whose
// clock cannot divide down to the rate asked for run at the nearest one they can make and say
// so (CP210x 10398, PL2303 10416); that is still a working line.
bool RateWithinTolerance(std::int64_t requested, std::int64_t actual);

// Raises ECommError "The device cannot run at %d bit/s (it runs at %u bit/s)" unless both rates
// the driver reports are within tolerance of the one asked for.
void CheckRateReadBack(std::int32_t requested, std::uint32_t inputRate, std::uint32_t outputRate);

}  // namespace serial
