#include "h2b/hex_image_source.h"

#include "h2b/convert_hex_file.h"
#include "h2b/file_errors.h"
#include "h2b/hex_extent.h"
#include "h2b/image_file_stream.h"

namespace h2b {

std::unique_ptr<transfer::ImageStream> HexImageSource::OpenImage(const std::string& hexFileName) {
  ConvertedImage image = ConvertHexFileToImage(hexFileName);
  if (!image.file.IsOpen()) {
    // No HEX file, no image: opening the empty name says so in the system's words.
    sys::Error error = sys::kNotFound;
    sys::File::OpenForReading(image.name, error);
    throw FileError("Cannot open", image.name, error);
  }
  return std::make_unique<ImageFileStream>(std::move(image));
}

}  // namespace h2b

namespace h2b {

std::optional<transfer::ImageExtent> HexImageSource::Measure(const std::string& hexFileName) {
  try {
    const HexExtent extent = ScanHexFile(hexFileName);
    return transfer::ImageExtent{extent.imageSize, extent.lowestAddress};
  } catch (const std::exception&) {
    return std::nullopt;  // the conversion at Start reports it
  }
}

std::unique_ptr<transfer::ImageStream> ConvertedImageSource::OpenImage(const std::string&) {
  return std::make_unique<ImageFileStream>(image_);
}

std::unique_ptr<transfer::ImageSource> MakeImageSource(
    std::shared_ptr<const ConvertedImage> converted) {
  if (converted) return std::make_unique<ConvertedImageSource>(std::move(converted));
  return std::make_unique<HexImageSource>();
}

}  // namespace h2b
