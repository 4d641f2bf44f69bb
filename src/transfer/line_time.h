#pragma once

#include <cstdint>
#include <string>

namespace transfer {

// The line's bit rate and bits a byte (start, 8 data, stop).
inline constexpr std::uint32_t kLineBitRate = 10400;
inline constexpr std::uint32_t kBitsPerByte = 10;
// Addresses are 16 bits: from this size on, blocks go again to addresses already written.
inline constexpr std::uint64_t kAddressSpace = 65536;

// The data blocks a download of an image of imageSize bytes sends: one more than its whole
// blocks (the last one is never full).
std::uint64_t BlockCount(std::uint64_t imageSize);
// What a download of such an image puts on the line, as the target sends it back: the hello,
// every packet's echo (it comes back while the packet goes out) and every reply.
std::uint64_t LineBytes(std::uint64_t imageSize);
double LineSeconds(std::uint64_t imageSize);
// "1 h 14 min", "4 min 12 s", "3.6 s".
std::string DurationText(double seconds);

}  // namespace transfer
