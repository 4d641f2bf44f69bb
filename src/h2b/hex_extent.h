#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace h2b {

// What the image of a HEX file will be, known before it is made.
struct HexExtent {
  std::uint64_t imageSize = 0;                 // the image starts at address 0
  std::optional<std::uint64_t> lowestAddress;  // of the first data byte; none without data
};

// Reads the HEX file as the conversion does, writing nothing. Throws what the conversion would
// (EFileError, EConvertError, sys::EInterrupted).
HexExtent ScanHexFile(const std::string& hexFileName);

}  // namespace h2b
