#pragma once

#include <chrono>
#include <cstdint>

namespace serial::linux_tty {

// A reply counts as ended when the line has been quiet this many byte times (more after an
// adapter that hands bytes on in groups).
inline constexpr int kQuietBytes = 2;
// The last bytes of a reply are waited for one by one, so that the reply is handed on the
// moment its last byte is in, not at a predicted time that the line's jitter may miss.
inline constexpr int kTailBytes = 2;
// No wait between two counts is longer than this many byte times.
inline constexpr int kLongestWaitBytes = 64;

enum class Gathered {
  Complete,   // all awaited bytes are queued
  Quiet,      // fewer, and the line has gone quiet: a short reply
  Tail,       // all but the last few: wait for those as they come
  Signalled,  // wake or again
  Failed      // counting the queue failed: the line is gone (errno in *error)
};

// After the first of the bytes a reader awaits has arrived: waits, without a wake-up per byte,
// until all but the last kTailBytes of `awaited` bytes are queued on port, or the line has been
// quiet for kQuietBytes byte times, or wake or again is signalled. Bytes that arrive meanwhile
// are only counted (FIONREAD), at the moments the line's rate says they should be there.
// *quietTime: how long the line must stay quiet for the reply to count as ended.
Gathered GatherReply(int port, int wake, int again, std::int32_t awaited,
                     std::chrono::microseconds byteTime, std::chrono::microseconds* quietTime,
                     int* error);

}  // namespace serial::linux_tty
