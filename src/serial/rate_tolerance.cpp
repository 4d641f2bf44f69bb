#include "serial/rate_tolerance.h"

#include <string>

#include "serial/comm_error.h"

namespace serial {

bool RateWithinTolerance(std::int64_t requested, std::int64_t actual) {
  const std::int64_t off = actual > requested ? actual - requested : requested - actual;
  return requested > 0 && off * 50 <= requested;
}

void CheckRateReadBack(std::int32_t requested, std::uint32_t inputRate, std::uint32_t outputRate) {
  if (RateWithinTolerance(requested, inputRate) && RateWithinTolerance(requested, outputRate))
    return;
  throw ECommError("The device cannot run at " + std::to_string(requested) + " bit/s (it runs at " +
                   std::to_string(outputRate) + " bit/s)");
}

}  // namespace serial
