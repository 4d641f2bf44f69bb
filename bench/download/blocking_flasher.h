#pragma once

#include <string>

namespace bench {

// The download engine driven by a plain blocking loop on one thread: poll, read what is
// waiting, write each packet directly. The baseline for what the threads of the serial
// port device and the Qt hand-over cost. With wholeReplies it wakes once a reply has come
// whole (the terminal's VMIN set to the bytes the engine awaits), otherwise at each arrival.
// Throws with a message on failure.
void FlashBlocking(const std::string& portPath, const std::string& hexFile,
                   bool wholeReplies = false);

}  // namespace bench
