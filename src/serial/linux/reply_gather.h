#pragma once

#include <chrono>
#include <cstdint>

namespace serial::linux_tty {

// After the first of the bytes a reader awaits has arrived: waits, without a wake-up per byte,
// until `awaited` bytes are queued on port, or until the line has been quiet for kQuietBytes
// byte times (a short or wrong reply), or something on wake or again. Bytes that arrive
// meanwhile are only counted (FIONREAD), at the moments the line's rate says they should all
// be there. 0 when the bytes are there to be reported, -1 when wake or again was signalled, or
// the errno of a failing count (the line is gone).
inline constexpr int kQuietBytes = 2;
int GatherReply(int port, int wake, int again, std::int32_t awaited,
                std::chrono::microseconds byteTime);

}  // namespace serial::linux_tty
