#pragma once

#include <cstdint>
#include <string_view>

#include "h2b/image_writer.h"

namespace h2b {

// Acts on one line of a HEX file: a data record goes into the image, an extended segment
// or linear address record sets baseAddress, anything else changes nothing. Fields are
// read by position; a field that is not all hex digits, or that the line ends inside,
// throws EConvertError after the bytes before it have gone into the image.
void ConvertHexLine(std::string_view line, std::uint32_t& baseAddress, ImageSink& image);

}  // namespace h2b
