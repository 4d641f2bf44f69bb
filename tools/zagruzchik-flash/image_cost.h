#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace flash {

// What a download of a HEX file will cost, known before it starts.
struct ImageCost {
  std::uint64_t size = 0;
  std::uint64_t blocks = 0;
  double seconds = 0;  // on the line
  std::optional<std::uint64_t> lowestAddress;
};

// Reads the HEX file without writing anything; throws what the conversion would.
ImageCost CostOf(const std::string& hexFile);
// "the image: 300 bytes, 3 blocks, 0.4 s on the line"
std::string CostText(const ImageCost& cost);
// Above 64 KiB, which blocks are sent again over which; empty otherwise.
std::string WrapText(const ImageCost& cost);
// Why a download over limitSeconds is refused, naming the option that allows it; empty within
// the limit.
std::string RefusalText(const ImageCost& cost, double limitSeconds);

struct FlashOptions;
// Before the prompt, on standard error: the cost (not with -q), and above 64 KiB how the
// addresses wrap; above --max-time the refusal, and then the exit code, 2.
std::optional<int> SayCost(const FlashOptions& options);

}  // namespace flash
