#include "h2b/hex_image_source.h"

#include "h2b/convert_hex_file.h"
#include "h2b/image_file_stream.h"

namespace h2b {

std::unique_ptr<transfer::ImageStream> HexImageSource::OpenImage(const std::string& hexFileName) {
  return std::make_unique<ImageFileStream>(ConvertHexFile(hexFileName));
}

}  // namespace h2b
