#pragma once

#include <string>

#include "h2b/converted_image.h"
#include "h2b/errors.h"

namespace h2b {

// Converts an Intel HEX file into the flat binary image the boot loader is sent: image
// offset 0 up to the last data byte, gaps 0xFF. The image is written afresh into the
// current directory under ImageFileName(hexFileName); an image already there is first
// moved to its backup name unless that name is taken. A HEX file without a single data byte
// is refused before any name is touched. Returns the image, still open, or one without a
// name when hexFileName names no existing file (then nothing is touched).
// Throws EFileError or EConvertError with the message for the user, sys::EInterrupted when the
// user asked the program to stop (sys::InterruptRequested).
ConvertedImage ConvertHexFileToImage(const std::string& hexFileName);

// The same for whoever needs only the image's name ("" for no existing file).
std::string ConvertHexFile(const std::string& hexFileName);

// For a name a user typed: throws EFileError "Cannot open file ..." when it names nothing or a
// folder, which ConvertHexFile takes alike for no file at all.
void RequireHexFile(const std::string& hexFileName);

}  // namespace h2b
