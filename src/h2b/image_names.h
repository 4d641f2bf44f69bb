#pragma once

#include <string>

namespace h2b {

// The image's name for a HEX file: its file-name part (after the last "/", on Windows also
// after the last "\\" or ":") with the extension (from the last "." on) replaced by ".BIN", or
// ".BIN" appended when it has none.
std::string ImageFileName(const std::string& hexFileName);

// The backup name of an image: ".BAK" in place of its ".BIN".
std::string BackupFileName(const std::string& imageFileName);

// True when something other than a folder is at name. A symbolic link is taken as itself,
// whatever it points at: the image's name never leads anywhere else.
bool IsExistingFile(const std::string& name);

// Moves an existing image aside to its backup name, never replacing a file that already
// carries that name. Returns whether the image was moved.
bool MoveToBackup(const std::string& imageFileName);

}  // namespace h2b
