#pragma once

#include <string>

namespace bench {

// The download engine driven by a plain blocking loop on one thread: poll, read what is
// waiting, write each packet directly. The baseline for what the threads of the serial
// port device and the Qt hand-over cost. Throws with a message on failure.
void FlashBlocking(const std::string& portPath, const std::string& hexFile);

}  // namespace bench
