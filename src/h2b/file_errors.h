#pragma once

#include <string>

#include "h2b/errors.h"

namespace h2b {

// The operating system's text for error err (errno on POSIX, GetLastError() on Windows), at most
// 255 characters, without trailing blanks, control characters or full stops, so that it can end a
// sentence of our own. Every message of the program that carries a system text takes it from here.
std::string SystemErrorText(int err);

// The absolute form of name as the system resolves it; an empty name stays empty.
std::string FullPath(const std::string& name);

// EFileError with the text `<action> file "<full path>". <system text>`, e.g.
// FileError("Cannot open", "app.hex", sys::kNotFound).
EFileError FileError(const char* action, const std::string& name, int err);
// The same with a text of our own in place of the system's.
EFileError FileError(const char* action, const std::string& name, const std::string& text);

}  // namespace h2b
