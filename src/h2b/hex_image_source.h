#pragma once

#include <memory>
#include <string>

#include "h2b/converted_image.h"
#include "transfer/image_source.h"

namespace h2b {

// The download's image: the HEX file converted afresh and opened for reading.
class HexImageSource : public transfer::ImageSource {
 public:
  // Throws EFileError or EConvertError; a missing HEX file gives
  // `Cannot open file "". No such file or directory`.
  std::unique_ptr<transfer::ImageStream> OpenImage(const std::string& hexFileName) override;
  std::optional<transfer::ImageExtent> Measure(const std::string& hexFileName) override;
};

// One conversion made beforehand, read afresh from its start by every download: a production
// line converts once for all of its ports. The HEX file's name is not looked at again.
class ConvertedImageSource : public transfer::ImageSource {
 public:
  explicit ConvertedImageSource(std::shared_ptr<const ConvertedImage> image)
      : image_(std::move(image)) {}
  std::unique_ptr<transfer::ImageStream> OpenImage(const std::string& hexFileName) override;

 private:
  std::shared_ptr<const ConvertedImage> image_;
};

// The image source of every program: the one conversion when there is one, otherwise a
// conversion at each Start.
std::unique_ptr<transfer::ImageSource> MakeImageSource(
    std::shared_ptr<const ConvertedImage> converted = nullptr);

}  // namespace h2b
