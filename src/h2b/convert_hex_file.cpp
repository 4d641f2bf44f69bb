#include "h2b/convert_hex_file.h"

#include <string_view>

#include "h2b/file_errors.h"
#include "h2b/hex_line_reader.h"
#include "h2b/hex_record.h"
#include "h2b/image_names.h"
#include "h2b/image_writer.h"
#include "h2b/native_file.h"

namespace h2b {

namespace {

// Only a name that surely names nothing counts as missing; any other trouble is left for
// the opening to report.
bool NamesNoFile(const std::string& name) {
  const sys::Kind kind = sys::KindOf(name, true);
  return kind == sys::Kind::Missing || kind == sys::Kind::Folder;
}

}  // namespace

void RequireHexFile(const std::string& hexFileName) {
  const sys::Kind kind = sys::KindOf(hexFileName, true);
  if (kind == sys::Kind::Missing) throw FileError("Cannot open", hexFileName, sys::kNotFound);
  if (kind == sys::Kind::Folder) throw FileError("Cannot open", hexFileName, sys::kIsFolder);
}

std::string ConvertHexFile(const std::string& hexFileName) {
  if (NamesNoFile(hexFileName)) return "";
  // All of it first: a HEX file that cannot be read leaves the image and its backup alone,
  // and one that is its own image (NAME.BIN converted in its own folder) is safe in memory.
  HexLineReader lines(hexFileName);
  lines.ReadAll();

  const std::string imageFileName = ImageFileName(hexFileName);
  if (IsExistingFile(imageFileName)) MoveToBackup(imageFileName);
  ImageWriter image(imageFileName);
  std::uint32_t baseAddress = 0;
  std::string_view line;
  while (lines.Next(line)) ConvertHexLine(line, baseAddress, image);
  image.Commit();
  return imageFileName;
}

}  // namespace h2b
