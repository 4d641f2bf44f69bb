#pragma once

#include <cstdint>
#include <vector>

#include "options.h"

namespace sim {

// Writes the received image to --out and compares it with --expect, saying on stderr what
// differs. Returns the exit code: 0, or 1 when the image is not the one expected.
int FinishImage(const Options& options, const std::vector<std::uint8_t>& received);

// Before the line is opened: throws when --out cannot be written, or --expect names a file that
// cannot be read. A missing --expect file passes: the flasher may be about to write it.
void CheckFiles(const Options& options);

}  // namespace sim
