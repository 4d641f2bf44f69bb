#pragma once

#include <string>

#include "h2b/errors.h"

namespace h2b {

// The absolute form of name as the system resolves it; an empty name stays empty.
std::string FullPath(const std::string& name);

// EFileError with the text `<action> file "<full path>". <system text>`, e.g.
// FileError("Cannot open", "app.hex", sys::kNotFound).
EFileError FileError(const char* action, const std::string& name, int err);
// The same with a text of our own in place of the system's.
EFileError FileError(const char* action, const std::string& name, const std::string& text);

}  // namespace h2b
