#pragma once

#include <memory>
#include <string>

#include "transfer/image_source.h"

namespace h2b {

// The download's image: the HEX file converted afresh and opened for reading.
class HexImageSource : public transfer::ImageSource {
 public:
  // Throws EFileError or EConvertError; a missing HEX file gives
  // `Cannot open file "". No such file or directory`.
  std::unique_ptr<transfer::ImageStream> OpenImage(const std::string& hexFileName) override;
};

}  // namespace h2b
