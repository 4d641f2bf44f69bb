#include "image_cost.h"

#include <cstdio>

#include "flash_options.h"
#include "h2b/hex_extent.h"
#include "transfer/line_time.h"

namespace flash {

namespace {

// Data this high in a HEX file made for another memory map (flash at 0x08000000) becomes an
// image of that many bytes of 0xFF in front of it.
constexpr std::uint64_t kHighAddress = transfer::kAddressSpace;
constexpr std::uint64_t kBlocksPerSpace = transfer::kAddressSpace / 128;

std::string Hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%08llX", static_cast<unsigned long long>(value));
  return text;
}

}  // namespace

ImageCost CostOf(const std::string& hexFile) {
  const h2b::HexExtent extent = h2b::ScanHexFile(hexFile);
  ImageCost cost;
  cost.size = extent.imageSize;
  cost.blocks = transfer::BlockCount(extent.imageSize);
  cost.seconds = transfer::LineSeconds(extent.imageSize);
  cost.lowestAddress = extent.lowestAddress;
  return cost;
}

std::string CostText(const ImageCost& cost) {
  return "the image: " + std::to_string(cost.size) + " bytes, " + std::to_string(cost.blocks) +
         " blocks, " + transfer::DurationText(cost.seconds) + " on the line";
}

std::string WrapText(const ImageCost& cost) {
  if (cost.size <= transfer::kAddressSpace && cost.blocks <= kBlocksPerSpace) return {};
  return "addresses are 16 bits: blocks " + std::to_string(kBlocksPerSpace) + " to " +
         std::to_string(cost.blocks - 1) +
         " go to the addresses of blocks 0 and on again (block N over block N mod " +
         std::to_string(kBlocksPerSpace) + ")";
}

std::string RefusalText(const ImageCost& cost, double limitSeconds) {
  if (cost.seconds <= limitSeconds) return {};
  std::string text =
      "refused: " + CostText(cost) + ", over the limit of " + transfer::DurationText(limitSeconds);
  if (cost.lowestAddress && *cost.lowestAddress >= kHighAddress) {
    text += "; the HEX file's data begins at " + Hex(*cost.lowestAddress) +
            ", and the image always begins at address 0, so all below it would be sent as 0xFF "
            "(a HEX file made for another memory map?)";
  }
  return text + "; --max-time SECONDS allows a longer download";
}

std::optional<int> SayCost(const FlashOptions& options) {
  const ImageCost cost = CostOf(options.hexFile);
  const std::string refusal = RefusalText(cost, options.maxSeconds);
  if (!refusal.empty()) {
    std::fprintf(stderr, "%s\n", refusal.c_str());
    return 2;
  }
  if (options.quiet) return std::nullopt;
  std::fprintf(stderr, "%s\n", CostText(cost).c_str());
  if (const std::string wrap = WrapText(cost); !wrap.empty())
    std::fprintf(stderr, "%s\n", wrap.c_str());
  std::fflush(stderr);
  return std::nullopt;
}

}  // namespace flash
