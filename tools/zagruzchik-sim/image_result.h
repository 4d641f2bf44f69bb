#pragma once

#include <cstdint>
#include <vector>

#include "options.h"

namespace sim {

// Writes the received image to --out and compares it with --expect, saying on stderr what
// differs. Returns the exit code: 0, or 1 when the image is not the one expected.
int FinishImage(const Options& options, const std::vector<std::uint8_t>& received);

}  // namespace sim
