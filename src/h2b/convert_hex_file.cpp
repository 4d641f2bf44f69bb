#include "h2b/convert_hex_file.h"

#include <new>
#include <string_view>

#include "h2b/file_errors.h"
#include "h2b/hex_line_reader.h"
#include "h2b/hex_record.h"
#include "h2b/image_names.h"
#include "h2b/image_writer.h"
#include "sys/native_file.h"

namespace h2b {

namespace {

// Only a name that surely names nothing counts as missing; any other trouble is left for
// the opening to report.
bool NamesNoFile(const std::string& name) {
  const sys::Kind kind = sys::KindOf(name, true);
  return kind == sys::Kind::Missing || kind == sys::Kind::Folder;
}

ConvertedImage Convert(const std::string& hexFileName) {
  HexLineReader lines(hexFileName);
  const std::string imageFileName = ImageFileName(hexFileName);
  ImageWriter image(imageFileName);
  std::uint32_t baseAddress = 0;
  std::string_view line;
  while (lines.Next(line)) ConvertHexLine(line, baseAddress, image);
  lines.Close();
  // Names change only now: a HEX file that cannot be read or holds nothing to send leaves the
  // image and its backup as they were, and one that is its own image (NAME.BIN converted in
  // its own folder) has been read whole from the file it opened.
  if (image.DataBytes() == 0)
    throw FileError("Cannot convert", hexFileName, "The file contains no data");
  if (IsExistingFile(imageFileName)) MoveToBackup(imageFileName);
  return image.Commit();
}

}  // namespace

void RequireHexFile(const std::string& hexFileName) {
  const sys::Kind kind = sys::KindOf(hexFileName, true);
  if (kind == sys::Kind::Missing) throw FileError("Cannot open", hexFileName, sys::kNotFound);
  if (kind == sys::Kind::Folder) throw FileError("Cannot open", hexFileName, sys::kIsFolder);
}

ConvertedImage ConvertHexFileToImage(const std::string& hexFileName) {
  if (NamesNoFile(hexFileName)) return {};
  try {
    return Convert(hexFileName);
  } catch (const std::bad_alloc&) {
    throw FileError("Cannot convert", hexFileName, sys::kNoMemory);
  }
}

std::string ConvertHexFile(const std::string& hexFileName) {
  return ConvertHexFileToImage(hexFileName).name;
}

}  // namespace h2b
