#include "h2b/convert_hex_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <string_view>

#include "h2b/hex_line_reader.h"
#include "h2b/hex_record.h"
#include "h2b/image_names.h"
#include "h2b/image_writer.h"

namespace h2b {

namespace {

// Only a name that surely names nothing counts as missing; any other trouble is left for
// the opening to report.
bool NamesNoFile(const std::string& name) {
  struct stat status;
  if (::stat(name.c_str(), &status) == 0) return S_ISDIR(status.st_mode);
  return errno == ENOENT || errno == ENOTDIR;
}

}  // namespace

std::string ConvertHexFile(const std::string& hexFileName) {
  if (NamesNoFile(hexFileName)) return "";
  HexLineReader lines(hexFileName);

  const std::string imageFileName = ImageFileName(hexFileName);
  if (IsExistingFile(imageFileName)) MoveToBackup(imageFileName);
  // Converting NAME.BIN in its own folder with the backup name taken: creating the image
  // empties the HEX file itself, so keep the rest of it first.
  if (lines.IsSameFile(imageFileName)) lines.ReadAll();
  ImageWriter image(imageFileName);

  std::uint32_t baseAddress = 0;
  std::string_view line;
  try {
    while (lines.Next(line)) ConvertHexLine(line, baseAddress, image);
  } catch (const EConvertError&) {
    // The image written up to the bad field stays on disk.
    image.Close();
    throw;
  }
  image.Close();
  return imageFileName;
}

}  // namespace h2b
