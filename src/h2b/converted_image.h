#pragma once

#include <cstdint>
#include <string>

#include "h2b/image_digest.h"
#include "sys/native_file.h"

namespace h2b {

// An image as the conversion wrote it: still open, so that a download reads the very file that
// was written and not whatever carries its name later.
struct ConvertedImage {
  std::string name;  // relative, in the current folder
  sys::File file;    // open for reading
  std::uint64_t size = 0;
  ImageDigest digest;
};

}  // namespace h2b
